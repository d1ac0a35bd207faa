#pragma once
// How a picture deeper than 8 bits is shown: its grey values mapped to 0-255 between a low and
// a high limit, linearly or logarithmically. The mapping makes a new buffer; the data stay as
// they are for measuring and spot finding.
#include <cstdint>
#include <vector>

#include "picture/grey_image.hpp"

namespace spot {

enum class DisplayScale { Linear, Logarithmic };

struct DisplayMapping {
  DisplayScale scale = DisplayScale::Linear;
  double low = 0.0;    ///< shown black, and everything below it
  double high = 255.0; ///< shown white, and everything above it
};

/// The grey value below which a `fraction` (0 to 1) of the pixels lie: the value at position
/// floor(fraction x (n - 1)) of the sorted values; 0 for an empty picture.
double GreyPercentile(const GreyImage& image, double fraction);

/// Linear, low = the 0.5 % percentile, high = the 99.9 % percentile: a few hot pixels or a
/// saturated direct beam do not wash out the weak spots.
DisplayMapping DefaultDisplayMapping(const GreyImage& image);

/// One value's display level. Linear: 255 (v - low) / (high - low); logarithmic:
/// 255 ln(1 + (v - low) / s) / ln(1 + (high - low) / s) with s = (high - low) / 1000, so that
/// three decades below the high limit still show. Rounded, clamped to 0-255; when high <= low,
/// values above low are 255 and the others 0.
std::uint8_t DisplayLevel(double value, const DisplayMapping& mapping);

/// Every pixel's display level, row by row.
std::vector<std::uint8_t> MapForDisplay(const GreyImage& image, const DisplayMapping& mapping);

} // namespace spot
