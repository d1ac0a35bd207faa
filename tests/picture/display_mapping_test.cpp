// The raw samples' statistics and grey conversion, and the display mapping as a pure function.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "picture/display_mapping.hpp"
#include "picture/raw_picture.hpp"

namespace spot {
namespace {

TEST(RawPicture, StatisticsOfRawSamplesAndTheirGreyValues) {
  RawPicture words;
  words.width = 2, words.height = 2;
  words.samples = std::vector<std::uint16_t>{300, 65535, 0, 100};
  const PictureStatistics s = StatisticsOf(words);
  EXPECT_EQ(s.min, 0.0);
  EXPECT_EQ(s.max, 65535.0);
  EXPECT_EQ(s.mean, 16483.75); // (300 + 65535 + 0 + 100) / 4
  // The names messages and the command line give the sample types, in their order.
  const char* names[] = {"int8",  "uint8",  "int16",   "uint16",
                         "int32", "uint32", "float32", "float64"};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(SampleTypeName(static_cast<SampleType>(i)), names[i]);
  EXPECT_EQ(ToGreyImage(words).values, (std::vector<float>{300, 65535, 0, 100}));

  // Float data with NaN and infinities: counted apart, and shown as the extremes of the rest.
  const float inf = std::numeric_limits<float>::infinity();
  RawPicture floats;
  floats.width = 3, floats.height = 2;
  floats.samples = std::vector<float>{-2.0f, std::nanf(""), 6.0f, inf, -inf, 2.0f};
  const PictureStatistics f = StatisticsOf(floats);
  EXPECT_EQ(f.nonFiniteCount, 3u);
  EXPECT_EQ(f.min, -2.0);
  EXPECT_EQ(f.max, 6.0);
  EXPECT_EQ(f.mean, 2.0); // (-2 + 6 + 2) / 3
  EXPECT_EQ(ToGreyImage(floats).values, (std::vector<float>{-2, -2, 6, 6, -2, 2}));

  // Doubles beyond float's range are clamped, not turned into infinities.
  RawPicture doubles;
  doubles.width = 2, doubles.height = 1;
  doubles.samples = std::vector<double>{1e300, -1e300};
  EXPECT_EQ(ToGreyImage(doubles).values[0], std::numeric_limits<float>::max());
  EXPECT_EQ(ToGreyImage(doubles).values[1], -std::numeric_limits<float>::max());

  // Nothing finite, or no samples at all: no statistics.
  EXPECT_FALSE(StatisticsOf(RawPicture{}).mean);
  RawPicture empty;
  empty.width = 1, empty.height = 1;
  empty.samples = std::vector<double>{std::nan("")};
  EXPECT_FALSE(StatisticsOf(empty).mean);
  EXPECT_EQ(ToGreyImage(empty).values, std::vector<float>{0});
}

TEST(DisplayMapping, PercentileDefaultsAndLevels) {
  // A ramp 0, 1, ..., 999: the 0.5 % percentile is at rank floor(0.005 x 999) = 4, the 99.9 %
  // one at floor(0.999 x 999) = 998.
  GreyImage ramp(1000, 1);
  for (int x = 0; x < 1000; ++x)
    ramp.at(x, 0) = static_cast<float>(999 - x); // any order
  const std::vector<float> before = ramp.values;
  const DisplayMapping defaults = DefaultDisplayMapping(ramp);
  EXPECT_EQ(defaults.scale, DisplayScale::Linear);
  EXPECT_EQ(defaults.low, 4.0);
  EXPECT_EQ(defaults.high, 998.0);
  EXPECT_EQ(ramp.values, before); // the data untouched
  EXPECT_EQ(GreyPercentile(GreyImage(), 0.5), 0.0);
  EXPECT_EQ(DefaultDisplayMapping(GreyImage()).high, 0.0);
  EXPECT_EQ(GreyPercentile(ramp, 0.5), 499.0);        // rank floor(0.5 x 999)
  EXPECT_EQ(GreyPercentile(ramp, std::nan("")), 0.0); // no fraction: the lowest

  // Linear from 100 to 300: 255 (v - 100) / 200, rounded and clamped.
  const DisplayMapping linear{DisplayScale::Linear, 100.0, 300.0};
  EXPECT_EQ(DisplayLevel(50, linear), 0);
  EXPECT_EQ(DisplayLevel(100, linear), 0);
  EXPECT_EQ(DisplayLevel(200, linear), 128); // 127.5 rounds up
  EXPECT_EQ(DisplayLevel(201, linear), 129); // 128.775
  EXPECT_EQ(DisplayLevel(300, linear), 255);
  EXPECT_EQ(DisplayLevel(1e9, linear), 255);

  // Logarithmic from 0 to 1000 (step 1): 255 ln(1 + v) / ln(1001).
  const DisplayMapping log{DisplayScale::Logarithmic, 0.0, 1000.0};
  EXPECT_EQ(DisplayLevel(-5, log), 0);
  EXPECT_EQ(DisplayLevel(0, log), 0);
  EXPECT_EQ(DisplayLevel(9, log), 85);   // 255 ln 10 / ln 1001 = 84.99
  EXPECT_EQ(DisplayLevel(99, log), 170); // 255 ln 100 / ln 1001 = 169.98
  EXPECT_EQ(DisplayLevel(1000, log), 255);
  // A weak spot 1 % of the high limit: dark in linear, bright enough in logarithmic.
  EXPECT_EQ(DisplayLevel(10, DisplayMapping{DisplayScale::Linear, 0, 1000}), 3); // 2.55
  EXPECT_GT(DisplayLevel(10, log), 85);

  // Limits in the wrong order or equal: a threshold at low. NaN is black.
  const DisplayMapping flat{DisplayScale::Linear, 5.0, 5.0};
  EXPECT_EQ(DisplayLevel(5, flat), 0);
  EXPECT_EQ(DisplayLevel(5.5, flat), 255);
  EXPECT_EQ(DisplayLevel(7, DisplayMapping{DisplayScale::Linear, 10.0, 5.0}), 0);
  EXPECT_EQ(DisplayLevel(std::nan(""), linear), 0);

  GreyImage two(2, 1);
  two.values = {100, 300};
  EXPECT_EQ(MapForDisplay(two, linear), (std::vector<std::uint8_t>{0, 255}));
}

} // namespace
} // namespace spot
