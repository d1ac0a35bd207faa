// Spot finding on a 2048 x 2048 16-bit picture, against one plain pass over the same buffer
// (a 3 x 3 box filter) in the same run: read box_passes, spot finding's processor time in box
// filter passes, not the absolute times.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "picture/spot_finder.hpp"
#include "support/synthetic_picture.hpp"

namespace {

const spot::GreyImage& picture() {
  static const spot::GreyImage image = [] {
    spot::testing::PictureRecipe recipe;
    recipe.width = recipe.height = 2048;
    recipe.sixteenBit = true;
    recipe.noise = 5;
    recipe.beamX = 1020.3, recipe.beamY = 1030.6;
    recipe.beamAmplitude = 3000, recipe.beamSigma = 8;
    recipe.haloSigma = 400;
    recipe.scaleBar = true;
    const auto spots = spot::testing::LatticeSpots(recipe, {61.3, 7.2}, {-12.5, 55.1}, 7);
    return spot::testing::RenderPicture(recipe, spots);
  }();
  return image;
}

void boxFilter(const spot::GreyImage& image, spot::GreyImage& out) {
  for (int y = 1; y + 1 < image.height; ++y)
    for (int x = 1; x + 1 < image.width; ++x) {
      float sum = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          sum += image.at(x + dx, y + dy);
      out.at(x, y) = sum / 9;
    }
  benchmark::DoNotOptimize(out.values.data());
}

// Processor seconds of the fastest of `runs` calls.
template <class F> double fastest(int runs, F f) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const std::clock_t start = std::clock();
    f();
    best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return best;
}

void BoxFilter3x3(benchmark::State& state) {
  const spot::GreyImage& image = picture();
  spot::GreyImage out(image.width, image.height);
  for (auto _ : state)
    boxFilter(image, out);
}
BENCHMARK(BoxFilter3x3)->Unit(benchmark::kMillisecond);

void FindSpots2048(benchmark::State& state) {
  const spot::GreyImage& image = picture();
  std::size_t found = 0;
  for (auto _ : state) {
    const std::vector<spot::Spot> spots = spot::FindSpots(image);
    found = spots.size();
    benchmark::DoNotOptimize(spots.data());
  }
  state.counters["spots"] = static_cast<double>(found);
  // The ratio from the fastest runs of each, measured here one after the other.
  spot::GreyImage out(image.width, image.height);
  const double box = fastest(10, [&] { boxFilter(image, out); });
  const double spots = fastest(3, [&] { benchmark::DoNotOptimize(spot::FindSpots(image).data()); });
  state.counters["box_passes"] = spots / box;
}
BENCHMARK(FindSpots2048)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
