#pragma once
// What the readers share once they know where a picture's samples lie: the size check made
// before anything is allocated, and the copy into a typed buffer in the machine's byte order.
#include <cstdint>
#include <span>
#include <string>

#include "picture/byte_reader.hpp"
#include "picture/raw_picture.hpp"

namespace spot {

struct SamplePlan {
  int width = 0;
  int height = 0;
  SampleType type = SampleType::UInt8;
  std::uint64_t bytes = 0; ///< width x height x the sample's size
  std::string error;       ///< why the picture is refused, or empty
};

/// Checks a picture's size: both sides from 1 to 2^31 - 1, and the samples under
/// kMaxPictureSampleBytes. The caller then checks `bytes` against what the file holds.
SamplePlan PlanSamples(std::uint64_t width, std::uint64_t height, SampleType type);

/// Copies plan.bytes of `source` (which holds at least that many) into a picture; with
/// `bottomUp` the first stored row becomes the bottom row.
RawPicture CopySamples(std::span<const std::uint8_t> source, const SamplePlan& plan,
                       ByteOrder order, bool bottomUp);

} // namespace spot
