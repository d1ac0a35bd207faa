// Cost of grouping solutions into families, as ratios against the search in the same run:
// grouping the stress case's 50,904 rows against the search that found them, and the 108-phase
// batch with grouping (and nearest misses for the phases without rows) against the plain batch.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <vector>

#include "database/phase_database.hpp"
#include "indexing/search.hpp"
#include "solutions/families.hpp"
#include "solutions/nearest_miss.hpp"

namespace spot {
namespace {

MeasuredPattern makePattern(double d1, double d2, double d3, double a12, double a23, double a13,
                            double dTol, double angleTol) {
  MeasuredPattern p;
  p.d = {d1, d2, d3};
  p.angle = {a12, a23, a13};
  p.dTol = {dTol, dTol, dTol};
  p.angleTol = {angleTol, angleTol, angleTol};
  return p;
}

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// CPU seconds per iteration of each baseline, for the ratios of the figures after it.
double stressSearchSeconds = 0, batchSeconds = 0;

// The stress case of the search benchmark: Cr23C6-sized face-centred cell, N = 20.
const LatticeParameters kStressCell{1.0638, 1.0638, 1.0638, 90, 90, 90, 1};
const MeasuredPattern kStressPattern = makePattern(0.08, 0.08, 0.0566, 90, 45, 45, 0.01, 2);

void stressSearch(benchmark::State& state) {
  std::size_t rows = 0;
  const double start = processCpuSeconds();
  for (auto _ : state) {
    SearchResult r = IndexPattern(kStressCell, LatticeType::FaceCenter, 20, kStressPattern);
    rows = r.rows.size();
    benchmark::DoNotOptimize(r);
  }
  stressSearchSeconds = (processCpuSeconds() - start) / static_cast<double>(state.iterations());
  state.counters["rows"] = static_cast<double>(rows);
}

// The operations of the phase found and the rows grouped, as each new search's rows would be.
void stressGrouping(benchmark::State& state) {
  const SearchResult r = IndexPattern(kStressCell, LatticeType::FaceCenter, 20, kStressPattern);
  std::size_t families = 0;
  const double start = processCpuSeconds();
  for (auto _ : state) {
    const PhaseSymmetry symmetry = PhaseSymmetryOf(kStressCell, LatticeType::FaceCenter);
    std::vector<SolutionFamily> grouped = GroupSolutions(r.rows, symmetry, kStressPattern);
    families = grouped.size();
    benchmark::DoNotOptimize(grouped);
  }
  const double seconds = (processCpuSeconds() - start) / static_cast<double>(state.iterations());
  state.counters["families"] = static_cast<double>(families);
  if (stressSearchSeconds > 0) state.counters["this_over_search"] = seconds / stressSearchSeconds;
}

// All 108 phases at N = 10 against the body-centred iron [1 -1 0] pattern of the search
// benchmark; with grouping, each phase's rows are grouped, or its nearest misses found.
const MeasuredPattern kIronPattern =
    makePattern(0.2027, 0.1433, 0.1170, 90, 35.26, 54.74, 0.008, 2);

void batch(benchmark::State& state, bool group) {
  const std::vector<PhaseRecord>& phases = BuiltInPhases();
  std::size_t rows = 0, families = 0, misses = 0;
  const double start = processCpuSeconds();
  for (auto _ : state) {
    rows = families = misses = 0;
    for (const PhaseRecord& phase : phases) {
      SearchResult r = IndexPattern(phase.cell(), phase.latticeType(), 10, kIronPattern);
      rows += r.rows.size();
      if (group && !r.fault) {
        const PhaseSymmetry symmetry = PhaseSymmetryOf(phase.cell(), phase.latticeType());
        if (!r.rows.empty()) {
          families += GroupSolutions(r.rows, symmetry, kIronPattern).size();
        } else {
          misses += FindNearestMisses(phase.cell(), phase.latticeType(), 10, kIronPattern, symmetry)
                        .size();
        }
      }
      benchmark::DoNotOptimize(r);
    }
  }
  const double seconds = (processCpuSeconds() - start) / static_cast<double>(state.iterations());
  state.counters["rows"] = static_cast<double>(rows);
  if (!group) {
    batchSeconds = seconds;
    return;
  }
  state.counters["families"] = static_cast<double>(families);
  state.counters["nearest_misses"] = static_cast<double>(misses);
  if (batchSeconds > 0) state.counters["this_over_plain"] = seconds / batchSeconds;
}

BENCHMARK(stressSearch)->Name("stress/Search")->Unit(benchmark::kMillisecond);
BENCHMARK(stressGrouping)->Name("stress/Grouping")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(batch, Plain, false)->Name("batch/Plain")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(batch, Grouped, true)->Name("batch/Grouped")->Unit(benchmark::kMillisecond);

} // namespace
} // namespace spot

BENCHMARK_MAIN();
