// The picture area: painting, mouse handling and the Tools commands.
#include "ui/measurement/picture_view.hpp"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QResizeEvent>
#include <QStringList>
#include <algorithm>
#include <cmath> // for floor, ceil

#include "core/metric.hpp"
#include "core/numeric_text.hpp"
#include "indexing/run_search.hpp"
#include "measurement/calibrated_scale_bar.hpp"
#include "measurement/fitted_pattern.hpp"
#include "measurement/measured_basis.hpp"
#include "picture/spot_snapping.hpp"
#include "simulation/zone_pattern.hpp"
#include "ui/common/qt_text.hpp"
#include "ui/measurement/grey_picture.hpp"
#include "ui/measurement/picture_file.hpp"

namespace spot {

namespace {

const QColor kRubberBandColour(128, 128, 255);
const QColor kSlotLineColour(255, 0, 0);
const QColor kSpotColour(0, 220, 255);
const QColor kSnapColour(255, 230, 0);
// The overlay: predicted spots with a detected partner, those without, and detected spots no
// predicted one explains.
const QColor kMatchedColour(0, 230, 60);
const QColor kUnmatchedColour(255, 150, 0);
const QColor kUnexplainedColour(255, 40, 200);
const QColor kDoubleDiffractionColour(90, 200, 255);

// The zone's reflections the group allows but the atoms cancel, out to the farthest predicted
// spot; none without a group or atoms, or when the zone cannot be simulated.
std::vector<MillerIndex> CancelledReflections(const OverlayRequest& request,
                                              const std::vector<PredictedSpot>& predicted,
                                              const std::vector<AtomSite>& atoms) {
  std::vector<MillerIndex> cancelled;
  if (!request.rule.group() || atoms.empty() || predicted.empty()) return cancelled;
  const ReciprocalMetric metric = ReciprocalMetricOf(request.cell);
  if (!metric.inverted) return cancelled;
  double reach = 0;
  for (const PredictedSpot& p : predicted)
    reach = std::max(reach, std::sqrt(PlaneProduct(p.hkl, p.hkl, metric.gStar)));
  SimulationRequest simulation;
  simulation.cell = request.cell;
  simulation.rule = request.rule;
  simulation.unitCellAtoms = atoms;
  simulation.zone = ZoneAxisOf(request.g1, request.g2);
  simulation.gMax = reach * (1 + 1e-9);
  const SimulatedPattern pattern = SimulateZone(simulation);
  if (pattern.fault) return cancelled;
  for (const SimulatedSpot& s : pattern.spots)
    if (s.absent == SpotAbsence::Structure) cancelled.push_back(s.hkl);
  return cancelled;
}

/// Rings are never drawn smaller than this on the screen.
constexpr double kLeastRingRadius = 5.0;

/// A spot's circle: two widths (Gaussian sigmas) in picture pixels, so it grows with the zoom,
/// but never smaller than this on the screen.
constexpr double kSpotCircleWidths = 2.0;
constexpr double kLeastSpotRadius = 3.0;

} // namespace

QString QtFileFilter(const QString& pipeSeparatedFilter) {
  const QStringList parts = pipeSeparatedFilter.split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    entries << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return entries.join(QStringLiteral(";;"));
}

QCursor MeasuringCursor() {
  constexpr int size = 32;
  constexpr int centre = size / 2;
  constexpr int gap = 3; // the open centre leaves the spot under the cursor visible
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  const auto arms = [&painter] {
    painter.drawLine(1, centre, centre - gap, centre);
    painter.drawLine(centre + gap, centre, size - 2, centre);
    painter.drawLine(centre, 1, centre, centre - gap);
    painter.drawLine(centre, centre + gap, centre, size - 2);
  };
  // A white outline under black arms stays visible on dark and bright pictures.
  painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap));
  arms();
  painter.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap));
  arms();
  painter.end();
  return QCursor(pixmap, centre, centre);
}

PictureView::PictureView(MeasurementState& state, BoxArray& boxes, Prompts& prompts,
                         QWidget* parent)
    : QWidget(parent), state_(state), boxes_(boxes), prompts_(prompts),
      measuringCursor_(MeasuringCursor()) {
  connect(&state_, &MeasurementState::linesChanged, this, qOverload<>(&QWidget::update));
  connect(&spotTask_, &BackgroundTask::failed, this, [this](const QString& why) {
    setSpots({}, {}, QStringLiteral("Spots not found: %1.").arg(why));
  });
  setObjectName(QStringLiteral("Frame6"));
  setMouseTracking(true);
  setAcceptDrops(true);
  setAutoFillBackground(true);
  setMinimumSize(200, 150);
  geometry_.setViewSize(width(), height());
}

// COMMANDS

void PictureView::open() {
  clean();
  const QString file = prompts_.chooseFileToOpen(
      QString(), QString(), QtFileFilter(QString::fromUtf8(kPictureFileFilter)));
  if (file.isEmpty()) return;
  loadPicture(file);
}

bool PictureView::loadPicture(const QString& file) {
  PictureFileRead read = ReadPictureFile(file);
  if (read.image.isNull()) {
    prompts_.showMessage(QStringLiteral("The picture %1 cannot be opened: %2.")
                             .arg(QDir::toNativeSeparators(file), read.error));
    return false;
  }
  QImage image = std::move(read.image);
  // Spot finding reads the decoded values; the 32-bit copy drawn below holds all of them
  // unless the picture has more than 8 bits a channel.
  pixelSource_ = HasDeepPixels(image) ? image : QImage();
  depth_ = std::move(read.depth);
  mapping_ = depth_ ? DefaultDisplayMapping(*depth_) : DisplayMapping{};
  calibration_ = read.calibration;
  // Drawn as 32-bit pixels: a 16-bit grey TIFF would otherwise be converted at every paint.
  image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                        : QImage::Format_RGB32);
  image.setDevicePixelRatio(1);
  picture_ = std::move(image);
  pictureFile_ = file;
  state_.lines.hideAll();
  geometry_.setPicture(picture_.width(), picture_.height());
  forgetSpots(); // they were another picture's; a search still running is cancelled
  update();
  applyCalibration();
  emit displayMappingChanged();
  return true;
}

// A reciprocal calibration fills the scale bar boxes as a measured bar would; a real-space one
// is only shown. A scale bar measured later replaces the boxes' values.
void PictureView::applyCalibration() {
  if (!calibration_) {
    if (calibrationSaid_) emit statusMessage(QString());
    calibrationSaid_ = false;
    return;
  }
  const bool reciprocal = IsReciprocalNanometres(calibration_->units);
  bool used = false;
  if (reciprocal) {
    BoxTexts texts = boxes_.texts();
    const std::vector<Box> written = WriteCalibratedScaleBar(calibration_->scale, texts);
    for (Box box : written)
      boxes_.setText(box, QString::fromStdString(texts[box]));
    used = !written.empty();
  }
  calibrationSaid_ = true;
  emit statusMessage(
      FromUtf8(CalibrationStatusText(calibration_->scale, calibration_->units, used)));
}

void PictureView::setDisplayMapping(const DisplayMapping& mapping) {
  if (!depth_) return;
  QImage image = DisplayImageOf(*depth_, mapping);
  if (image.isNull()) return; // no memory for a new copy: the picture stays as shown
  mapping_ = mapping;
  picture_ = image.convertToFormat(QImage::Format_RGB32);
  picture_.setDevicePixelRatio(1);
  update();
  emit displayMappingChanged();
}

bool PictureView::setDisplayMappingFromText(DisplayScale scale, const QString& low,
                                            const QString& high) {
  const auto number = [this](const QString& text, const QString& box) -> std::optional<double> {
    const std::string bytes = text.trimmed().toStdString();
    if (IsNumeric(bytes)) return NumericPrefix(bytes);
    prompts_.showMessage(
        QStringLiteral("The display's %1 limit \"%2\" is not a number.").arg(box, text.left(40)));
    return std::nullopt;
  };
  const std::optional<double> lowValue = number(low, QStringLiteral("low"));
  if (!lowValue) return false;
  const std::optional<double> highValue = number(high, QStringLiteral("high"));
  if (!highValue) return false;
  setDisplayMapping(DisplayMapping{scale, *lowValue, *highValue});
  return true;
}

void PictureView::resetDisplayMapping() {
  if (depth_) setDisplayMapping(DefaultDisplayMapping(*depth_));
}

void PictureView::zoomIn() {
  if (!zoomEnabled_) return;
  if (geometry_.zoomIn()) update();
}

void PictureView::zoomOut() {
  if (!zoomEnabled_) return;
  if (geometry_.zoomOut()) update();
}

void PictureView::initial() {
  geometry_.initial();
  setZoomEnabled(true);
  state_.lines.hideAll();
  update();
}

void PictureView::toggleMeasureMode() { setMeasureMode(!measureMode_); }

void PictureView::clean() {
  state_.lines.hideAll();
  update();

  BoxTexts texts = boxes_.texts();
  CleanPictureMeasurement(texts, state_.vectors);
  for (Box box : kPictureMeasurementBoxes)
    boxes_.setText(box, QString::fromStdString(texts[box]));
  emit cleaned();

  setZoomEnabled(true);
  setMeasureMode(false);
}

// SPOTS

void PictureView::findSpots() {
  if (!hasPicture()) return;
  // Copies share the pixels; the worker only reads them. A picture deeper than 8 bits is
  // searched in its full-depth values, not in what the display mapping shows.
  const std::shared_ptr<const GreyImage> depth = depth_;
  const QImage source = depth ? QImage() : pixelSource();
  spotTask_.start([this, source, depth](const std::atomic<bool>& stop) {
    SpotFinding finding;
    finding.stop = &stop;
    std::vector<Spot> found =
        depth ? FindSpots(*depth, finding) : FindSpots(GreyImageOf(source), finding);
    // The lattice too, while still off the window's thread: the overlay needs its centre.
    const int width = depth ? depth->width : source.width();
    const int height = depth ? depth->height : source.height();
    PatternFitOutcome fit = FitPattern(found, width, height);
    return std::function<void()>([this, found = std::move(found), fit = std::move(fit)]() mutable {
      QString status = found.empty()       ? QStringLiteral("No spots found.")
                       : found.size() == 1 ? QStringLiteral("1 spot found.")
                                           : QStringLiteral("%1 spots found.").arg(found.size());
      if (!found.empty() && !fit.fit)
        status += QStringLiteral(" No pattern can be measured from them (%1).")
                      .arg(FromUtf8(fit.message));
      setSpots(std::move(found), std::move(fit), status);
    });
  });
  spotsStatus_ = QStringLiteral("Finding spots…");
  emit spotsChanged();
}

void PictureView::setSpots(std::vector<Spot> spots, PatternFitOutcome fit, QString status) {
  spots_ = std::move(spots);
  fit_ = fit.fit;
  fitProblem_ = FromUtf8(fit.message);
  spotsStatus_ = std::move(status);
  snapTarget_.reset();
  // Its matches were counted on the spots just replaced.
  clearOverlay();
  update();
  emit spotsChanged();
}

void PictureView::forgetSpots() {
  spotTask_.cancel();
  setSpots({}, {}, QString());
}

void PictureView::cancelFindSpots() {
  if (!spotTask_.isRunning()) return;
  spotTask_.cancel();
  spotsStatus_ = QStringLiteral("Spot search stopped.");
  emit spotsChanged();
}

QRectF PictureView::spotCircleOnScreen(std::size_t i) const {
  if (i >= spots_.size()) return {};
  const Spot& s = spots_[i];
  const ScreenPoint centre = geometry_.toScreen(FromPixelCentres(s.x, s.y));
  const double radius = std::max(kLeastSpotRadius, kSpotCircleWidths * s.width * geometry_.scale());
  return {centre.x - radius, centre.y - radius, 2 * radius, 2 * radius};
}

void PictureView::measurePattern() {
  if (!fit_) {
    prompts_.showMessage(
        spots_.empty() ? QStringLiteral("Find the spots first: the pattern is measured from them.")
                       : QStringLiteral("The pattern cannot be measured (%1).").arg(fitProblem_));
    return;
  }
  const PicturePoint centre = FromPixelCentres(fit_->centreX, fit_->centreY);
  const std::array<PicturePoint, 3> vectors = {PicturePoint{fit_->r1.x, fit_->r1.y},
                                               PicturePoint{fit_->r2.x, fit_->r2.y},
                                               PicturePoint{fit_->r3.x, fit_->r3.y}};
  BoxTexts texts = boxes_.texts();
  const std::vector<Box> written = ConfirmFittedPattern(centre, vectors, state_.vectors, texts);
  // The three lines replace those on the picture; the fourth slot is left for the scale bar.
  const std::array<PictureLine, 3> lines = FittedPatternLines(centre, vectors);
  state_.lines.hideAll();
  for (const PictureLine& line : lines)
    state_.lines.addLine(line);
  state_.lastLine = lines[2];
  state_.measuredLengthPx = MeasuredLengthPx(lines[2].start, lines[2].end);
  for (Box box : written)
    boxes_.setText(box, FromUtf8(texts[box]));
  spotsStatus_ = QStringLiteral("%1 spots found; the pattern was measured from %2 of them "
                                "(residual %3 px).")
                     .arg(spots_.size())
                     .arg(fit_->spotsUsed)
                     .arg(fit_->residualPx, 0, 'f', 2);
  update();
  emit spotsChanged();
  emit patternMeasured();
}

std::optional<PictureEvidence> PictureView::pictureEvidence() const {
  if (!fit_ || !hasPicture()) return std::nullopt;
  PictureEvidence evidence;
  evidence.spots = spots_;
  evidence.centre = {fit_->centreX, fit_->centreY};
  evidence.width = picture_.width();
  evidence.height = picture_.height();
  const BoxTexts texts = boxes_.texts();
  // The search read R1 and R2 from the lines confirmed by hand, if there are any.
  if (const std::optional<std::array<PicturePoint, 2>> basis =
          MeasuredBasis(state_.vectors, texts)) {
    evidence.r1 = {(*basis)[0].x, (*basis)[0].y};
    evidence.r2 = {(*basis)[1].x, (*basis)[1].y};
  } else {
    evidence.r1 = fit_->r1;
    evidence.r2 = fit_->r2;
  }
  const double value = NumericPrefix(texts[Box::ScaleBarValue]);
  const double length = NumericPrefix(texts[Box::ScaleBarLength]);
  const double calibration = length / value;
  if (value > 0 && length > 0 && std::isfinite(calibration)) evidence.pxPerInverseNm = calibration;
  return evidence;
}

// OVERLAY

void PictureView::showSolution(MillerIndex g1, MillerIndex g2, const ReflectionRule& rule,
                               const std::vector<AtomSite>& unitCellAtoms) {
  const std::optional<PictureEvidence> evidence = pictureEvidence();
  overlay_.reset();
  if (!evidence) {
    overlayStatus_ =
        !hasPicture() ? QString()
        : spots_.empty()
            ? QStringLiteral("Find spots to see the chosen solution on the picture.")
            : QStringLiteral("No solution can be shown on the picture (%1).").arg(fitProblem_);
  } else {
    Overlay overlay;
    OverlayRequest request =
        evidence->requestFor(ReadLatticeParameters(boxes_.texts()), rule, g1, g2);
    overlay.predicted = PredictSpots(request);
    request.cancelled = CancelledReflections(request, overlay.predicted, unitCellAtoms);
    if (!request.cancelled.empty()) overlay.predicted = PredictSpots(request);
    overlay.forbidden = PredictForbiddenSpots(request);
    const double tolerance = evidence->tolerancePx();
    overlay.matches = MatchWithPicture(overlay.predicted, spots_, evidence->centre, tolerance);
    overlay.doubleAt = MatchForbiddenSpots(overlay.forbidden, spots_, overlay.matches, tolerance);
    const auto doubles = std::count_if(overlay.doubleAt.begin(), overlay.doubleAt.end(),
                                       [](int i) { return i >= 0; });
    overlay.ringRadiusPx = tolerance;
    const PictureAgreement agreement =
        CompareWithPicture(overlay.predicted, spots_, evidence->centre, tolerance);
    const auto plane = [](MillerIndex g) {
      return QStringLiteral("(%1 %2 %3)").arg(g.h).arg(g.k).arg(g.l);
    };
    overlayStatus_ =
        overlay.predicted.empty()
            ? QStringLiteral("%1 + %2 predicts no spot on the picture.").arg(plane(g1), plane(g2))
            : QStringLiteral("%1 + %2: %3 of %4 spots explained, %5 of %6 predicted "
                             "found, RMS %7 px.")
                  .arg(plane(g1), plane(g2))
                  .arg(agreement.explained)
                  .arg(agreement.detected)
                  .arg(agreement.matched)
                  .arg(agreement.predicted)
                  .arg(agreement.rmsPx, 0, 'f', 2);
    if (doubles == 1)
      overlayStatus_ += QStringLiteral(" 1 spot at a forbidden position: possible double "
                                       "diffraction.");
    else if (doubles > 1)
      overlayStatus_ += QStringLiteral(" %1 spots at forbidden positions: possible double "
                                       "diffraction.")
                            .arg(doubles);
    overlay_ = std::move(overlay);
  }
  update();
  emit overlayChanged();
}

void PictureView::clearOverlay() {
  if (!overlay_ && overlayStatus_.isEmpty()) return;
  overlay_.reset();
  overlayStatus_.clear();
  update();
  emit overlayChanged();
}

void PictureView::setOverlayShown(bool shown) {
  if (overlayShown_ == shown) return;
  overlayShown_ = shown;
  update();
  emit overlayChanged();
}

std::vector<PredictedSpot> PictureView::overlaySpots() const {
  return overlay_ ? overlay_->predicted : std::vector<PredictedSpot>();
}

PictureMatches PictureView::overlayMatches() const {
  return overlay_ ? overlay_->matches : PictureMatches();
}

std::vector<std::optional<MillerIndex>> PictureView::overlayDoubleDiffraction() const {
  std::vector<std::optional<MillerIndex>> marks;
  if (!overlay_) return marks;
  for (int i : overlay_->doubleAt)
    marks.push_back(i >= 0 ? std::optional(overlay_->forbidden[static_cast<std::size_t>(i)].hkl)
                           : std::nullopt);
  return marks;
}

QRectF PictureView::overlayRingOnScreen(std::size_t i) const {
  if (!overlay_ || i >= overlay_->predicted.size()) return {};
  const PredictedSpot& p = overlay_->predicted[i];
  const ScreenPoint centre = geometry_.toScreen(FromPixelCentres(p.x, p.y));
  const double radius = std::max(kLeastRingRadius, overlay_->ringRadiusPx * geometry_.scale());
  return {centre.x - radius, centre.y - radius, 2 * radius, 2 * radius};
}

void PictureView::paintOverlay(QPainter& painter) const {
  const QRectF shown = rect();
  QFont font = painter.font();
  font.setPointSizeF(std::max(7.0, font.pointSizeF() - 1));
  const QFontMetricsF metrics(font);
  painter.setBrush(Qt::NoBrush);
  for (std::size_t i = 0; i < overlay_->predicted.size(); ++i) {
    const QRectF ring = overlayRingOnScreen(i);
    if (!shown.intersects(ring.adjusted(0, -metrics.height(), 12 * metrics.averageCharWidth(), 0)))
      continue;
    const bool matched = overlay_->matches.matched[i];
    const QColor colour = matched ? kMatchedColour : kUnmatchedColour;
    painter.setPen(QPen(colour, matched ? 1.5 : 1, matched ? Qt::SolidLine : Qt::DashLine));
    painter.drawEllipse(ring);
    const MillerIndex& g = overlay_->predicted[i].hkl;
    const QString label = QStringLiteral("(%1 %2 %3)").arg(g.h).arg(g.k).arg(g.l);
    // Beside the ring's upper right, dark under light so it reads on any picture.
    const QPointF at = ring.center() + QPointF(ring.width() * 0.36, -ring.height() * 0.36);
    QPainterPath text;
    text.addText(at, font, label);
    painter.strokePath(text, QPen(QColor(0, 0, 0, 200), 3));
    painter.fillPath(text, colour);
  }
  painter.setPen(QPen(kUnexplainedColour, 1.5));
  for (std::size_t j = 0; j < spots_.size() && j < overlay_->matches.explained.size(); ++j) {
    if (overlay_->matches.explained[j] || overlay_->matches.directBeam[j]) continue;
    const QRectF circle = spotCircleOnScreen(j);
    if (j < overlay_->doubleAt.size() && overlay_->doubleAt[j] >= 0) {
      // A dotted ring and its (h k l): a spot where only double diffraction puts one.
      const QRectF ring = circle.adjusted(-3, -3, 3, 3);
      const MillerIndex& g =
          overlay_->forbidden[static_cast<std::size_t>(overlay_->doubleAt[j])].hkl;
      // Three short lines centred under the ring, so neighbouring spots' notes stay apart.
      const QStringList lines = {QStringLiteral("(%1 %2 %3)").arg(g.h).arg(g.k).arg(g.l),
                                 QStringLiteral("possible double"), QStringLiteral("diffraction")};
      double widest = 0;
      for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
      const QRectF labelled = ring.united(
          QRectF(ring.center().x() - widest / 2, ring.bottom(), widest, 3 * metrics.height()));
      if (!shown.intersects(labelled)) continue;
      painter.setPen(QPen(kDoubleDiffractionColour, 1.5, Qt::DotLine));
      painter.drawEllipse(ring);
      QPainterPath text;
      for (int n = 0; n < lines.size(); ++n)
        text.addText(QPointF(ring.center().x() - metrics.horizontalAdvance(lines[n]) / 2,
                             ring.bottom() + metrics.ascent() + n * metrics.height()),
                     font, lines[n]);
      painter.strokePath(text, QPen(QColor(0, 0, 0, 200), 3));
      painter.fillPath(text, kDoubleDiffractionColour);
      painter.setPen(QPen(kUnexplainedColour, 1.5));
      continue;
    }
    if (!shown.intersects(circle)) continue;
    // A cross through the circle: a spot the solution does not explain.
    painter.drawLine(circle.topLeft(), circle.bottomRight());
    painter.drawLine(circle.topRight(), circle.bottomLeft());
  }
}

PicturePoint PictureView::lineEnd(QPointF position, Qt::KeyboardModifiers modifiers) {
  const PicturePoint free = toPicture(position);
  snapTarget_.reset();
  if (spots_.empty() || (modifiers & Qt::ShiftModifier)) return free;
  const PicturePoint own = ToPixelCentres(free);
  snapTarget_ = SnapToSpot(spots_, own.x, own.y);
  if (!snapTarget_) return free;
  const Spot& s = spots_[*snapTarget_];
  return FromPixelCentres(s.x, s.y);
}

// STATE

QString PictureView::measureToggleCaption() const {
  return measureMode_ ? QStringLiteral("Move") : QStringLiteral("Measure");
}

QRectF PictureView::imageRect() const {
  const ScreenRect rect = geometry_.pictureRect();
  return {rect.left, rect.top, rect.width, rect.height};
}

QLineF PictureView::toScreen(const PictureLine& line) const {
  const ScreenPoint start = geometry_.toScreen(line.start);
  const ScreenPoint end = geometry_.toScreen(line.end);
  return {start.x, start.y, end.x, end.y};
}

QLineF PictureView::slotLineOnScreen(int slot) const {
  if (slot < 0 || slot >= LineSlots::kSlotCount || !state_.lines.slot(slot).visible) return {};
  return toScreen(state_.lines.slot(slot).line);
}

QLineF PictureView::rubberBandOnScreen() const {
  if (!state_.lines.rubberBandVisible()) return {};
  return toScreen(state_.lines.rubberBand());
}

void PictureView::setMeasureMode(bool on) {
  measureMode_ = on;
  // Leaving measure mode keeps the zoom buttons disabled; only Initial and Clean enable them.
  if (on) setZoomEnabled(false);
  setCursor(pictureCursor());
  emit toolsStateChanged();
}

void PictureView::setZoomEnabled(bool on) {
  zoomEnabled_ = on;
  emit toolsStateChanged();
}

QCursor PictureView::pictureCursor() const {
  return measureMode_ ? measuringCursor_ : QCursor(Qt::SizeAllCursor);
}

bool PictureView::onPicture(QPointF position) const {
  return hasPicture() && imageRect().contains(position);
}

PicturePoint PictureView::toPicture(QPointF position) const {
  return geometry_.toPicture({position.x(), position.y()});
}

// PAINTING

void PictureView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (hasPicture()) {
    // Only the part of the picture inside the widget is drawn: a picture zoomed to thousands of
    // pixels stays cheap to paint. Whole source pixels keep the scaled pixels square.
    const PicturePoint topLeft = toPicture({0, 0});
    const PicturePoint bottomRight = toPicture(QPointF(width(), height()));
    const double left = std::max(0.0, std::floor(topLeft.x));
    const double top = std::max(0.0, std::floor(topLeft.y));
    const double right = std::min<double>(picture_.width(), std::ceil(bottomRight.x));
    const double bottom = std::min<double>(picture_.height(), std::ceil(bottomRight.y));
    if (right > left && bottom > top) {
      const QRectF source(left, top, right - left, bottom - top);
      const ScreenPoint targetTopLeft = geometry_.toScreen({left, top});
      const ScreenPoint targetBottomRight = geometry_.toScreen({right, bottom});
      const QRectF target(QPointF(targetTopLeft.x, targetTopLeft.y),
                          QPointF(targetBottomRight.x, targetBottomRight.y));
      // Enlarged pictures show their pixels; reduced ones are smoothed.
      painter.setRenderHint(QPainter::SmoothPixmapTransform, geometry_.scale() < 1);
      painter.drawImage(target, picture_, source);
    }
  }

  painter.setRenderHint(QPainter::Antialiasing);
  if (!spots_.empty()) {
    painter.setPen(QPen(kSpotColour, 1));
    painter.setBrush(Qt::NoBrush);
    const QRectF shown = rect().adjusted(-50, -50, 50, 50);
    for (std::size_t i = 0; i < spots_.size(); ++i) {
      const QRectF circle = spotCircleOnScreen(i);
      if (shown.intersects(circle)) painter.drawEllipse(circle);
    }
    if (overlay_ && overlayShown_) paintOverlay(painter);
    if (snapTarget_ && *snapTarget_ < spots_.size()) {
      // The spot a line end will snap to, with a dot on the centre the end takes.
      painter.setPen(QPen(kSnapColour, 2));
      const QRectF circle = spotCircleOnScreen(*snapTarget_);
      painter.drawEllipse(circle);
      painter.setBrush(kSnapColour);
      painter.drawEllipse(circle.center(), 1.5, 1.5);
      painter.setBrush(Qt::NoBrush);
    }
  }
  painter.setPen(QPen(kSlotLineColour, 1));
  for (int i = 0; i < LineSlots::kSlotCount; ++i)
    if (state_.lines.slot(i).visible) painter.drawLine(slotLineOnScreen(i));
  if (state_.lines.rubberBandVisible()) {
    painter.setPen(QPen(kRubberBandColour, 1));
    painter.drawLine(rubberBandOnScreen());
  }
}

void PictureView::resizeEvent(QResizeEvent* event) {
  // The picture keeps its place; only the centre used by the next zoom or centring moves.
  geometry_.setViewSize(event->size().width(), event->size().height());
  QWidget::resizeEvent(event);
}

// MOUSE

void PictureView::mousePressEvent(QMouseEvent* event) {
  const QPointF position = event->position();
  // The first button of a gesture decides whether the picture takes the mouse until every
  // button is up; presses on the picture area's own background are taken here too, so they
  // are no click on the window's background (which closes the "Measure" dialog).
  if (event->buttons() == event->button()) captured_ = onPicture(position);
  if (!captured_) return event->accept();
  if (event->button() != Qt::LeftButton) return;
  if (measureMode_) {
    measureStart_ = lineEnd(position, event->modifiers());
    measurePressed_ = true;
  } else {
    dragStart_ = toPicture(position);
  }
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF position = event->position();
  const bool over = captured_ || onPicture(position);
  if (!over) {
    unsetCursor();
    return QWidget::mouseMoveEvent(event);
  }
  setCursor(pictureCursor());
  emit pictureMouseMoved();
  if (measureMode_ && !measurePressed_ && !spots_.empty()) {
    // Marks the spot a press here would start the line on.
    const std::optional<std::size_t> before = snapTarget_;
    lineEnd(position, event->modifiers());
    if (snapTarget_ != before) update();
  }
  if (!captured_ || event->buttons() != Qt::LeftButton) return;

  if (measureMode_) {
    if (!measurePressed_) return;
    // The rubber band ends where the line would end if released here, so the magnifier shows
    // the snapped point.
    state_.lines.showRubberBand({measureStart_, lineEnd(position, event->modifiers())});
  } else {
    // The grabbed picture point follows the cursor; slot lines live in picture pixels and
    // move with it.
    geometry_.panTo(dragStart_, {position.x(), position.y()});
    state_.lines.hideRubberBand();
  }
  update();
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
  if (!captured_) return QWidget::mouseReleaseEvent(event);
  if (event->buttons() == Qt::NoButton) captured_ = false;
  if (event->button() != Qt::LeftButton || !measureMode_ || !measurePressed_) return;
  measurePressed_ = false;

  const PictureLine line{measureStart_, lineEnd(event->position(), event->modifiers())};
  snapTarget_.reset();
  state_.lines.showRubberBand(line);
  state_.lines.addLine(line);
  state_.lastLine = line;
  state_.measuredLengthPx = MeasuredLengthPx(line.start, line.end);
  update();
  emit lineFinished();
}

// DROP

void PictureView::dragEnterEvent(QDragEnterEvent* event) { event->acceptProposedAction(); }

void PictureView::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  emit dropReceived();
}

} // namespace spot
