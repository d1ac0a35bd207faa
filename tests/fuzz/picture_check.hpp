// What every picture reader harness checks: a file is read whole and consistent, or refused with
// a message, or left to other readers; never a crash, a read past the end or a huge allocation.
#pragma once

#include <cmath>

#include "fuzz_check.hpp"
#include "picture/display_mapping.hpp"
#include "picture/microscope_picture.hpp"

namespace spot::fuzz {

inline void CheckPictureRead(const MicroscopePictureRead& read, std::size_t inputSize) {
  if (!read.picture) return;
  FUZZ_CHECK(read.error.empty(), "a picture comes without an error");
  const RawPicture& pixels = read.picture->pixels;
  FUZZ_CHECK(pixels.width > 0 && pixels.height > 0, "a picture has pixels");
  const std::size_t count = pixels.sampleCount();
  FUZZ_CHECK(count == std::size_t(pixels.width) * std::size_t(pixels.height), "every sample");
  FUZZ_CHECK(count * SampleBytes(pixels.sampleType()) <= inputSize,
             "no more samples than the file holds");
  const PictureStatistics statistics = StatisticsOf(pixels);
  if (statistics.mean)
    FUZZ_CHECK(*statistics.min <= *statistics.mean && *statistics.mean <= *statistics.max,
               "the mean between min and max");
  const GreyImage grey = ToGreyImage(pixels);
  for (float v : grey.values)
    FUZZ_CHECK(std::isfinite(v), "grey values are finite");
  const DisplayMapping mapping = DefaultDisplayMapping(grey);
  FUZZ_CHECK(mapping.low <= mapping.high, "the default limits in order");
  if (const auto& c = read.picture->calibration)
    FUZZ_CHECK(std::isfinite(c->scale) && c->scale != 0 && !c->units.empty(),
               "a calibration has a scale and units");
}

} // namespace spot::fuzz
