#pragma once
// A picture's samples in the type its file stores them (8- to 32-bit integers, 32/64-bit float),
// with the statistics of the raw numbers and the conversion to the grey buffer spot finding uses.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "picture/grey_image.hpp"

namespace spot {

/// The order is the order of RawPicture::Samples' alternatives.
enum class SampleType { Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

/// "int8", "uint8", "int16", "uint16", "int32", "uint32", "float32", "float64".
std::string_view SampleTypeName(SampleType type);
/// Bytes a sample takes in a file: 1, 2, 4 or 8.
std::size_t SampleBytes(SampleType type);

/// Samples row by row from the top-left pixel, as the file holds them (no scaling).
struct RawPicture {
  using Samples =
      std::variant<std::vector<std::int8_t>, std::vector<std::uint8_t>, std::vector<std::int16_t>,
                   std::vector<std::uint16_t>, std::vector<std::int32_t>,
                   std::vector<std::uint32_t>, std::vector<float>, std::vector<double>>;
  int width = 0;
  int height = 0;
  Samples samples;

  SampleType sampleType() const { return static_cast<SampleType>(samples.index()); }
  std::size_t sampleCount() const {
    return std::visit([](const auto& v) { return v.size(); }, samples);
  }
};

/// Statistics of the finite samples; float data may hold NaN or infinities, which are counted
/// apart. Without a finite sample min, max and mean are empty.
struct PictureStatistics {
  std::optional<double> min;
  std::optional<double> max;
  std::optional<double> mean;
  std::size_t nonFiniteCount = 0;
};

PictureStatistics StatisticsOf(const RawPicture& picture);

/// The samples as grey values on their own scale. Float samples that are not finite become the
/// smallest finite sample (NaN, -inf) or the largest (+inf), so that they never reach spot
/// finding; doubles beyond float's range are clamped to it.
GreyImage ToGreyImage(const RawPicture& picture);

} // namespace spot
