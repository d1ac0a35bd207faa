// Speed of the results list at the stress size (50,904 rows): filling it, sorting it by a
// header click and one run of the tolerance filter, each through the window as the user meets it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <cstdlib>
#include <memory>

#include "indexing/search.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/common/shared_place.hpp"
#include "ui/shell/main_window.hpp"

namespace spot {
namespace {

// Face-centred cubic a = 1.0638 nm, N = 20, d = 0.08, 0.08, 0.0566 nm, angles 90, 45, 45,
// d tolerance 0.01 nm, angle tolerance 2 degrees.
const std::vector<IndexingResult>& stressRows() {
  static const std::vector<IndexingResult> rows = [] {
    const LatticeParameters cell{1.0638, 1.0638, 1.0638, 90, 90, 90, 1};
    MeasuredPattern p;
    p.d = {0.08, 0.08, 0.0566};
    p.angle = {90, 45, 45};
    p.dTol = {0.01, 0.01, 0.01};
    p.angleTol = {2, 2, 2};
    return IndexPattern(cell, LatticeType::FaceCenter, 20, p).rows;
  }();
  return rows;
}

// The window with the stress pattern in its boxes (1 1/nm over 100 px: d = 100 / length).
struct Window {
  DesktopPrompts prompts;
  SystemClock clock;
  SystemPlaces places;
  MainWindow window{Environment{prompts, clock, places}};

  Window() {
    window.show();
    window.boxArray().setText(Box::ScaleBarValue, QStringLiteral("1"));
    window.boxArray().setText(Box::ScaleBarLength, QStringLiteral("100"));
    window.boxArray().setText(Box::Length1, QStringLiteral("1250"));
    window.boxArray().setText(Box::Length2, QStringLiteral("1250"));
    window.boxArray().setText(Box::Length3, QString::number(100 / 0.0566, 'g', 17));
    for (Box b : {Box::Number1, Box::Number2, Box::Number3})
      window.boxArray().setText(b, QStringLiteral("1"));
    window.boxArray().setText(Box::Angle12, QStringLiteral("90"));
    window.boxArray().setText(Box::Angle23, QStringLiteral("45"));
    window.boxArray().setText(Box::Angle13, QStringLiteral("45"));
    QApplication::processEvents();
  }
  void fill() {
    window.resultsPanel()->model()->setResults(stressRows());
    window.resultsPanel()->countLabel()->setNum(window.resultsPanel()->model()->rowCount());
    QApplication::processEvents(); // the view lays out and paints the new rows
  }
};

void Fill(benchmark::State& state) {
  Window w;
  int rows = 0;
  for (auto _ : state) {
    w.fill();
    rows = w.window.resultsPanel()->model()->rowCount();
    state.PauseTiming();
    w.window.resultsPanel()->clearResults();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["rows"] = rows;
}

// A header click on a column, in alternating direction as the user sees it.
void Sort(benchmark::State& state) {
  Window w;
  w.fill();
  const int column = static_cast<int>(state.range(0));
  bool ascending = false;
  for (auto _ : state) {
    w.window.resultsPanel()->view()->sortResults(column, ascending ? Qt::AscendingOrder
                                                                   : Qt::DescendingOrder);
    QApplication::processEvents();
    ascending = !ascending;
  }
  state.counters["rows"] = static_cast<double>(w.window.resultsPanel()->model()->rowCount());
}

// One keystroke in a tolerance box: slider, six tests per row, recolouring, counter, repaint.
void Filter(benchmark::State& state) {
  Window w;
  w.fill();
  bool narrow = false;
  for (auto _ : state) {
    w.window.boxArray().setText(Box::AngleTol12,
                                narrow ? QStringLiteral("0.5") : QStringLiteral("2"));
    QApplication::processEvents();
    narrow = !narrow;
  }
  state.counters["rows"] = static_cast<double>(w.window.resultsPanel()->model()->rowCount());
  state.counters["passing"] = w.window.resultsPanel()->countLabel()->text().toDouble();
}

BENCHMARK(Fill)->Unit(benchmark::kMillisecond);
BENCHMARK(Sort)->Arg(0)->Arg(1)->Arg(13)->Arg(19)->Unit(benchmark::kMillisecond);
BENCHMARK(Filter)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace spot

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
