// The picture area Frame6: the diffraction picture Image2 painted with one view transform, the
// rubber-band line Line1 and the four line slots Line2(0)..Line2(3), zooming, panning and
// drawing lines, and the commands of the "Tools" frame (Open, Zoom in, Zoom out, Initial,
// Measure/Move, Clean).
#pragma once

#include <QCursor>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "core/atom_site.hpp"
#include "core/lattice.hpp"
#include "measurement/line_slots.hpp"
#include "measurement/pattern_vectors.hpp"
#include "measurement/picture_view_geometry.hpp"
#include "picture/display_mapping.hpp"
#include "picture/microscope_picture.hpp"
#include "picture/overlay.hpp"
#include "picture/pattern_fit.hpp"
#include "picture/spot_finder.hpp"
#include "ui/common/background_task.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/picture_evidence.hpp"
#include "ui/common/prompts.hpp"
#include "ui/measurement/measurement_state.hpp"

namespace spot {

/// The open dialog's filter as the user sees it: description|patterns pairs, patterns
/// separated by ";". The first entry, chosen when the dialog opens, adds the microscope formats
/// to the common ones.
inline constexpr const char* kPictureFileFilter =
    "Microscope and common pictures|*.dm3;*.dm4;*.mrc;*.tif;*.tiff;*.jpg;*.jpeg;*.bmp;*.gif;*.png|"
    "所有格式图像|*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff;*.png|JPEG图像(*.jpg;*.jpeg)|*.jpg;*.jpeg|"
    "BMP图像(*.bmp)|*.bmp|GIF图像(*.gif)|*.gif|TIFF图像(*.tif;*.tiff)|*.tif;*.tiff|"
    "PNG图像(*.png)|*.png";

/// Turns "desc|pat1;pat2|desc|pat" into Qt's "desc (pat1 pat2);;desc (pat)". The descriptions
/// stay as they are; Qt reads the patterns from the last parenthesised group of each entry.
QString QtFileFilter(const QString& pipeSeparatedFilter);

/// The measuring cursor: a thin crosshair with an open centre, drawn at run time.
QCursor MeasuringCursor();

class PictureView : public QWidget {
  Q_OBJECT
public:
  /// Draws and measures on `state`; "Clean" empties the picture-measurement boxes of `boxes`.
  PictureView(MeasurementState& state, BoxArray& boxes, Prompts& prompts,
              QWidget* parent = nullptr);

  // COMMANDS OF THE "Tools" FRAME

  /// "Open": Clean, then ask for a file and show it at its own size, centred. A cancelled
  /// dialog or a file that cannot be decoded leaves the previous picture (the latter with a
  /// message naming the file).
  void open();
  /// Loads a picture file directly; false (and a message) when it cannot be decoded.
  bool loadPicture(const QString& file);
  /// "Zoom in": 1.25 about the view centre, up to the size limit. Ignored while disabled.
  void zoomIn();
  /// "Zoom out": 0.8, shifting by a quarter of the centre's offset. Ignored while disabled.
  void zoomOut();
  /// "Initial": own size, centred, zoom enabled, every line hidden.
  void initial();
  /// "Measure" / "Move".
  void toggleMeasureMode();
  /// "Clean": hides the lines, empties the eleven picture-measurement boxes, resets the
  /// pattern vectors and goes back to move mode; `cleaned` then empties the results.
  void clean();

  // SPOTS

  /// "Find spots": looks for the spots of the picture off the window's thread; when done they
  /// replace the ones known (`spotsChanged`). Opening another picture or closing the window
  /// cancels it. Does nothing without a picture.
  void findSpots();
  /// Stops a spot search; the spots known before it stay.
  void cancelFindSpots();
  /// A spot search started and has not ended.
  bool findingSpots() const { return spotTask_.isRunning(); }
  /// The spots of the picture shown, brightest first, in the picture's own pixels (the centre
  /// of the top-left pixel at (0, 0)); empty until "Find spots" has run.
  const std::vector<Spot>& spots() const { return spots_; }
  /// The circle of spot i as drawn in the widget.
  QRectF spotCircleOnScreen(std::size_t i) const;
  /// What the spot tools say: searching, how many spots, or why there are none.
  QString spotsStatus() const { return spotsStatus_; }
  /// The lattice fitted to the spots found, centre and R1, R2, R3 in the picture's own pixels;
  /// nullopt before spots are found or when they hold no lattice (patternFitProblem says why).
  const std::optional<PatternFit>& patternFit() const { return fit_; }
  QString patternFitProblem() const { return fitProblem_; }
  /// "Measure pattern": the fitted centre and R1, R2, R3 become the three measurement lines
  /// and are written to the boxes as if each had been confirmed through the "Measure" dialog
  /// (Number 1); the scale bar boxes stay the user's. Without a fit, a message says why.
  void measurePattern();
  /// The spots, the centre, R1 and R2 (those confirmed by hand when there are, else the fitted
  /// ones) and the scale bar's calibration; nullopt until spots holding a lattice are found.
  std::optional<PictureEvidence> pictureEvidence() const;

  // OVERLAY

  /// Draws the spots the solution g1 + g2 predicts, with the cell in the boxes and the phase's
  /// `rule`, replacing the overlay shown. Without spots it only says how to get one. With a
  /// space group, found spots where the group or the `unitCellAtoms` leave no reflection are
  /// marked as possible double diffraction.
  void showSolution(MillerIndex g1, MillerIndex g2, const ReflectionRule& rule,
                    const std::vector<AtomSite>& unitCellAtoms = {});
  void clearOverlay();
  /// The overlay check box: hides or shows the overlay without forgetting it.
  void setOverlayShown(bool shown);
  bool overlayShown() const { return overlayShown_; }
  bool hasOverlay() const { return overlay_.has_value(); }
  /// The predicted spots of the overlay, own pixels (empty without one).
  std::vector<PredictedSpot> overlaySpots() const;
  /// Which predicted spots have a detected partner and which detected spots are explained.
  PictureMatches overlayMatches() const;
  /// For each found spot, the (h k l) of the forbidden position it sits on when it is a possible
  /// double diffraction spot (empty without an overlay).
  std::vector<std::optional<MillerIndex>> overlayDoubleDiffraction() const;
  /// The ring of predicted spot i as drawn in the widget: its radius is the pairing tolerance.
  QRectF overlayRingOnScreen(std::size_t i) const;
  /// What the overlay shows: the solution and how well the picture agrees with it.
  QString overlayStatus() const { return overlayStatus_; }

  // STATE

  bool measureMode() const { return measureMode_; }
  /// Whether "Zoom in" and "Zoom out" are enabled.
  bool zoomEnabled() const { return zoomEnabled_; }
  /// Caption of the measure toggle: "Measure" in move mode, "Move" in measure mode.
  QString measureToggleCaption() const;

  bool hasPicture() const { return !picture_.isNull(); }
  const QImage& picture() const { return picture_; }
  /// The picture as decoded, for reading its grey values: deep colour as decoded, otherwise the
  /// picture drawn (which holds every value of an 8-bit one). Grey pictures deeper than 8 bits
  /// keep their values in fullDepth() instead.
  const QImage& pixelSource() const { return pixelSource_.isNull() ? picture_ : pixelSource_; }
  QString pictureFile() const { return pictureFile_; }
  const PictureViewGeometry& viewGeometry() const { return geometry_; }
  /// Where Image2 is drawn, widget coordinates (device-independent pixels).
  QRectF imageRect() const;

  /// Line1 and Line2(0)..Line2(3), kept in picture pixels.
  const LineSlots& lineSlots() const { return state_.lines; }
  /// Slot line i as drawn in the widget; empty line when the slot is hidden.
  QLineF slotLineOnScreen(int slot) const;
  QLineF rubberBandOnScreen() const;

  /// The last finished line (MeasureStart to MeasureEnd), picture pixels.
  const PictureLine& lastLine() const { return state_.lastLine; }
  /// Length of the last finished line in the picture's own pixels (MeasuredLengthPx).
  double measuredLengthPx() const { return state_.measuredLengthPx; }
  const PatternVectors& patternVectors() const { return state_.vectors; }

  // DISPLAY OF PICTURES DEEPER THAN 8 BITS

  /// The grey values at full depth of a picture deeper than 8 bits (DM, MRC, 16/32-bit or float
  /// TIFF, 16-bit grey): what measuring and spot finding should read. Null for 8-bit pictures,
  /// whose shown pixels are their values.
  std::shared_ptr<const GreyImage> fullDepth() const { return depth_; }
  /// How the full-depth values are shown (meaningless without them).
  const DisplayMapping& displayMapping() const { return mapping_; }
  /// Shows the full-depth values through `mapping`; the values stay as they are. Ignored for
  /// 8-bit pictures.
  void setDisplayMapping(const DisplayMapping& mapping);
  /// The display control's boxes as typed: false, with a message naming the box, when a limit
  /// is not a number (the mapping then stays).
  bool setDisplayMappingFromText(DisplayScale scale, const QString& low, const QString& high);
  /// Linear between the 0.5 % and 99.9 % percentiles, as a picture opens.
  void resetDisplayMapping();
  /// The calibration the picture's file gives, if any.
  const std::optional<PictureCalibration>& calibration() const { return calibration_; }

  QSize sizeHint() const override { return {640, 480}; }

signals:
  /// The mouse moved over the picture (or while a button pressed on it is held).
  void pictureMouseMoved();
  /// A line was finished in measure mode: the "Measure" dialog should show.
  void lineFinished();
  /// Something was dropped on the picture area: the "Measure" dialog should close.
  void dropReceived();
  /// The mode or the zoom buttons' state changed.
  void toolsStateChanged();
  /// A spot search started or ended, or the spots were replaced or forgotten.
  void spotsChanged();
  /// "Measure pattern" wrote the boxes and drew its lines.
  void patternMeasured();
  /// The overlay was drawn, replaced, hidden, shown or forgotten.
  void overlayChanged();
  /// "Clean" emptied the measurement: the results and the summary go back to empty.
  void cleaned();
  /// A picture opened or the display mapping changed.
  void displayMappingChanged();
  /// Words for the status bar (the file's calibration); empty text clears what was said.
  void statusMessage(const QString& text);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  bool onPicture(QPointF position) const;
  PicturePoint toPicture(QPointF position) const;
  /// Where a line end pressed or released at `position` goes: onto the centre of a spot within
  /// reach, unless Shift is held.
  PicturePoint lineEnd(QPointF position, Qt::KeyboardModifiers modifiers);
  void setSpots(std::vector<Spot> spots, PatternFitOutcome fit, QString status);
  void forgetSpots();
  void paintOverlay(QPainter& painter) const;
  QLineF toScreen(const PictureLine& line) const;
  void setMeasureMode(bool on);
  void setZoomEnabled(bool on);
  QCursor pictureCursor() const;

  MeasurementState& state_;
  BoxArray& boxes_;
  Prompts& prompts_;

  void applyCalibration();

  QImage picture_;
  QImage pixelSource_; ///< the decoded picture when it is deeper than picture_, else null
  QString pictureFile_;
  std::shared_ptr<const GreyImage> depth_;
  DisplayMapping mapping_;
  std::optional<PictureCalibration> calibration_;
  bool calibrationSaid_ = false; ///< the status bar shows this view's calibration message
  PictureViewGeometry geometry_;

  bool measureMode_ = false;
  bool zoomEnabled_ = true;
  QCursor measuringCursor_;

  /// A press on the picture captures the mouse until every button is released.
  bool captured_ = false;
  PicturePoint dragStart_;      ///< picture point grabbed by the last left press in move mode
  PicturePoint measureStart_;   ///< picture point of the last left press in measure mode
  bool measurePressed_ = false; ///< a left press in measure mode awaits its release

  BackgroundTask spotTask_;
  std::vector<Spot> spots_;
  QString spotsStatus_;
  /// The spot a line end being drawn snaps to, marked while the button is held.
  std::optional<std::size_t> snapTarget_;
  std::optional<PatternFit> fit_;
  QString fitProblem_;

  struct Overlay {
    std::vector<PredictedSpot> predicted;
    PictureMatches matches;
    std::vector<PredictedSpot> forbidden; ///< positions only double diffraction reaches
    std::vector<int> doubleAt;            ///< found spot j: index into forbidden, or -1
    double ringRadiusPx = 0;              ///< picture pixels
  };
  std::optional<Overlay> overlay_;
  bool overlayShown_ = true;
  QString overlayStatus_;
};

} // namespace spot
