// Speed of the indexing search against the literal triple loop, measured in the same run.
// Compare each Fast/… figure with its Literal/… twin: the ratio is what counts, not the seconds.
#include <benchmark/benchmark.h>

#include <cmath>

#include "database/phase_database.hpp"
#include "indexing/search.hpp"

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

using Search = SearchResult (*)(const LatticeParameters&, int, int, const MeasuredPattern&,
                                const SearchLimits&);

// One phase searched repeatedly; the row count shows both searches found the same.
void onePhase(benchmark::State& state, Search search, const LatticeParameters& cell, int type,
              int range, const MeasuredPattern& p) {
  std::size_t rows = 0;
  for (auto _ : state) {
    SearchResult r = search(cell, type, range, p, {});
    rows = r.rows.size();
    benchmark::DoNotOptimize(r);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

// Face-centred cubic a = 0.4 nm, N = 2: {200} + {200} = {220}, 24 rows.
void cubicExample(benchmark::State& state, Search search) {
  onePhase(state, search, {0.4, 0.4, 0.4, 90, 90, 90, 1}, 3, 2,
           makePattern(0.2, 0.2, 0.4 / std::sqrt(8.0), 90, 45, 45, 0.008, 2));
}

// Stress: Cr23C6-sized face-centred cell, N = 20, wide spacing tolerance: 50,904 rows.
void stress(benchmark::State& state, Search search) {
  onePhase(state, search, {1.0638, 1.0638, 1.0638, 90, 90, 90, 1}, 3, 20,
           makePattern(0.08, 0.08, 0.0566, 90, 45, 45, 0.01, 2));
}

// All 108 database phases at N = 10 against a body-centred iron [1 -1 0] pattern:
// (110) + (002) = (112), d = 0.2027, 0.1433, 0.1170 nm, angles 90, 35.26, 54.74 degrees.
void databaseBatch(benchmark::State& state, Search search) {
  const MeasuredPattern p = makePattern(0.2027, 0.1433, 0.1170, 90, 35.26, 54.74, 0.008, 2);
  const std::vector<PhaseRecord>& phases = BuiltInPhases();
  std::size_t rows = 0, phasesWithRows = 0;
  for (auto _ : state) {
    rows = phasesWithRows = 0;
    for (const PhaseRecord& phase : phases) {
      SearchResult r = search(phase.cell(), phase.latticeTypeIndex(), 10, p, {});
      rows += r.rows.size();
      phasesWithRows += r.rows.empty() ? 0 : 1;
      benchmark::DoNotOptimize(r);
    }
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["phases_with_rows"] = static_cast<double>(phasesWithRows);
}

Search fast() {
  return [](auto& c, int t, int n, auto& p, auto& l) { return IndexPattern(c, t, n, p, l); };
}
Search literal() {
  return [](auto& c, int t, int n, auto& p, auto& l) { return IndexPatternLiteral(c, t, n, p, l); };
}

BENCHMARK_CAPTURE(cubicExample, Fast, fast())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(cubicExample, Literal, literal())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(stress, Fast, fast())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(stress, Literal, literal())->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(databaseBatch, Fast, fast())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(databaseBatch, Literal, literal())->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace spot

BENCHMARK_MAIN();
