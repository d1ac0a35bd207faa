// The magnifier's rectangles, options and timer.
#include <gtest/gtest.h>

#include "measurement/magnifier_geometry.hpp"

namespace spot {
namespace {

TEST(Magnifier, RectanglesForA218By193View) {
  // Offsets x - sx = Int(218/2/f), y - sy = Int(193/2/f); destinations from the one extra source
  // pixel: e.g. f = 1.5: Int(145 * 1.5) = 217 < 218, 217 + 1.5 = 218.5 rounds (to even) to 218;
  // f = 2: 109 * 2 = 218 already covers the width, so no extra pixel there.
  struct Case {
    int option, offsetX, offsetY, sourceWidth, sourceHeight, destinationWidth, destinationHeight;
  };
  for (const Case& c : {Case{0, 72, 64, 146, 129, 218, 194}, Case{1, 54, 48, 109, 97, 218, 194},
                        Case{2, 36, 32, 73, 65, 219, 195}, Case{3, 18, 16, 37, 33, 222, 198}}) {
    const MagnifierRects r =
        MagnifierRectangles(-300, 500, 218, 193, *MagnifierZoomFactor(c.option));
    EXPECT_EQ(-300 - r.sourceLeft, c.offsetX) << c.option;
    EXPECT_EQ(500 - r.sourceTop, c.offsetY) << c.option;
    EXPECT_EQ(r.sourceWidth, c.sourceWidth) << c.option;
    EXPECT_EQ(r.sourceHeight, c.sourceHeight) << c.option;
    EXPECT_EQ(r.destinationWidth, c.destinationWidth) << c.option;
    EXPECT_EQ(r.destinationHeight, c.destinationHeight) << c.option;
  }
  EXPECT_FALSE(MagnifierZoomFactor(4));
  EXPECT_FALSE(MagnifierZoomFactor(-1));
  // Factors from 1 (the view copied 1:1, 218 px from 109 px left of the cursor) to 1e6 are taken.
  const MagnifierRects one = MagnifierRectangles(0, 0, 218, 193, 1.0);
  EXPECT_EQ(one.sourceLeft, -109);
  EXPECT_EQ(one.sourceWidth, 218);
  EXPECT_EQ(one.destinationWidth, 218);
  EXPECT_EQ(MagnifierRectangles(0, 0, 218, 193, 1e6).sourceWidth, 1); // Int(218 / 1e6) + 1
  for (double refused : {0.0, 0.999, 1e6 * 1.001}) {
    const MagnifierRects r = MagnifierRectangles(7, 9, 218, 193, refused);
    EXPECT_EQ(std::vector({r.sourceLeft, r.sourceTop, r.sourceWidth, r.sourceHeight,
                           r.destinationWidth, r.destinationHeight}),
              std::vector({7, 9, 0, 0, 0, 0}))
        << refused;
  }
}

TEST(Magnifier, TimerRedrawsOnMovementAndEveryFifthStillTick) {
  MagnifierTimer timer;
  EXPECT_EQ(MagnifierTimer::kIntervalMs, 50); // the window's timer, whose ticks these are
  // Still at (0, 0), the start position: ticks at 50..200 ms skip, the fifth (250 ms) redraws.
  for (int tick = 1; tick <= 10; ++tick) {
    const MagnifierTick t = timer.tick(false, 0, 0);
    EXPECT_EQ(t.redraw, tick % 5 == 0) << tick;
    EXPECT_EQ(t.reassertTopmost, tick % 5 == 0) << tick;
    EXPECT_EQ(t.caption, "Magnification(0,0)");
    EXPECT_TRUE(t.active);
  }
  const MagnifierTick moved = timer.tick(false, -5, 12);
  EXPECT_TRUE(moved.redraw);
  EXPECT_FALSE(moved.reassertTopmost); // only 50 ms since the last redraw
  EXPECT_EQ(moved.caption, "Magnification(-5,12)");
  for (int i = 0; i < 10; ++i)
    EXPECT_FALSE(timer.tick(true, 7, 7).active);
  EXPECT_FALSE(timer.tick(false, -5, 12).redraw); // minimized ticks neither count nor move
  EXPECT_TRUE(timer.tick(false, -5, 13).redraw);  // a move in y alone
  EXPECT_TRUE(timer.tick(false, -4, 13).redraw);  // and in x alone
}

} // namespace
} // namespace spot
