// Speed of the indexing search against the literal triple loop, measured in the same run.
// Compare each Fast/… figure with its Literal/… twin: the ratio is what counts, not the seconds.
// The stress case also runs through spotindex-cli, in this process and as the built program;
// literal_over_this divides the literal loop's CPU time by theirs.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_commands.hpp"

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

using Search = SearchResult (*)(const LatticeParameters&, LatticeType, int, const MeasuredPattern&,
                                const SearchLimits&);

// One phase searched repeatedly; the row count shows both searches found the same.
void onePhase(benchmark::State& state, Search search, const LatticeParameters& cell,
              LatticeType type, int range, const MeasuredPattern& p) {
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
  onePhase(state, search, {0.4, 0.4, 0.4, 90, 90, 90, 1}, LatticeType::FaceCenter, 2,
           makePattern(0.2, 0.2, 0.4 / std::sqrt(8.0), 90, 45, 45, 0.008, 2));
}

// Stress: Cr23C6-sized face-centred cell, N = 20, wide spacing tolerance: 50,904 rows.
void stress(benchmark::State& state, Search search) {
  onePhase(state, search, {1.0638, 1.0638, 1.0638, 90, 90, 90, 1}, LatticeType::FaceCenter, 20,
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
      SearchResult r = search(phase.cell(), phase.latticeType(), 10, p, {});
      rows += r.rows.size();
      phasesWithRows += r.rows.empty() ? 0 : 1;
      benchmark::DoNotOptimize(r);
    }
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["phases_with_rows"] = static_cast<double>(phasesWithRows);
}

Search fast() {
  return
      [](auto& c, LatticeType t, int n, auto& p, auto& l) { return IndexPattern(c, t, n, p, l); };
}
Search literal() {
  return [](auto& c, LatticeType t, int n, auto& p, auto& l) {
    return IndexPatternLiteral(c, t, n, p, l);
  };
}

// CPU seconds of one literal stress search, for the ratios of the command-line figures below.
double literalStressSeconds = 0;

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void stressLiteral(benchmark::State& state) {
  const double start = processCpuSeconds();
  stress(state, literal());
  literalStressSeconds = (processCpuSeconds() - start) / static_cast<double>(state.iterations());
}

// The stress case as spotindex-cli runs it, tsv to the end.
const std::vector<std::string> kStressCommand = {
    "index",     "--cell", "1.0638",   "1.0638", "1.0638", "90",   "90",       "90",
    "--lattice", "F",      "--range",  "20",     "--d",    "0.08", "0.08",     "0.0566",
    "--d-tol",   "0.01",   "--angles", "90",     "45",     "45",   "--format", "tsv"};

// Counts the bytes it is given and keeps none.
class CountingSink : public std::streambuf {
public:
  std::size_t bytes = 0;

protected:
  std::streamsize xsputn(const char*, std::streamsize n) override {
    bytes += static_cast<std::size_t>(n);
    return n;
  }
  int overflow(int c) override {
    ++bytes;
    return c;
  }
};

void reportRatio(benchmark::State& state, double seconds) {
  if (literalStressSeconds > 0 && seconds > 0)
    state.counters["literal_over_this"] = literalStressSeconds / seconds;
}

// The command function end to end: parse, search, format, write (here to a sink).
void stressCli(benchmark::State& state) {
  std::size_t bytes = 0;
  const double start = processCpuSeconds();
  for (auto _ : state) {
    CountingSink sink;
    std::ostream out(&sink);
    std::ostringstream err;
    if (cli::RunCli(kStressCommand, out, err) != cli::kExitOk) {
      state.SkipWithError("spotindex-cli failed");
      break;
    }
    bytes = sink.bytes;
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  reportRatio(state, (processCpuSeconds() - start) / static_cast<double>(state.iterations()));
}

// The built program as a separate process, output to /dev/null. The time is the child's own CPU
// time (user + system, start-up included), the measure the literal figure uses too.
void stressProcess(benchmark::State& state) {
  std::vector<char*> argv{const_cast<char*>(SPOTINDEX_CLI_PATH)};
  for (const std::string& a : kStressCommand)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto started = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("spotindex-cli could not be started");
      break;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    const double seconds =
        static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
        1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    state.SetIterationTime(seconds);
    cpu += seconds;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("spotindex-cli failed");
      break;
    }
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["wall_ms"] = 1000 * wall / runs;
  reportRatio(state, cpu / runs);
}

BENCHMARK_CAPTURE(cubicExample, Fast, fast())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(cubicExample, Literal, literal())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(stress, Fast, fast())->Unit(benchmark::kMillisecond);
BENCHMARK(stressLiteral)->Name("stress/Literal")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(stressCli)->Name("stress/CliTsv")->Unit(benchmark::kMillisecond);
BENCHMARK(stressProcess)
    ->Name("stress/CliProcessTsv")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK_CAPTURE(databaseBatch, Fast, fast())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(databaseBatch, Literal, literal())->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace spot

BENCHMARK_MAIN();
