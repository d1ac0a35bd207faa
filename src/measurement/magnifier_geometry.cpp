// The magnifier's rectangles and timer.
#include "measurement/magnifier_geometry.hpp"

#include <cmath> // for floor

#include "core/numeric_text.hpp"

namespace spot {

std::optional<double> MagnifierZoomFactor(int option) {
  if (option < 0 || option >= static_cast<int>(kMagnifierOptions.size())) return std::nullopt;
  return kMagnifierOptions[static_cast<std::size_t>(option)].zoomFactor;
}

namespace {

int wholePart(double value) { return static_cast<int>(std::floor(value)); }

/// One axis: source start offset, source length and destination length.
struct Span {
  int offset, source, destination;
};

Span spanOf(int view, double f) {
  Span span{wholePart(view / 2.0 / f), wholePart(view / f), 0};
  span.destination = wholePart(span.source * f);
  if (span.destination < view) {
    // One more source pixel so the copy covers the whole view.
    span.source += 1;
    span.destination = static_cast<int>(RoundHalfEven(span.destination + f));
  }
  return span;
}

} // namespace

MagnifierRects MagnifierRectangles(int cursorX, int cursorY, int viewWidth, int viewHeight,
                                   double zoomFactor) {
  // Below 1 it would not magnify, and the source could outgrow an int.
  if (!(zoomFactor >= 1 && zoomFactor <= 1e6)) return {cursorX, cursorY, 0, 0, 0, 0};
  const Span x = spanOf(viewWidth, zoomFactor);
  const Span y = spanOf(viewHeight, zoomFactor);
  return {cursorX - x.offset, cursorY - y.offset, x.source, y.source, x.destination, y.destination};
}

std::string MagnifierCaption(int cursorX, int cursorY) {
  return "Magnification(" + std::to_string(cursorX) + "," + std::to_string(cursorY) + ")";
}

MagnifierTick MagnifierTimer::tick(bool minimized, int cursorX, int cursorY) {
  MagnifierTick result;
  if (minimized) return result;
  result.active = true;
  msSinceRedraw_ += kIntervalMs;
  result.caption = MagnifierCaption(cursorX, cursorY);
  if (cursorX != lastCursorX_ || cursorY != lastCursorY_ || msSinceRedraw_ >= kRefreshMs) {
    result.redraw = true;
    result.reassertTopmost = msSinceRedraw_ >= kRefreshMs;
    msSinceRedraw_ = 0;
  }
  lastCursorX_ = cursorX;
  lastCursorY_ = cursorY;
  return result;
}

} // namespace spot
