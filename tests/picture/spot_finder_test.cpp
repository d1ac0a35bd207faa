#include "picture/spot_finder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "picture/spot_snapping.hpp"
#include "support/synthetic_picture.hpp"

namespace spot {
namespace {

using testing::LatticeSpots;
using testing::PictureRecipe;
using testing::RenderPicture;
using testing::TrueSpot;

// How the found spots compare with the truth, over the true spots a finder can see: not under
// the burnt-in marks and not on the direct beam's saturated plateau.
struct Score {
  int visible = 0, found = 0; // spots of 5 noise sigmas or more
  int strong = 0, weak = 0;   // found spots of >= 15 and 5..15 sigmas
  double strongSquares = 0, weakSquares = 0;
  int detections = 0, falseSpots = 0;
};

bool underMarks(const PictureRecipe& r, double x, double y, double margin) {
  if (!r.scaleBar) return false;
  if (r.labelBox)
    return x > 20 - margin && x < 160 + margin && y > r.height - 70 - margin &&
           y < r.height - 16 + margin;
  // The bar (30..150, h-30..h-25) and the label above it (30..135, h-61..h-37).
  return x > 30 - margin && x < 150 + margin && y > r.height - 61 - margin &&
         y < r.height - 25 + margin;
}

Score scoreOf(const PictureRecipe& r, const std::vector<TrueSpot>& truth,
              const std::vector<Spot>& found) {
  Score score;
  std::vector<bool> matched(found.size(), false);
  for (const TrueSpot& t : truth) {
    const double sigmas = t.amplitude / r.noise;
    const bool hidden = underMarks(r, t.x, t.y, 3 * t.sigma) ||
                        (r.beamAmplitude > 0 &&
                         std::hypot(t.x - r.beamX, t.y - r.beamY) < 4 * r.beamSigma + 3 * t.sigma);
    // The nearest detection within 2 px is this spot's.
    std::size_t best = found.size();
    double bestDistance = 2;
    for (std::size_t i = 0; i < found.size(); ++i) {
      const double d = std::hypot(found[i].x - t.x, found[i].y - t.y);
      if (d < bestDistance) best = i, bestDistance = d;
    }
    if (best < found.size()) matched[best] = true;
    if (hidden || sigmas < 5) continue;
    ++score.visible;
    if (best == found.size()) continue;
    ++score.found;
    (sigmas >= 15 ? score.strongSquares : score.weakSquares) += bestDistance * bestDistance;
    ++(sigmas >= 15 ? score.strong : score.weak);
  }
  for (std::size_t i = 0; i < found.size(); ++i) {
    const bool beam =
        r.beamAmplitude > 0 && std::hypot(found[i].x - r.beamX, found[i].y - r.beamY) < 2;
    if (beam) continue;
    ++score.detections;
    if (!matched[i]) ++score.falseSpots;
  }
  return score;
}

// Each drawn spot has a found one within `within` px.
void ExpectEachFound(const std::vector<Spot>& found, const std::vector<TrueSpot>& drawn,
                     double within) {
  for (const TrueSpot& t : drawn)
    EXPECT_TRUE(
        std::any_of(found.begin(), found.end(),
                    [&](const Spot& s) { return std::hypot(s.x - t.x, s.y - t.y) < within; }))
        << t.x << ", " << t.y;
}

// Generated pictures of known truth: 8-bit and 16-bit, noise 2 to 9 on the 255 scale, sloping
// background with a diffuse fall-off, saturated direct beam, a burnt-in scale bar and label (on
// a black box in two of them: its edges are no spots), lattices with spots at the edges. The goals:
// at least 97 % of the spots of 5 noise sigmas found, centre errors at most 0.15 px RMS at 15
// sigmas or more and 0.4 px between 5 and 15 sigmas, at most 2 % false spots.
TEST(SpotFinder, FindsGeneratedSpotsWithinTheAccuracyGoals) {
  struct Case {
    bool sixteenBit;
    double noise;
    std::array<double, 2> a, b;
  };
  const std::vector<Case> cases = {
      {false, 2, {41.3, 3.2}, {-7.1, 37.9}},  {true, 9, {35.2, -12.4}, {20.5, 44.0}},
      {false, 5, {52.0, 0.0}, {26.0, 45.03}}, {true, 3, {33.3, 8.8}, {-30.1, 36.6}},
      {false, 9, {48.0, 11.0}, {-9.0, 50.0}},
  };
  Score total;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    PictureRecipe recipe;
    recipe.sixteenBit = cases[c].sixteenBit;
    recipe.noise = cases[c].noise;
    recipe.beamX = 250.3 + 3 * c, recipe.beamY = 261.7 - 2 * c;
    recipe.beamAmplitude = 900, recipe.beamSigma = 5;
    recipe.scaleBar = true;
    recipe.labelBox = c % 2 == 1;
    recipe.seed = 11 + static_cast<unsigned>(c);
    const std::vector<TrueSpot> truth = LatticeSpots(recipe, cases[c].a, cases[c].b, 100 + c);
    const GreyImage image = RenderPicture(recipe, truth);
    const Score s = scoreOf(recipe, truth, FindSpots(image));
    total.visible += s.visible, total.found += s.found;
    total.strong += s.strong, total.weak += s.weak;
    total.strongSquares += s.strongSquares, total.weakSquares += s.weakSquares;
    total.detections += s.detections, total.falseSpots += s.falseSpots;
  }
  ASSERT_GT(total.visible, 300);
  EXPECT_GE(total.found, 0.97 * total.visible);
  EXPECT_LE(std::sqrt(total.strongSquares / total.strong), 0.15);
  EXPECT_LE(std::sqrt(total.weakSquares / total.weak), 0.4);
  EXPECT_LE(total.falseSpots, 0.02 * total.detections);
}

// One isolated spot: its width is the Gaussian sigma drawn and its intensity the Gaussian's
// integral 2 pi A s² (A = 120 grey values, times 257 in 16-bit); the direct beam, saturated
// (sigma 6 px, or 16 px with a plateau some 70 px across), is centred on its plateau and comes
// first as the brightest.
TEST(SpotFinder, ReportsWidthIntensityAndTheSaturatedBeamFirst) {
  for (const bool sixteenBit : {false, true}) {
    PictureRecipe recipe;
    recipe.sixteenBit = sixteenBit;
    recipe.noise = 2;
    recipe.beamX = 200.4, recipe.beamY = 300.8;
    recipe.beamAmplitude = 2000, recipe.beamSigma = sixteenBit ? 16 : 6;
    const std::vector<TrueSpot> truth = {{350.3, 120.6, 120, 3}};
    const std::vector<Spot> spots = FindSpots(RenderPicture(recipe, truth));
    ASSERT_EQ(spots.size(), 2u);
    EXPECT_NEAR(spots[0].x, 200.4, 0.1);
    EXPECT_NEAR(spots[0].y, 300.8, 0.1);
    const double scale = sixteenBit ? 257 : 1;
    EXPECT_NEAR(spots[1].x, 350.3, 0.05);
    EXPECT_NEAR(spots[1].y, 120.6, 0.05);
    EXPECT_NEAR(spots[1].width, 3, 0.1);
    EXPECT_NEAR(spots[1].intensity, 2 * std::numbers::pi * 120 * 9 * scale, 0.03 * 6786 * scale);
    EXPECT_GT(spots[0].intensity, spots[1].intensity);
  }
  // Without noise or rounding the fit has the drawn spots exactly: centres between pixels and
  // widths 1.2 to 3.4 px, each on a local slope (a tilted disc 40 px across, which the
  // background estimate takes away as it takes a spot: the fit's plane must take it up). The
  // brightest is clipped at 320 (15 px saturate, a plateau judged by its shape): its centre and
  // width come from its wings alone. The one of amplitude 300 saturates in 4 px, too few to
  // judge: the fit takes them as "at least 320".
  const std::array<TrueSpot, 6> drawn = {{{30.37, 25.81, 200, 1.7},
                                          {98.62, 33.14, 150, 2.6},
                                          {35.23, 90.55, 180, 3.4},
                                          {96.5, 100.5, 100, 1.2},
                                          {64.28, 62.63, 400, 2.2},
                                          {100.41, 70.36, 300, 2.0}}};
  GreyImage exact(128, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      double v = 60;
      for (const TrueSpot& t : drawn) {
        const double dx = x - t.x, dy = y - t.y;
        v += t.amplitude * std::exp(-(dx * dx + dy * dy) / (2 * t.sigma * t.sigma));
        if (dx * dx + dy * dy < 400) v += 20 + 0.4 * dx - 0.3 * dy;
      }
      exact.at(x, y) = static_cast<float>(std::min(v, 320.0));
    }
  const std::vector<Spot> fitted = FindSpots(exact);
  ASSERT_EQ(fitted.size(), drawn.size());
  for (const TrueSpot& t : drawn) {
    const auto s = std::find_if(fitted.begin(), fitted.end(), [&](const Spot& s) {
      return std::hypot(s.x - t.x, s.y - t.y) < 1e-5;
    });
    ASSERT_NE(s, fitted.end()) << t.x << ", " << t.y;
    EXPECT_NEAR(s->width, t.sigma, 1e-5);
    if (t.amplitude < 400) { // the plateau's sum is of the clipped values
      EXPECT_NEAR(s->intensity / (2 * std::numbers::pi * t.amplitude * t.sigma * t.sigma), 1, 1e-6);
    }
  }
}

// A dense pattern: 64 strong spots (100 noise sigmas high) every 20 px and, between them, 49
// weak ones (10 sigmas): the strong spots' sides add 64 x 2 x 200 x sqrt(2 pi) x 2 = 128,000
// to the neighbour differences the noise is measured from (25,440 x 2.26 from the noise: their
// mean triples), yet the weak spots are all found, each within 0.3 px. Beside them a band twice
// as wide holds every other pixel saturated: pairs with a saturated pixel say nothing of the
// noise (taken in, they would be most pairs and hide every spot).
TEST(SpotFinder, FindsWeakSpotsAmongManyStrongOnes) {
  PictureRecipe recipe;
  recipe.width = recipe.height = 160;
  recipe.noise = 2, recipe.haloAmplitude = 0;
  std::vector<TrueSpot> truth;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j) {
      truth.push_back({10.0 + 20 * i, 10.0 + 20 * j, 200, 2});
      if (i < 7 && j < 7) truth.push_back({20.0 + 20 * i, 20.0 + 20 * j, 20, 2});
    }
  const GreyImage drawn = RenderPicture(recipe, truth);
  GreyImage picture(480, 160);
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 480; ++x)
      picture.at(x, y) = x < 160 ? drawn.at(x, y) : (x + y) % 2 == 0 ? 255.0f : 30.0f;
  const std::vector<Spot> spots = FindSpots(picture);
  EXPECT_EQ(spots.size(), truth.size());
  ExpectEachFound(spots, truth, 0.3);
}

// The picture's edges and burnt-in marks: a spot in the top-left corner has the integral of
// its Gaussian, 2 pi A s², as one in the middle has; half spots centred on the first or last row
// or column are placed within 0.2 px, and so are a narrow spot 3 px from the bottom-right corner
// and a spot in a strip of a picture; the edges of a black box behind a scale bar on a dark
// background are no spots.
TEST(SpotFinder, MeasuresEdgeSpotsAndPassesOverABlackBox) {
  PictureRecipe recipe;
  recipe.noise = 2;
  const std::vector<Spot> corner = FindSpots(RenderPicture(recipe, {{5.3, 4.6, 120, 3}}));
  ASSERT_EQ(corner.size(), 1u);
  EXPECT_NEAR(corner[0].intensity, 2 * std::numbers::pi * 120 * 9, 0.03 * 6786);
  const std::vector<TrueSpot> edges = {{200.4, 0.3, 120, 3},
                                       {0.4, 150.2, 120, 3},
                                       {300.3, 511.2, 120, 3},
                                       {511.4, 300.6, 120, 3},
                                       {508.6, 508.8, 120, 1.2}};
  const std::vector<Spot> halves = FindSpots(RenderPicture(recipe, edges));
  ASSERT_EQ(halves.size(), 5u);
  ExpectEachFound(halves, edges, 0.2);
  // Strips 3 px tall and 8 px wide (one row or column of background blocks) still show a spot.
  for (const auto& [width, height] : {std::pair{80, 3}, {8, 80}}) {
    recipe.width = width, recipe.height = height;
    const TrueSpot middle{width / 2.0 - 0.4, height / 2.0 - 0.4, 100, 1.3};
    const std::vector<Spot> strip = FindSpots(RenderPicture(recipe, {middle}));
    ASSERT_EQ(strip.size(), 1u) << width << " x " << height;
    EXPECT_NEAR(strip[0].x, middle.x, 0.1);
    EXPECT_NEAR(strip[0].y, middle.y, 0.1);
  }
  // Two spots 5.5 px apart in a short picture: each is measured, within 0.25 px, without the
  // other's pixels.
  recipe.width = 64, recipe.height = 24;
  const std::vector<TrueSpot> pair = {{24.3, 12.4, 100, 1.5}, {29.8, 12.1, 100, 1.5}};
  const std::vector<Spot> two = FindSpots(RenderPicture(recipe, pair));
  ASSERT_EQ(two.size(), 2u);
  ExpectEachFound(two, pair, 0.25);
  // A spot 6 px from one eight times as high, in each direction: smoothed (sigma 1.56 px) the
  // brighter one's flank is 0.04 of its peak 4 px out, 0.3 of the weaker's (beside 0.44 of its
  // own 2 px out), and 0.16 of it 3 px out, 1.26 of the weaker's: only a 5 x 5 window lets the
  // weaker one be the highest. Three in a row 4 px apart: the middle one has two neighbours
  // nearer than 5 px, as a letter's stroke has, and is left out; the ends have one each.
  recipe.width = recipe.height = 160;
  std::vector<TrueSpot> crowded = {{40, 40, 25, 1.2},   {40, 46, 200, 1.2},  {120, 40, 25, 1.2},
                                   {120, 34, 200, 1.2}, {40, 120, 25, 1.2},  {46, 120, 200, 1.2},
                                   {120, 120, 25, 1.2}, {114, 120, 200, 1.2}};
  for (const double x : {76.0, 80.0, 84.0})
    crowded.push_back({x, 80, 100, 1.2});
  const std::vector<Spot> near = FindSpots(RenderPicture(recipe, crowded));
  crowded.erase(crowded.begin() + 9);
  EXPECT_EQ(near.size(), crowded.size());
  ExpectEachFound(near, crowded, 0.3);
  recipe.width = recipe.height = 512;
  recipe.scaleBar = true, recipe.labelBox = true, recipe.level = 10; // the box dips the most
  // A round saturated blot of radius 5 with a rim 2 px wide half way to white, as the letters'
  // edges have, is no spot either: the rim stands out like a spot's wings, but flat.
  GreyImage marks = RenderPicture(recipe, {});
  for (int y = 93; y <= 107; ++y)
    for (int x = 393; x <= 407; ++x) {
      const int r2 = (x - 400) * (x - 400) + (y - 100) * (y - 100);
      if (r2 <= 49) marks.at(x, y) = r2 <= 25 ? 255 : (marks.at(x, y) + 255) / 2;
    }
  EXPECT_TRUE(FindSpots(marks).empty());
}

// A peak is looked at when the picture smoothed by 1 4 6 4 1 / 16 along rows and columns (the
// edge pixel repeated beyond the edge) stands candidateSigmas times 70 / 256 of the noise above
// the background. On a checkerboard of 49 and 51 every neighbour difference is 2 (noise
// 2 / (0.6745 sqrt 2)) and the smoothing takes it away; spots peak on the edge columns, next
// to them, on the top row and in the middle. Each is found with the factor 0.1 % below its
// height, and not 0.1 % above.
TEST(SpotFinder, TakesPeaksAboveTheSmoothedThresholdUpToTheEdges) {
  const std::array<std::array<int, 3>, 6> drawn = {
      {{0, 16, 40}, {1, 48, 50}, {31, 32, 45}, {31, 0, 55}, {62, 16, 60}, {63, 48, 70}}};
  GreyImage picture(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      double v = (x + y) % 2 ? 49 : 51;
      for (const auto& [sx, sy, a] : drawn)
        v += a * std::exp(-((x - sx) * (x - sx) + (y - sy) * (y - sy)) / 4.5);
      picture.at(x, y) = static_cast<float>(v);
    }
  const std::array<double, 5> binomial = {1, 4, 6, 4, 1};
  for (const auto& [sx, sy, a] : drawn) {
    double smoothed = 0;
    for (int i = 0; i < 5; ++i)
      for (int j = 0; j < 5; ++j)
        smoothed += binomial[i] * binomial[j] / 256 *
                    picture.at(std::clamp(sx + i - 2, 0, 63), std::clamp(sy + j - 2, 0, 63));
    for (const double factor : {0.999, 1.001}) {
      SpotFinding options;
      options.candidateSigmas =
          (smoothed - 50) / (70.0 / 256 * 2 / (0.6745 * std::numbers::sqrt2)) * factor;
      const std::vector<Spot> spots = FindSpots(picture, options);
      EXPECT_EQ(std::any_of(spots.begin(), spots.end(),
                            [&](const Spot& s) { return std::hypot(s.x - sx, s.y - sy) < 0.5; }),
                factor < 1)
          << sx << ", " << sy;
    }
  }
}

// Broad, weak spots (sigma 9 px, 10 noise sigmas high) whose flat tops give more than one
// candidate are each reported once, within 2 px (noise moves so flat a top that far); they sit on
// multiples of 32 px, so that the candidates of one spot end on both sides of such a line. Grey
// values are only a scale: the same picture divided by 2^20 (exactly, as floats) gives the same
// spots with 2^-20 of the intensity.
TEST(SpotFinder, ReportsBroadSpotsOnceWhateverTheGreyScale) {
  std::vector<TrueSpot> truth;
  for (int k = 0; k < 16; ++k)
    truth.push_back({63.9 + 128 * (k % 4) + 0.05 * k, 64.1 + 128 * (k / 4) - 0.05 * k, 30, 9});
  for (const unsigned seed : {2u, 5u}) {
    PictureRecipe recipe;
    recipe.noise = 3, recipe.seed = seed;
    GreyImage image = RenderPicture(recipe, truth);
    const std::vector<Spot> spots = FindSpots(image);
    ASSERT_EQ(spots.size(), truth.size());
    ExpectEachFound(spots, truth, 2);
    for (float& v : image.values)
      v /= 1 << 20;
    const std::vector<Spot> scaled = FindSpots(image);
    ASSERT_EQ(scaled.size(), spots.size());
    for (std::size_t i = 0; i < spots.size(); ++i) {
      EXPECT_NEAR(scaled[i].x, spots[i].x, 1e-3);
      EXPECT_NEAR(scaled[i].y, spots[i].y, 1e-3);
      EXPECT_NEAR(scaled[i].width, spots[i].width, 1e-3);
      EXPECT_NEAR(scaled[i].intensity * (1 << 20) / spots[i].intensity, 1, 1e-4);
    }
  }
}

// Spots 3 to 6.2 px wide whose tops only just saturate (240 above a flat level of 30, clipped
// at 255): a small plateau under a broad spot is still that spot, found within 0.1 px.
TEST(SpotFinder, FindsBroadSpotsWhoseTopsBarelySaturate) {
  PictureRecipe recipe;
  recipe.haloAmplitude = 0, recipe.slopeX = recipe.slopeY = 0;
  std::vector<TrueSpot> truth;
  for (int k = 0; k < 9; ++k)
    truth.push_back(
        {80.3 + 160 * (k % 3) + 1.1 * k, 80.7 + 160 * (k / 3) + 0.3 * k, 240, 3 + 0.4 * k});
  const std::vector<Spot> spots = FindSpots(RenderPicture(recipe, truth));
  ASSERT_EQ(spots.size(), truth.size());
  ExpectEachFound(spots, truth, 0.1);
  // Narrow spots (sigma 1.5 to 2.5 px) 5, 10, 20 and 100 times the 225 grey values of room above
  // the level, clipped: the narrower and brighter ones fall below 0.15 of the top within 2 px of
  // their plateau, as sharp marks do, yet are spots, found within 0.3 px. A saturated 9 x 9
  // square with a step edge, and the burnt-in bar and label, give none.
  recipe.scaleBar = true;
  truth.clear();
  for (int k = 0; k < 12; ++k)
    truth.push_back({180.2 + 80 * (k % 4) + 0.3 * k, 100.6 + 100 * (k / 4) + 0.2 * k,
                     225 * std::array{5.0, 10.0, 20.0, 100.0}[k % 4], 1.5 + 0.5 * (k / 4)});
  GreyImage image = RenderPicture(recipe, truth);
  for (int y = 20; y < 29; ++y)
    for (int x = 60; x < 69; ++x)
      image.at(x, y) = 255;
  const std::vector<Spot> narrow = FindSpots(image);
  EXPECT_EQ(narrow.size(), truth.size());
  ExpectEachFound(narrow, truth, 0.3);
}

// Nothing to find: pure noise on a sloping background, a constant or empty picture, values that
// are not numbers; and a run that is told to stop gives no spots.
TEST(SpotFinder, FindsNothingWhereThereIsNothingAndStopsWhenTold) {
  PictureRecipe recipe;
  recipe.noise = 6;
  EXPECT_TRUE(FindSpots(RenderPicture(recipe, {})).empty());
  EXPECT_TRUE(FindSpots(GreyImage(40, 30, 17.0f)).empty());
  EXPECT_TRUE(FindSpots(GreyImage()).empty());
  EXPECT_TRUE(GreyImage(0, 500).empty() && GreyImage(500, -1).empty()); // no pixels at all
  EXPECT_TRUE(FindSpots(GreyImage(2, 500, 1.0f)).empty());
  // A dotted circle (16 dots of sigma 2.5 px, 13 noise sigmas high, 7 px apart): each dot has
  // two within 3 widths, as the strokes of a mark have; spots stand farther apart.
  std::vector<TrueSpot> dots;
  for (int k = 0; k < 16; ++k)
    dots.push_back({200 + 17.94 * std::cos(k * std::numbers::pi / 8),
                    200 + 17.94 * std::sin(k * std::numbers::pi / 8), 80, 2.5});
  EXPECT_TRUE(FindSpots(RenderPicture(recipe, dots)).empty());

  GreyImage withHoles = RenderPicture(recipe, {{100.5, 100.5, 80, 3}});
  for (int x = 0; x < withHoles.width; x += 7)
    withHoles.at(x, 50) = std::nanf("");
  withHoles.at(3, 3) = std::numeric_limits<float>::infinity();
  const std::vector<Spot> spots = FindSpots(withHoles);
  ASSERT_EQ(spots.size(), 1u);
  EXPECT_NEAR(spots[0].x, 100.5, 0.1);
  // The same spot, sigma 3, lies outside widths of 1 to 2.7 or 3.3 to 12 px asked for; and no
  // candidate at all may be fitted when fewer than one is allowed.
  SpotFinding narrow, broad, none;
  narrow.maxWidth = 2.7, broad.minWidth = 3.3, none.maxCandidates = -1;
  EXPECT_TRUE(FindSpots(withHoles, narrow).empty());
  EXPECT_TRUE(FindSpots(withHoles, broad).empty());
  EXPECT_TRUE(FindSpots(withHoles, none).empty());

  // Numbers from anywhere in float's range, as a float picture may hold: no crash, and every
  // spot reported is made of finite numbers.
  GreyImage wild(64, 48);
  std::mt19937 random(3);
  std::uniform_real_distribution<float> exponent(-40, 38);
  for (float& v : wild.values)
    v = std::pow(10.0f, exponent(random)) * (random() % 2 ? 1 : -1);
  wild.at(10, 10) = std::numeric_limits<float>::max();
  wild.at(11, 10) = std::numeric_limits<float>::max();
  for (const Spot& s : FindSpots(wild))
    EXPECT_TRUE(std::isfinite(s.x + s.y + s.intensity + s.width));

  // Two equal spots, one candidate allowed: the upper one is kept (equal heights go top first);
  // each is centred between two pixels of equal height, of which the first counts.
  GreyImage twins(80, 80, 10.0f);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x)
      for (int cy : {20, 60})
        twins.at(x, y) +=
            100.0f * std::exp(-((x - 40.5f) * (x - 40.5f) + (y - cy) * (y - cy)) / 8.0f);
  // A saturated bar below them is judged by its shape, not taken for a candidate.
  for (int y = 72; y < 75; ++y)
    for (int x = 10; x < 70; ++x)
      twins.at(x, y) = 255;
  SpotFinding one;
  one.maxCandidates = 1;
  const std::vector<Spot> kept = FindSpots(twins, one);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_NEAR(kept[0].x, 40.5, 0.05);
  EXPECT_NEAR(kept[0].y, 20, 0.05);

  std::atomic<bool> stop{true};
  SpotFinding options;
  options.stop = &stop;
  EXPECT_TRUE(FindSpots(RenderPicture(recipe, {{100.5, 100.5, 80, 3}}), options).empty());
}

// A point snaps to the nearest spot whose centre is within 1.5 of its widths: reach is the
// spot's own, so a wide spot farther away can win over a narrow one that is nearer.
TEST(SpotSnapping, TakesTheNearestSpotWithinReach) {
  const std::vector<Spot> spots = {{10, 10, 1, 2}, {20, 10, 1, 4}, {100, 100, 1, 2}};
  EXPECT_EQ(SnapToSpot(spots, 11, 10), 0u); // 1 px from the first
  EXPECT_EQ(SnapToSpot(spots, 13, 10), 0u); // 3 = 1.5 x 2: just within the first's reach
  EXPECT_EQ(SnapToSpot(spots, 14, 10), 1u); // 4 > 3: only the second (6 <= 1.5 x 4) reaches
  EXPECT_EQ(SnapToSpot(spots, 16, 10), 1u); // 4 from the second, 6 from the first
  // Equally near two spots that both reach: the first, the brighter.
  EXPECT_EQ(SnapToSpot({{10, 10, 2, 4}, {20, 10, 1, 4}}, 15, 10), 0u);
  EXPECT_EQ(SnapToSpot(spots, 50, 50), std::nullopt);
  EXPECT_EQ(SnapToSpot({}, 10, 10), std::nullopt);
  EXPECT_EQ(SnapToSpot(spots, 100, 103.01), std::nullopt); // 3.01 > 3
}

} // namespace
} // namespace spot
