// Picture placement: centring, zoom about the view centre, panning, and lengths in picture pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "core/number_format.hpp"
#include "measurement/picture_view_geometry.hpp"

namespace spot {
namespace {

PictureViewGeometry viewOf(double pictureWidth, double pictureHeight) {
  PictureViewGeometry view;
  view.setViewSize(800, 600);
  view.setPicture(pictureWidth, pictureHeight);
  return view;
}

TEST(PictureView, CentresAtOwnSizeAndMapsBothWays) {
  // Before any picture: widget and picture pixels coincide.
  const PictureViewGeometry none;
  EXPECT_EQ(none.toScreen({12, 34}).x, 12);
  EXPECT_EQ(none.toScreen({12, 34}).y, 34);
  EXPECT_EQ(none.pictureRect().width + none.pictureRect().height, 0); // covering nothing
  // A picture before the view has its size: centred about the view's corner (0, 0).
  PictureViewGeometry early;
  early.setPicture(400, 200);
  EXPECT_EQ(early.offset().x, -200);
  EXPECT_EQ(early.offset().y, -100);
  PictureViewGeometry view = viewOf(400, 200);
  // Centre (400, 300) minus half the picture: (400 - 200, 300 - 100).
  EXPECT_EQ(view.pictureRect().left, 200);
  EXPECT_EQ(view.pictureRect().top, 200);
  EXPECT_EQ(view.pictureRect().width, 400);
  view.zoomIn();
  view.panTo({10, 20}, {33, 44});
  const PicturePoint back = view.toPicture(view.toScreen({123.5, 67.25}));
  EXPECT_NEAR(back.x, 123.5, 1e-12);
  EXPECT_NEAR(back.y, 67.25, 1e-12);
  view.initial(); // zoomed and moved: back to its own size, centred as at first
  EXPECT_EQ(view.scale(), 1);
  EXPECT_EQ(view.pictureRect().left, 200);
}

TEST(PictureView, ZoomInKeepsTheCentrePointAndZoomOutDriftsByTheQuarterShift) {
  PictureViewGeometry view = viewOf(400, 200);
  view.panTo({0, 0}, {100, 50}); // centre offset from the corner: ox = 300, oy = 250
  const PicturePoint before = view.toPicture(view.viewCentre());
  ASSERT_TRUE(view.zoomIn());
  const PicturePoint after = view.toPicture(view.viewCentre());
  EXPECT_NEAR(after.x, before.x, 1e-9);
  EXPECT_NEAR(after.y, before.y, 1e-9);
  ASSERT_TRUE(view.zoomOut());
  // In: left - ox/4, offset grows to 1.25 ox; out: + 1.25 ox / 4. Net + ox/16 = 18.75, oy/16
  // = 15.625.
  EXPECT_NEAR(view.scale(), 1.0, 1e-15);
  EXPECT_NEAR(view.offset().x, 100 + 18.75, 1e-9);
  EXPECT_NEAR(view.offset().y, 50 + 15.625, 1e-9);
}

TEST(PictureView, ZoomInStopsAtTheSizeLimitAndZoomOutNeverReachesZero) {
  EXPECT_EQ(PictureViewGeometry::kZoomLimit, 13106); // 196590 twips / 15 twips per px
  PictureViewGeometry wide = viewOf(13106, 10);
  EXPECT_FALSE(wide.zoomIn());
  EXPECT_EQ(wide.scale(), 1);
  PictureViewGeometry high = viewOf(10, 13106);
  EXPECT_FALSE(high.zoomIn());
  PictureViewGeometry below = viewOf(10, 13105);
  EXPECT_TRUE(below.zoomIn());

  PictureViewGeometry view = viewOf(400, 200);
  int steps = 0;
  while (view.zoomOut() && steps < 10000)
    ++steps;
  EXPECT_LT(steps, 10000);
  EXPECT_GE(view.scale(), PictureViewGeometry::kMinimumScale);
  EXPECT_TRUE(std::isfinite(LengthInPicturePixels({0, 0}, {1, 1}, view)));
}

TEST(PictureView, PanningKeepsTheGrabbedPointUnderTheCursorAndLinesOnTheirFeatures) {
  PictureViewGeometry view = viewOf(400, 200);
  view.zoomIn();
  const PicturePoint grabbed = view.toPicture({250, 260});
  const PicturePoint feature{300, 150};
  const ScreenPoint featureBefore = view.toScreen(feature);
  view.panTo(grabbed, {270, 230});
  const ScreenPoint underCursor = view.toScreen(grabbed);
  EXPECT_NEAR(underCursor.x, 270, 1e-9);
  EXPECT_NEAR(underCursor.y, 230, 1e-9);
  // A line stored in picture pixels moves exactly as far as the cursor did: (+20, -30).
  EXPECT_NEAR(view.toScreen(feature).x - featureBefore.x, 20, 1e-9);
  EXPECT_NEAR(view.toScreen(feature).y - featureBefore.y, -30, 1e-9);
}

TEST(PictureView, LengthsAreInPicturePixelsAtEveryZoom) {
  PictureViewGeometry view = viewOf(400, 400);
  const PicturePoint a{100, 100}, b{250, 250}; // 150 √2 = 212.132034... apart
  const double initial = LengthInPicturePixels(view.toScreen(a), view.toScreen(b), view);
  EXPECT_EQ(FormatGeneral(initial), "212.132034301758"); // 150 √2 in single precision
  for (int i = 0; i < 3; ++i)
    view.zoomIn();
  view.panTo({0, 0}, {-50, 10});
  const ScreenPoint sa = view.toScreen(a), sb = view.toScreen(b);
  EXPECT_NEAR(std::hypot(sb.x - sa.x, sb.y - sa.y), 212.132 * 1.953125, 1e-3); // 1.25³ on screen
  EXPECT_EQ(LengthInPicturePixels(sa, sb, view), initial);
}

} // namespace
} // namespace spot
