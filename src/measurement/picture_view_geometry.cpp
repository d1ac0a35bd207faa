// Placement of the picture in the view and the widget-to-picture mapping.
#include "measurement/picture_view_geometry.hpp"

#include <cmath> // for sqrt

namespace spot {

void PictureViewGeometry::setViewSize(double width, double height) {
  viewWidth_ = width;
  viewHeight_ = height;
}

void PictureViewGeometry::setPicture(double widthPx, double heightPx) {
  pictureWidth_ = widthPx;
  pictureHeight_ = heightPx;
  initial();
}

void PictureViewGeometry::initial() {
  scale_ = 1;
  centre();
}

void PictureViewGeometry::centre() {
  const ScreenRect rect = pictureRect();
  top_ = viewCentre().y - rect.height / 2;
  left_ = viewCentre().x - rect.width / 2;
}

bool PictureViewGeometry::zoomIn() {
  const ScreenRect rect = pictureRect();
  if (!(rect.width < kZoomLimit && rect.height < kZoomLimit)) return false;
  const double ox = viewCentre().x - left_;
  const double oy = viewCentre().y - top_;
  scale_ *= kZoomInFactor;
  // The centre's offset grows by a quarter, so the picture point under the centre stays there.
  left_ -= ox / 4;
  top_ -= oy / 4;
  return true;
}

bool PictureViewGeometry::zoomOut() {
  if (scale_ * kZoomOutFactor < kMinimumScale) return false;
  const double ox = viewCentre().x - left_;
  const double oy = viewCentre().y - top_;
  scale_ *= kZoomOutFactor;
  // A quarter, not the fifth that would undo a zoom in: the view centre drifts slightly outwards.
  left_ += ox / 4;
  top_ += oy / 4;
  return true;
}

void PictureViewGeometry::panTo(PicturePoint grabbed, ScreenPoint cursor) {
  left_ = cursor.x - grabbed.x * scale_;
  top_ = cursor.y - grabbed.y * scale_;
}

ScreenPoint PictureViewGeometry::toScreen(PicturePoint point) const {
  return {left_ + point.x * scale_, top_ + point.y * scale_};
}

PicturePoint PictureViewGeometry::toPicture(ScreenPoint point) const {
  return {(point.x - left_) / scale_, (point.y - top_) / scale_};
}

ScreenRect PictureViewGeometry::pictureRect() const {
  return {left_, top_, pictureWidth_ * scale_, pictureHeight_ * scale_};
}

double MeasuredLengthPx(PicturePoint start, PicturePoint end) {
  const double dx = end.x - start.x;
  const double dy = end.y - start.y;
  return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

double LengthInPicturePixels(ScreenPoint start, ScreenPoint end, const PictureViewGeometry& view) {
  return MeasuredLengthPx(view.toPicture(start), view.toPicture(end));
}

} // namespace spot
