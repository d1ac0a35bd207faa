// Where the diffraction picture sits in the picture view: offset and scale, zoom, centring and
// panning, and the mapping between widget points and the picture's own pixels.
#pragma once

namespace spot {

/// A point in the view widget, in device-independent pixels (Qt's logical coordinates).
struct ScreenPoint {
  double x = 0, y = 0;
};

/// A point on the picture, in the picture file's own pixels (origin at its top-left corner).
struct PicturePoint {
  double x = 0, y = 0;
};

/// The rectangle the picture covers in the widget, device-independent pixels.
struct ScreenRect {
  double left = 0, top = 0, width = 0, height = 0;
};

/// Placement of the picture in the view.
///
/// Units: widget coordinates are device-independent pixels, so the scale is "device-independent
/// pixels per picture pixel" and nothing here depends on the display's device-pixel ratio. At
/// the initial size one picture pixel covers one device-independent pixel (on a 200 % display
/// that is 2 x 2 device pixels, the size every other widget is drawn at). Lengths are measured
/// in picture pixels, so a line keeps its length at every zoom and on every display.
class PictureViewGeometry {
public:
  static constexpr double kZoomInFactor = 1.25;
  static constexpr double kZoomOutFactor = 0.8;
  /// Zoom in stops once the picture is this wide or high on screen: 196590 twips at 15 twips
  /// per pixel.
  static constexpr double kZoomLimit = 196590.0 / 15.0;
  /// Zoom out stops here so that screen lengths can always be divided by the scale.
  static constexpr double kMinimumScale = 1e-6;

  /// The widget's size; the view centre used by centring and zooming is its middle.
  void setViewSize(double width, double height);
  /// A newly loaded picture of the given size in its own pixels, shown at its own size, centred.
  void setPicture(double widthPx, double heightPx);

  /// Back to the picture's own size (scale 1), centred about the view centre.
  void initial();
  /// Enlarges by 1.25 about the view centre; false (and no change) when the picture is already
  /// kZoomLimit wide or high.
  bool zoomIn();
  /// Shrinks by 0.8, moving the picture by a quarter of the centre's offset from its corner, so
  /// the view centre ends slightly off the point it showed; false only at kMinimumScale.
  bool zoomOut();
  /// Moves the picture so that the grabbed picture point lies under the cursor.
  void panTo(PicturePoint grabbed, ScreenPoint cursor);

  ScreenPoint toScreen(PicturePoint point) const;
  PicturePoint toPicture(ScreenPoint point) const;

  /// Where the picture is drawn in the widget.
  ScreenRect pictureRect() const;
  ScreenPoint viewCentre() const { return {viewWidth_ / 2, viewHeight_ / 2}; }
  /// Device-independent pixels per picture pixel.
  double scale() const { return scale_; }
  /// Widget position of the picture's top-left corner.
  ScreenPoint offset() const { return {left_, top_}; }

private:
  void centre();

  double viewWidth_ = 0, viewHeight_ = 0;
  double pictureWidth_ = 0, pictureHeight_ = 0; // picture pixels
  double left_ = 0, top_ = 0;
  double scale_ = 1;
};

/// Length in picture pixels of the segment between two picture points, held in single
/// precision as the length boxes have always shown it.
double MeasuredLengthPx(PicturePoint start, PicturePoint end);

/// Length in picture pixels of a line drawn between two widget points in the current view:
/// the screen length divided by the zoom.
double LengthInPicturePixels(ScreenPoint start, ScreenPoint end, const PictureViewGeometry& view);

} // namespace spot
