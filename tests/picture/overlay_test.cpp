#include "picture/overlay.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace spot {
namespace {

const PredictedSpot* find(const std::vector<PredictedSpot>& spots, MillerIndex g) {
  const auto it =
      std::find_if(spots.begin(), spots.end(), [&](const PredictedSpot& s) { return s.hkl == g; });
  return it == spots.end() ? nullptr : &*it;
}

// Face-centred cubic, a = 0.4 nm, zone [0 0 1] from (2 0 0) + (0 2 0): |g(200)| = 2 / 0.4 =
// 5 1/nm, so at 10 px per 1/nm each step of 2 in h or k is 50 px. On a 400 x 400 picture (pixel
// centres 0..399) centred at (200, 200), x = 200 + 25 h stays within -0.5..399.5 for the even h
// from -8 to 6, y = 200 - 25 k for the even k from -6 to 8: 8 x 8 - 1 = 63 spots.
// (1 1 0) is forbidden by the centring and never listed.
TEST(Overlay, PlacesTheZonesReflectionsByMetricAndCalibration) {
  OverlayRequest request;
  request.cell = {0.4, 0.4, 0.4, 90, 90, 90};
  request.rule = LatticeType::FaceCenter;
  request.g1 = {2, 0, 0}, request.g2 = {0, 2, 0};
  request.centre = {200, 200};
  request.r1 = {49, 0}, request.r2 = {0, -51}; // R2 measured upwards on the screen
  request.pxPerInverseNm = 10;
  request.width = request.height = 400;
  const std::vector<PredictedSpot> spots = PredictSpots(request);
  EXPECT_EQ(spots.size(), 63u);
  ASSERT_NE(find(spots, {2, 2, 0}), nullptr);
  EXPECT_NEAR(find(spots, {2, 2, 0})->x, 250, 1e-9);
  EXPECT_NEAR(find(spots, {2, 2, 0})->y, 150, 1e-9);
  EXPECT_NEAR(find(spots, {-8, 0, 0})->x, 0, 1e-9);
  EXPECT_EQ(find(spots, {1, 1, 0}), nullptr);
  EXPECT_EQ(find(spots, {0, 0, 0}), nullptr);
  EXPECT_EQ(spots.front().hkl, (MillerIndex{2, 0, 0})); // nearest first; ties by larger (h k l)
  // Centred at (199.5, 199.5), spots on the outer edges of the edge pixels (-0.5 and 399.5)
  // still lie on the picture: h and k from -8 to 8, 9 x 9 - 1.
  request.centre = {199.5, 199.5};
  EXPECT_EQ(PredictSpots(request).size(), 80u);
  request.centre = {200, 200};

  // Primitive, zone [0 1 0] from (1 0 0) + (0 0 1): |g| = 2.5 1/nm, 25 px a step; x = 200 + 25 h
  // for h from -8 to 7, y = 200 - 25 l for l from -7 to 8: 16 x 16 - 1 = 255 spots, all k = 0.
  OverlayRequest side = request;
  side.rule = LatticeType::Primitive;
  side.g1 = {1, 0, 0}, side.g2 = {0, 0, 1};
  const std::vector<PredictedSpot> h0l = PredictSpots(side);
  EXPECT_EQ(h0l.size(), 255u);
  EXPECT_TRUE(
      std::all_of(h0l.begin(), h0l.end(), [](const PredictedSpot& p) { return p.hkl.k == 0; }));
  ASSERT_NE(find(h0l, {1, 0, 2}), nullptr);
  EXPECT_NEAR(find(h0l, {1, 0, 2})->x, 225, 1e-9);
  EXPECT_NEAR(find(h0l, {1, 0, 2})->y, 150, 1e-9);

  // With a calibration R1 and R2 give only directions, however short: R2 half a pixel downwards
  // puts (0 2 0) below the centre.
  request.r1 = {1, 0}, request.r2 = {0, 0.5};
  EXPECT_NEAR(find(PredictSpots(request), {0, 2, 0})->y, 250, 1e-9);
  request.r1 = {49, 0}, request.r2 = {0, -51};

  // Without a calibration the measured R1 sets the scale: 49 px for (2 0 0).
  request.pxPerInverseNm = 0;
  EXPECT_NEAR(find(PredictSpots(request), {0, 2, 0})->y, 200 - 49, 1e-9);

  // Hexagonal, a = 0.3 nm: |g(100)| = 2 / (a sqrt 3) = 3.849 1/nm, (0 1 0) 60 degrees from
  // (1 0 0), on the side of the measured R2 (here downwards on the screen).
  OverlayRequest hexagonal;
  hexagonal.cell = {0.3, 0.3, 0.5, 90, 90, 120};
  hexagonal.g1 = {1, 0, 0}, hexagonal.g2 = {0, 1, 0};
  hexagonal.centre = {100, 100};
  hexagonal.r1 = {30, 0}, hexagonal.r2 = {15, 26};
  hexagonal.pxPerInverseNm = 10;
  hexagonal.width = hexagonal.height = 200;
  const double g = 2 / (0.3 * std::sqrt(3.0));
  const std::vector<PredictedSpot> hex = PredictSpots(hexagonal);
  ASSERT_NE(find(hex, {0, 1, 0}), nullptr);
  EXPECT_NEAR(find(hex, {0, 1, 0})->x, 100 + 10 * g * 0.5, 1e-9);
  EXPECT_NEAR(find(hex, {0, 1, 0})->y, 100 + 10 * g * std::sqrt(3.0) / 2, 1e-9);
  EXPECT_NEAR(find(hex, {1, 0, 0})->x, 100 + 10 * g, 1e-9);

  // A thousandth of a pixel per 1/nm reaches h = 708 (a = 1 nm) in a 1 x 1 picture about (0, 0),
  // but the search stops at 400: (h 0 0) for h = -400..400 but 0 (b = 0.001 nm puts k = 1 off).
  OverlayRequest tiny = side;
  tiny.cell = {1, 0.001, 1, 90, 90, 90}, tiny.g1 = {1, 0, 0}, tiny.g2 = {0, 1, 0};
  tiny.pxPerInverseNm = 0.001, tiny.centre = {0, 0}, tiny.width = tiny.height = 1;
  EXPECT_EQ(PredictSpots(tiny).size(), 800u);

  // Nothing for parallel planes or a cell that is not one.
  request.g2 = {4, 0, 0};
  EXPECT_TRUE(PredictSpots(request).empty());
  hexagonal.cell.gamma = 0;
  EXPECT_TRUE(PredictSpots(hexagonal).empty());
}

// Four predicted spots, detections: the direct beam (not counted), two within 3 px of predicted
// ones (2 px off each, across the edge of a 3 px cell, rightwards and downwards: RMS 2), one far
// from everything.
TEST(Overlay, CountsMatchedAndExplainedSpots) {
  const std::vector<PredictedSpot> predicted = {
      {{1, 0, 0}, 149, 100}, {{-1, 0, 0}, 50, 100}, {{0, 1, 0}, 100, 50}, {{0, -1, 0}, 100, 150}};
  const std::vector<Spot> detected = {
      {100.5, 100, 1e6, 5}, {151, 100, 10, 2}, {50, 102, 10, 2}, {20, 20, 10, 2}};
  const PictureAgreement a = CompareWithPicture(predicted, detected, {100, 100}, 3);
  EXPECT_EQ(a.predicted, 4);
  EXPECT_EQ(a.matched, 2);
  EXPECT_EQ(a.detected, 3);
  EXPECT_EQ(a.explained, 2);
  EXPECT_NEAR(a.rmsPx, 2, 1e-12);
  EXPECT_EQ(CompareWithPicture({}, detected, {100, 100}, 3).explained, 0);
  EXPECT_EQ(CompareWithPicture({}, {{100, 97, 10, 2}}, {100, 100}, 3).detected, 0); // 3 px: beam
  // The same pairing spot by spot, as the window draws it.
  const PictureMatches m = MatchWithPicture(predicted, detected, {100, 100}, 3);
  EXPECT_EQ(m.matched, (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(m.explained, (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(m.directBeam, (std::vector<bool>{true, false, false, false}));
  // A reflection predicted 2.5 px from the direct beam (within the 3 px) is still not matched.
  EXPECT_EQ(MatchWithPicture({{{1, 0, 0}, 103, 100}}, detected, {100, 100}, 3).matched,
            std::vector<bool>{false});
  // Of two detections within reach of a predicted spot the nearer one pairs: 1 px off, not 2,
  // though listed second and found first (its cell is searched before the other's).
  EXPECT_NEAR(
      CompareWithPicture({{{1, 0, 0}, 50, 50}}, {{50, 52, 10, 2}, {51, 50, 10, 2}}, {0, 0}, 3)
          .rmsPx,
      1, 1e-12);
  // Equally near two forbidden places (both 2 px off), a detection takes the first listed,
  // though the second lies in the cell searched first.
  const PictureMatches unexplained{{}, {false}, {false}};
  EXPECT_EQ(MatchForbiddenSpots({{{1, 0, 0}, 50, 52}, {{2, 0, 0}, 50, 48}}, {{50, 50, 10, 2}},
                                unexplained, 3),
            std::vector<int>{0});
  EXPECT_DOUBLE_EQ(AgreementTolerancePx({50, 0}, {0, 40}), 8); // 0.2 x 40
  EXPECT_DOUBLE_EQ(AgreementTolerancePx({5, 0}, {0, 4}), 2);   // at least 2 px
}

} // namespace
} // namespace spot
