// Reading a 2048 x 2048 16-bit DM4 picture held in memory (tag tree, byte order, typed copy),
// its grey conversion, and its default display mapping, each against one plain copy of the same
// 8 MiB in the same run: read the ratios of their CPU times to PlainCopy's, not the times.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "picture/display_mapping.hpp"
#include "picture/microscope_picture.hpp"
#include "picture/picture_files.hpp"

namespace {

constexpr std::uint32_t kSide = 2048;

const std::vector<std::uint16_t>& samples() {
  static const std::vector<std::uint16_t> values = [] {
    std::vector<std::uint16_t> v(std::size_t(kSide) * kSide);
    std::uint32_t state = 12345; // a fixed pseudo-random texture
    for (std::uint16_t& s : v) {
      state = state * 1664525u + 1013904223u;
      s = static_cast<std::uint16_t>(state >> 20);
    }
    return v;
  }();
  return values;
}

const spot::test::Bytes& dmFile() {
  static const spot::test::Bytes file = spot::test::DmWriter{4, false}.write(
      spot::test::DmFile({spot::test::DmThumbnail(),
                          spot::test::DmImage(10, {kSide, kSide}, samples(), u"1/nm", 0.01f)}));
  return file;
}

// The baseline: the samples' bytes copied once into a buffer of their type.
void PlainCopy(benchmark::State& state) {
  const std::vector<std::uint16_t>& source = samples();
  std::vector<std::uint16_t> copy(source.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), source.data(), source.size() * sizeof(std::uint16_t));
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond);

void ReadDm4(benchmark::State& state) {
  for (auto _ : state) {
    const spot::MicroscopePictureRead read = spot::ReadMicroscopePicture(dmFile());
    benchmark::DoNotOptimize(read.picture->pixels.samples.index());
  }
}
BENCHMARK(ReadDm4)->Unit(benchmark::kMillisecond);

void ReadDm4ToGrey(benchmark::State& state) {
  for (auto _ : state) {
    const spot::MicroscopePictureRead read = spot::ReadMicroscopePicture(dmFile());
    const spot::GreyImage grey = spot::ToGreyImage(read.picture->pixels);
    benchmark::DoNotOptimize(grey.values.data());
  }
}
BENCHMARK(ReadDm4ToGrey)->Unit(benchmark::kMillisecond);

void DefaultMappingAndDisplay(benchmark::State& state) {
  const spot::MicroscopePictureRead read = spot::ReadMicroscopePicture(dmFile());
  const spot::GreyImage grey = spot::ToGreyImage(read.picture->pixels);
  for (auto _ : state) {
    const spot::DisplayMapping mapping = spot::DefaultDisplayMapping(grey);
    const std::vector<std::uint8_t> levels = spot::MapForDisplay(grey, mapping);
    benchmark::DoNotOptimize(levels.data());
  }
}
BENCHMARK(DefaultMappingAndDisplay)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
