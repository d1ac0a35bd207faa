// What ranking families by the picture costs the "Solutions" list: every family of the stress
// case (50,904 rows) laid onto a 2048 x 2048 picture and compared with its spots, as a ratio
// against grouping those rows in the same run.
#include <benchmark/benchmark.h>

#include <ctime>
#include <vector>

#include "indexing/search.hpp"
#include "picture/overlay.hpp"
#include "solutions/families.hpp"
#include "solutions/picture_ranking.hpp"

namespace spot {
namespace {

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The stress case of the search benchmark: Cr23C6-sized face-centred cell, N = 20.
const LatticeParameters kStressCell{1.0638, 1.0638, 1.0638, 90, 90, 90, 1};

MeasuredPattern stressPattern() {
  MeasuredPattern p;
  p.d = {0.08, 0.08, 0.0566};
  p.angle = {90, 45, 45};
  p.dTol = {0.01, 0.01, 0.01};
  p.angleTol = {2, 2, 2};
  return p;
}

struct Grouped {
  std::vector<SolutionFamily> families;
};

const Grouped& grouped() {
  static const Grouped g = [] {
    const SearchResult r = IndexPattern(kStressCell, LatticeType::FaceCenter, 20, stressPattern());
    return Grouped{GroupSolutions(r.rows, PhaseSymmetryOf(kStressCell, LatticeType::FaceCenter),
                                  stressPattern())};
  }();
  return g;
}

double groupingSeconds = 0;

void grouping(benchmark::State& state) {
  const SearchResult r = IndexPattern(kStressCell, LatticeType::FaceCenter, 20, stressPattern());
  const double start = processCpuSeconds();
  for (auto _ : state) {
    std::vector<SolutionFamily> families = GroupSolutions(
        r.rows, PhaseSymmetryOf(kStressCell, LatticeType::FaceCenter), stressPattern());
    benchmark::DoNotOptimize(families);
  }
  groupingSeconds = (processCpuSeconds() - start) / static_cast<double>(state.iterations());
  state.counters["families"] = static_cast<double>(grouped().families.size());
}

// R1 = R2 = 100 px (|g| = 1 / 0.08 nm = 12.5 1/nm at 8 px per 1/nm), 90 degrees apart, from the
// middle of the picture; the spots on that square lattice.
void agreement(benchmark::State& state) {
  std::vector<Spot> spots;
  for (int i = -10; i <= 10; ++i)
    for (int j = -10; j <= 10; ++j)
      if (i != 0 || j != 0) spots.push_back({1024.0 + 100 * i, 1024.0 + 100 * j, 1000, 2.5});
  std::size_t predicted = 0;
  const double start = processCpuSeconds();
  for (auto _ : state) {
    std::vector<SolutionFamily> families = grouped().families;
    std::vector<PictureAgreement> agreements;
    predicted = 0;
    for (const SolutionFamily& f : families) {
      OverlayRequest request;
      request.cell = kStressCell;
      request.rule = LatticeType::FaceCenter;
      request.g1 = f.g1;
      request.g2 = f.g2;
      request.centre = {1024, 1024};
      request.r1 = {100, 0};
      request.r2 = {0, 100};
      request.pxPerInverseNm = 8;
      request.width = request.height = 2048;
      const std::vector<PredictedSpot> p = PredictSpots(request);
      predicted += p.size();
      agreements.push_back(CompareWithPicture(p, spots, request.centre, 20));
    }
    RankByPictureAgreement(families, agreements);
    benchmark::DoNotOptimize(agreements);
  }
  const double seconds = (processCpuSeconds() - start) / static_cast<double>(state.iterations());
  state.counters["predicted_per_family"] =
      static_cast<double>(predicted) / static_cast<double>(grouped().families.size());
  if (groupingSeconds > 0) state.counters["this_over_grouping"] = seconds / groupingSeconds;
}

BENCHMARK(grouping)->Name("stress/Grouping")->Unit(benchmark::kMillisecond);
BENCHMARK(agreement)->Name("stress/PictureAgreement")->Unit(benchmark::kMillisecond);

} // namespace
} // namespace spot

BENCHMARK_MAIN();
