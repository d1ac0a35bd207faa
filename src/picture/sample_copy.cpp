// Size checks and typed copies of picture samples.
#include "picture/sample_copy.hpp"

#include <limits>

#include "picture/microscope_picture.hpp"

namespace spot {

SamplePlan PlanSamples(std::uint64_t width, std::uint64_t height, SampleType type) {
  SamplePlan plan;
  plan.type = type;
  constexpr std::uint64_t maxSide = std::numeric_limits<int>::max();
  if (width < 1 || height < 1 || width > maxSide || height > maxSide) {
    plan.error = "the picture's size " + std::to_string(width) + " x " + std::to_string(height) +
                 " is not possible (each side from 1 to " + std::to_string(maxSide) + " pixels)";
    return plan;
  }
  const std::uint64_t sampleBytes = SampleBytes(type);
  // Both sides are below 2^31, so width x height fits in 64 bits; the bytes are checked by
  // division so that no product overflows.
  const std::uint64_t pixels = width * height;
  if (pixels > kMaxPictureSampleBytes / sampleBytes) {
    plan.error = "the picture is too large (" + std::to_string(width) + " x " +
                 std::to_string(height) + " " + std::string(SampleTypeName(type)) +
                 " samples; at most " + std::to_string(kMaxPictureSampleBytes >> 20) +
                 " MiB are read)";
    return plan;
  }
  plan.width = static_cast<int>(width);
  plan.height = static_cast<int>(height);
  plan.bytes = pixels * sampleBytes;
  return plan;
}

namespace {

template <class T>
std::vector<T> Copy(std::span<const std::uint8_t> source, const SamplePlan& plan, ByteOrder order,
                    bool bottomUp) {
  const std::size_t width = static_cast<std::size_t>(plan.width);
  const std::size_t height = static_cast<std::size_t>(plan.height);
  std::vector<T> samples(width * height);
  for (std::size_t row = 0; row < height; ++row) {
    const std::uint8_t* from = source.data() + row * width * sizeof(T);
    T* to = samples.data() + (bottomUp ? height - 1 - row : row) * width;
    for (std::size_t x = 0; x < width; ++x)
      to[x] = SampleAt<T>(from, x, order);
  }
  return samples;
}

} // namespace

RawPicture CopySamples(std::span<const std::uint8_t> source, const SamplePlan& plan,
                       ByteOrder order, bool bottomUp) {
  RawPicture picture;
  picture.width = plan.width;
  picture.height = plan.height;
  switch (plan.type) {
  case SampleType::Int8: picture.samples = Copy<std::int8_t>(source, plan, order, bottomUp); break;
  case SampleType::UInt8:
    picture.samples = Copy<std::uint8_t>(source, plan, order, bottomUp);
    break;
  case SampleType::Int16:
    picture.samples = Copy<std::int16_t>(source, plan, order, bottomUp);
    break;
  case SampleType::UInt16:
    picture.samples = Copy<std::uint16_t>(source, plan, order, bottomUp);
    break;
  case SampleType::Int32:
    picture.samples = Copy<std::int32_t>(source, plan, order, bottomUp);
    break;
  case SampleType::UInt32:
    picture.samples = Copy<std::uint32_t>(source, plan, order, bottomUp);
    break;
  case SampleType::Float32: picture.samples = Copy<float>(source, plan, order, bottomUp); break;
  case SampleType::Float64: picture.samples = Copy<double>(source, plan, order, bottomUp); break;
  }
  return picture;
}

} // namespace spot
