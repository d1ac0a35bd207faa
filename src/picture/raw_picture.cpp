// Statistics and grey conversion of a picture's raw samples.
#include "picture/raw_picture.hpp"

#include <algorithm> // for clamp
#include <cmath>     // for isfinite
#include <limits>
#include <type_traits>

namespace spot {

std::string_view SampleTypeName(SampleType type) {
  switch (type) {
  case SampleType::Int8: return "int8";
  case SampleType::UInt8: return "uint8";
  case SampleType::Int16: return "int16";
  case SampleType::UInt16: return "uint16";
  case SampleType::Int32: return "int32";
  case SampleType::UInt32: return "uint32";
  case SampleType::Float32: return "float32";
  case SampleType::Float64: return "float64";
  }
  return "unknown";
}

std::size_t SampleBytes(SampleType type) {
  switch (type) {
  case SampleType::Int8:
  case SampleType::UInt8: return 1;
  case SampleType::Int16:
  case SampleType::UInt16: return 2;
  case SampleType::Int32:
  case SampleType::UInt32:
  case SampleType::Float32: return 4;
  case SampleType::Float64: return 8;
  }
  return 1;
}

namespace {

// Integer samples: the sum is exact in 64 bits (at most 2^28 samples of at most 2^32).
template <class T>
requires std::is_integral_v<T>
    PictureStatistics StatisticsOfSamples(const std::vector<T>& samples) {
  PictureStatistics statistics;
  if (samples.empty()) return statistics;
  using Sum = std::conditional_t<std::is_signed_v<T>, std::int64_t, std::uint64_t>;
  Sum sum = 0;
  T low = samples[0], high = samples[0];
  for (const T sample : samples) {
    sum += static_cast<Sum>(sample);
    low = std::min(low, sample);
    high = std::max(high, sample);
  }
  statistics.min = static_cast<double>(low);
  statistics.max = static_cast<double>(high);
  statistics.mean = static_cast<double>(sum) / static_cast<double>(samples.size());
  return statistics;
}

// Float samples: NaN and infinities counted apart; Kahan summation, since a 8192 x 8192 frame
// adds 67 million terms.
template <class T>
requires std::is_floating_point_v<T>
    PictureStatistics StatisticsOfSamples(const std::vector<T>& samples) {
  PictureStatistics statistics;
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  double sum = 0.0, compensation = 0.0;
  std::size_t finite = 0;
  for (const T sample : samples) {
    const double value = static_cast<double>(sample);
    if (!std::isfinite(value)) {
      ++statistics.nonFiniteCount;
      continue;
    }
    ++finite;
    low = std::min(low, value);
    high = std::max(high, value);
    const double term = value - compensation;
    const double total = sum + term;
    compensation = (total - sum) - term;
    sum = total;
  }
  if (finite > 0) {
    statistics.min = low;
    statistics.max = high;
    // The mean of finite numbers lies between them; the clamp keeps rounding from stepping
    // outside.
    statistics.mean = std::clamp(sum / static_cast<double>(finite), low, high);
  }
  return statistics;
}

} // namespace

PictureStatistics StatisticsOf(const RawPicture& picture) {
  return std::visit([](const auto& samples) { return StatisticsOfSamples(samples); },
                    picture.samples);
}

GreyImage ToGreyImage(const RawPicture& picture) {
  GreyImage image(picture.width, picture.height);
  std::visit(
      [&](const auto& samples) {
        using T = typename std::decay_t<decltype(samples)>::value_type;
        const std::size_t count = std::min(samples.size(), image.values.size());
        if constexpr (std::is_integral_v<T>) {
          for (std::size_t i = 0; i < count; ++i)
            image.values[i] = static_cast<float>(samples[i]);
        } else {
          const PictureStatistics statistics = StatisticsOfSamples(samples);
          const double floatMax = std::numeric_limits<float>::max();
          const auto toFloat = [floatMax](double value) {
            return static_cast<float>(std::clamp(value, -floatMax, floatMax));
          };
          const float lowest = toFloat(statistics.min.value_or(0.0));
          const float highest = toFloat(statistics.max.value_or(0.0));
          for (std::size_t i = 0; i < count; ++i) {
            const double value = static_cast<double>(samples[i]);
            if (std::isfinite(value))
              image.values[i] = toFloat(value);
            else
              image.values[i] = value > 0 ? highest : lowest;
          }
        }
      },
      picture.samples);
  return image;
}

} // namespace spot
