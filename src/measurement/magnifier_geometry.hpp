// The screen magnifier's arithmetic: the enlargement options, the screen rectangle copied and the
// size it is stretched to, and the timer logic that decides when to copy again.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace spot {

// OPTIONS

struct MagnifierOption {
  std::string_view caption; ///< the enlargement minus one, as the option button shows it
  double zoomFactor;
};

/// Option buttons 0..3: "0.5" = 150 %, "1" = 200 %, "2" = 300 %, "5" = 600 %.
inline constexpr std::array<MagnifierOption, 4> kMagnifierOptions = {
    {{"0.5", 1.5}, {"1", 2.0}, {"2", 3.0}, {"5", 6.0}}};

inline constexpr double kInitialMagnifierZoom = 1.5;

/// The enlargement of option i; nullopt for any other number (the factor then stays as it was).
std::optional<double> MagnifierZoomFactor(int option);

// RECTANGLES

/// A screen rectangle (sx, sy, sw, sh) stretched into (0, 0, dw, dh) of the view. Screen pixels.
struct MagnifierRects {
  int sourceLeft = 0, sourceTop = 0, sourceWidth = 0, sourceHeight = 0;
  int destinationWidth = 0, destinationHeight = 0;
};

/// The rectangles for the cursor at (cursorX, cursorY) and a view of viewWidth x viewHeight.
/// The source is centred on the cursor; where the stretched copy would fall short of the view,
/// one more source pixel is taken and the destination grows by the factor, rounded half to even.
/// A factor outside 1..1e6 gives empty rectangles.
MagnifierRects MagnifierRectangles(int cursorX, int cursorY, int viewWidth, int viewHeight,
                                   double zoomFactor);

// TIMER

/// "Magnification(512,384)".
std::string MagnifierCaption(int cursorX, int cursorY);

struct MagnifierTick {
  bool active = false;          ///< false while minimized: nothing else happens
  std::string caption;          ///< the window caption to set
  bool redraw = false;          ///< copy the screen again
  bool reassertTopmost = false; ///< put the window on top again (without activating it)
};

/// The 50 ms timer: redraw when the cursor moved, or at least every 250 ms while it stands
/// still; the window is put on top again on those 250 ms redraws.
class MagnifierTimer {
public:
  static constexpr int kIntervalMs = 50;
  static constexpr int kRefreshMs = 250;

  MagnifierTick tick(bool minimized, int cursorX, int cursorY);

private:
  int lastCursorX_ = 0, lastCursorY_ = 0;
  int msSinceRedraw_ = 0;
};

} // namespace spot
