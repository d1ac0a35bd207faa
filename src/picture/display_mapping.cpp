// Display levels of deep pictures.
#include "picture/display_mapping.hpp"

#include <algorithm>
#include <cmath>

namespace spot {

namespace {

std::size_t RankOf(double fraction, std::size_t count) {
  const double clamped = std::clamp(std::isfinite(fraction) ? fraction : 0.0, 0.0, 1.0);
  return static_cast<std::size_t>(std::floor(clamped * double(count - 1)));
}

} // namespace

double GreyPercentile(const GreyImage& image, double fraction) {
  if (image.values.empty()) return 0.0;
  std::vector<float> values = image.values;
  const std::size_t rank = RankOf(fraction, values.size());
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(rank),
                   values.end());
  return values[rank];
}

DisplayMapping DefaultDisplayMapping(const GreyImage& image) {
  DisplayMapping mapping;
  mapping.scale = DisplayScale::Linear;
  if (image.values.empty()) return {DisplayScale::Linear, 0.0, 0.0};
  // One copy for both limits: after the high rank is placed, the low one lies before it.
  std::vector<float> values = image.values;
  const std::size_t low = RankOf(0.005, values.size()), high = RankOf(0.999, values.size());
  const auto at = [&values](std::size_t rank) {
    return values.begin() + static_cast<std::ptrdiff_t>(rank);
  };
  std::nth_element(values.begin(), at(high), values.end());
  mapping.high = values[high];
  std::nth_element(values.begin(), at(low), at(high));
  mapping.low = values[low];
  return mapping;
}

namespace {

// Steps of the logarithmic scale below the high limit: three decades.
constexpr double kLogDecades = 1000.0;

// The level as a fraction from 0 to 1 (not clamped).
double Fraction(double value, const DisplayMapping& m, double span) {
  const double above = value - m.low;
  if (m.scale == DisplayScale::Linear) return above / span;
  if (above <= 0) return 0.0;
  const double step = span / kLogDecades;
  return std::log1p(above / step) / std::log1p(kLogDecades);
}

} // namespace

std::uint8_t DisplayLevel(double value, const DisplayMapping& mapping) {
  if (std::isnan(value)) return 0;
  const double span = mapping.high - mapping.low;
  if (!(span > 0) || !std::isfinite(span)) return value > mapping.low ? 255 : 0;
  const double level = std::round(255.0 * Fraction(value, mapping, span));
  return static_cast<std::uint8_t>(std::clamp(level, 0.0, 255.0));
}

std::vector<std::uint8_t> MapForDisplay(const GreyImage& image, const DisplayMapping& mapping) {
  std::vector<std::uint8_t> levels(image.values.size());
  std::transform(image.values.begin(), image.values.end(), levels.begin(),
                 [&](float v) { return DisplayLevel(v, mapping); });
  return levels;
}

} // namespace spot
