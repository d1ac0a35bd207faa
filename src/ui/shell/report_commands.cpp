// The batch over ticked records and the export of the list, with their report files.
#include "ui/shell/report_commands.hpp"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cmath>

#include "core/number_format.hpp"
#include "database/report_file.hpp"
#include "indexing/measured_pattern.hpp"
#include "indexing/search_fault.hpp"
#include "solutions/families.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/solutions_model.hpp"
#include "ui/common/qt_text.hpp"
#include "ui/common/report_places.hpp"
#include "ui/database/best_phases_view.hpp"
#include "ui/database/database_panel.hpp"
#include "ui/database/phase_library_controller.hpp"
#include "ui/measurement/picture_view.hpp"

namespace spot {
namespace {

/// Why the search of one phase listed nothing although the measurement was fine; empty when it
/// ran to its end.
std::string stopReason(const SearchOutcome& outcome) {
  if (outcome.rejection) return std::string(outcome.rejection->message);
  if (outcome.fault) return FaultMessage(*outcome.fault);
  return {};
}

/// A phase with rows and its best family of equivalent rows.
struct RankedPhase {
  std::size_t phase = 0; ///< position in the batch's phases
  SolutionFamily best;
};

/// The phases of `batch` that have rows, ranked by the score of their best family, best first;
/// equal scores keep the batch's order. A phase without rows has no family.
std::vector<RankedPhase> RankPhases(const BatchRun& batch, const BoxTexts& boxes) {
  std::vector<RankedPhase> ranked;
  const MeasuredPattern pattern = CheckMeasurement(boxes, {}).pattern;
  for (std::size_t i = 0; i < batch.phases.size(); ++i) {
    const BatchPhaseOutcome& phase = batch.phases[i];
    const LatticeParameters cell =
        phase.phase ? phase.phase->cell() : ReadLatticeParameters(phase.boxes);
    std::vector<SolutionFamily> families =
        GroupSolutions(phase.outcome.rows, PhaseSymmetryOf(cell, phase.rule), pattern);
    if (!families.empty()) ranked.push_back({i, std::move(families.front())});
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const RankedPhase& a, const RankedPhase& b) {
    return std::round(a.best.score * 1e9) < std::round(b.best.score * 1e9);
  });
  return ranked;
}

constexpr Box kPhaseBoxes[] = {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma};

} // namespace

/// One batch: the copy of its inputs the worker reads, the stop flag, and what it produced.
struct ReportCommands::BatchWork {
  BoxTexts boxes;
  std::vector<int> records;
  std::vector<BatchUserPhase> userPhases;
  std::vector<CrystalPhase> userCrystals; ///< the same phases, to show one in the panel
  CheckMode mode = CheckMode::Single;
  std::string pictureName;
  std::vector<std::filesystem::path> folders;
  ReportTime time;
  std::atomic<bool> stop{false};
  QThread* thread = nullptr;

  // Written by the worker, read once its thread has finished.
  BatchRun batch;
  ReportWriteResult written;
  bool stopped = false;
  std::vector<RankedPhase> ranked;

  void run() {
    SearchLimits limits;
    limits.stop = &stop;
    // The report is written block by block as the phases finish (a Single run keeps none); a
    // block that cannot be written ends the run.
    std::optional<BatchReportWriter> report;
    if (mode == CheckMode::Multiple) report.emplace(folders, pictureName);
    // The same batch as the command line's; the measurement is checked once, first.
    batch = RunBatch(
        boxes, records, limits,
        [&report](const BatchPhaseOutcome& phase) { return !report || !report->addPhase(phase); },
        userPhases);
    // A stopped run writes nothing: half a report would read as the whole answer.
    stopped = stop.load();
    if (!stopped && batch.ok() && report) written = report->finish(time);
    if (!stopped && batch.ok() && written.ok()) ranked = RankPhases(batch, boxes);
  }
};

ReportCommands::ReportCommands(Panels panels, Environment& environment, QObject* parent)
    : QObject(parent), panels_(panels), environment_(environment) {}

ReportCommands::~ReportCommands() { abandonBatch(); }

void ReportCommands::setPhaseLibrary(PhaseLibraryController* library) { library_ = library; }

void ReportCommands::setBestPhasesView(BestPhasesView* view) {
  bestPhases_ = view;
  if (view) connect(view, &BestPhasesView::phaseChosen, this, &ReportCommands::showRankedPhase);
}

void ReportCommands::showRankedPhase(int rank) {
  if (work_ || rank < 0 || static_cast<std::size_t>(rank) >= ranked_.size()) return;
  showPhase(ranked_[static_cast<std::size_t>(rank)]);
}

void ReportCommands::showPhase(const BatchPhaseOutcome& phase) {
  panels_.phase.lock();
  panels_.phase.setTitle(QString::fromUtf8(PhasePanel::kRecordCaption));
  panels_.phase.nameBox()->setText(FromUtf8(phase.phaseName));
  for (Box box : kPhaseBoxes)
    panels_.boxes.setText(box, FromUtf8(phase.boxes[box]));
  panels_.phase.latticeTypeSelector()->setCurrentIndex(SelectorIndexOf(phase.latticeType));
  // A user phase brings its space group back with it.
  if (phase.userPhase > 0 && phase.userPhase <= static_cast<int>(shownUserPhases_.size()))
    panels_.phase.attachPhase(shownUserPhases_[static_cast<std::size_t>(phase.userPhase - 1)]);
  panels_.results.showSearchOutcome(phase.outcome, false);
  panels_.results.showInSearchOrder();
}

QString ReportCommands::pictureFileName() const {
  const QString file = panels_.picture.pictureFile();
  return file.isEmpty() ? QString() : QFileInfo(file).fileName();
}

void ReportCommands::showReportWritten(const ReportWriteResult& written) {
  const QString path = DisplayPath(written.path);
  // The user looks for the report beside the program; say why it is elsewhere.
  const bool elsewhere = QFileInfo(path).absoluteDir() != QDir(environment_.places.programFolder());
  panels_.statusBar.showMessage(
      elsewhere ? QStringLiteral("Report written to the documents folder, as the program's "
                                 "folder cannot be written: ") +
                      path
                : QStringLiteral("Report written: ") + path);
}

bool ReportCommands::showBatchRefusal(const BatchRun& run) {
  if (run.rejection) {
    environment_.prompts.showMessage(FromUtf8(run.rejection->message));
    panels_.boxes.focusAndSelect(run.rejection->box);
    return true;
  }
  if (run.fault) {
    environment_.prompts.showMessage(FromUtf8(FaultMessage(*run.fault)));
    panels_.boxes.focusAndSelect(FaultBox(*run.fault));
    return true;
  }
  return false;
}

void ReportCommands::runBatch(const std::vector<int>& records, CheckMode mode) {
  if (work_) return;
  // The name of an earlier report must not stand for this run's (Single mode writes none).
  panels_.statusBar.clearMessage();
  ranked_.clear();
  if (bestPhases_) bestPhases_->clear();
  if (database_) database_->showRunning();
  emit batchStarting();

  auto work = std::make_unique<BatchWork>();
  work->boxes = panels_.boxes.texts();
  work->records = records;
  if (database_ && library_)
    for (const int position : database_->selectedUserPhases()) {
      if (position < 1 || position > static_cast<int>(library_->phases().size())) continue;
      const CrystalPhase& phase = library_->phases()[static_cast<std::size_t>(position - 1)];
      const LatticeParameters& c = phase.cell;
      BatchUserPhase user{phase.name, {}, phase.rule()};
      const std::array<double, 6> values = {c.a, c.b, c.c, c.alpha, c.beta, c.gamma};
      for (std::size_t i = 0; i < 6; ++i)
        user.cell[i] = FormatGeneral(values[i]);
      work->userPhases.push_back(std::move(user));
      work->userCrystals.push_back(phase);
    }
  work->mode = mode;
  work->pictureName = ToUtf8(pictureFileName());
  work->folders = ReportFolders(environment_.places);
  work->time = ReportTimeOf(environment_.clock.now());

  BatchWork* running = work.get();
  work->thread = QThread::create([running] { running->run(); });
  connect(work->thread, &QThread::finished, this, &ReportCommands::batchDone);
  work_ = std::move(work);
  emit batchRunning(true);
  work_->thread->start();
}

void ReportCommands::stopBatch() {
  if (work_) work_->stop = true;
}

void ReportCommands::abandonBatch() {
  if (!work_) return;
  work_->stop = true;
  work_->thread->disconnect(this);
  work_->thread->wait();
  delete work_->thread;
  work_.reset();
}

void ReportCommands::batchDone() {
  if (!work_) return;
  std::unique_ptr<BatchWork> work = std::move(work_);
  work->thread->wait();
  work->thread->deleteLater();
  emit batchRunning(false);
  showBatchOutcome(*work);
}

void ReportCommands::showBatchOutcome(BatchWork& work) {
  const auto finished = [this] {
    if (database_) database_->showFinished();
  };
  if (work.stopped) {
    // Nothing was written; the panel and the list stay as they were.
    finished();
    emit batchStopped();
    return;
  }
  if (showBatchRefusal(work.batch)) return finished();
  const ReportWriteResult& written = work.written;
  if (!written.ok()) {
    // Nothing was written; the panel and the list stay as they were.
    environment_.prompts.showMessage(FromUtf8(written.problem->message));
    return finished();
  }

  const std::vector<BatchPhaseOutcome>& outcomes = work.batch.phases;
  QStringList stopped;
  for (const BatchPhaseOutcome& phase : outcomes)
    if (const std::string reason = stopReason(phase.outcome); !reason.empty())
      stopped << FromUtf8(phase.phaseName) + QStringLiteral(": ") + FromUtf8(reason);

  shownUserPhases_ = work.userCrystals;
  panels_.phase.lock();
  panels_.results.showInSearchOrder();
  // Every record passed through the panel in turn; only the last one stays visible, so it is
  // the only one shown, with the rows its search found.
  if (!outcomes.empty()) showPhase(outcomes.back());
  std::vector<BestPhasesView::Entry> entries;
  for (const RankedPhase& r : work.ranked) {
    const BatchPhaseOutcome& phase = outcomes[r.phase];
    ranked_.push_back(phase);
    entries.push_back({FromUtf8(phase.phaseName), static_cast<int>(phase.outcome.rows.size()),
                       RepresentativeText(r.best), ZoneAxisText(r.best), r.best.score});
  }
  if (bestPhases_) bestPhases_->setEntries(entries);

  // One message for the whole run instead of one per phase.
  if (!stopped.isEmpty())
    environment_.prompts.showMessage(
        QStringLiteral("These phases could not be searched and have no results:\r\n") +
        stopped.join(QStringLiteral("\r\n")));
  if (!written.path.empty()) showReportWritten(written);
  finished();
  emit batchFinished();
}

void ReportCommands::exportResults() {
  panels_.statusBar.clearMessage();
  ReportBlockInput input;
  input.phaseName = ToUtf8(panels_.phase.nameBox()->text());
  input.boxes = panels_.boxes.texts();
  input.pictureName = ToUtf8(pictureFileName());
  input.rows = panels_.results.shownCells();

  const ReportWriteResult written = ExportReport(input, ReportFolders(environment_.places),
                                                 ReportTimeOf(environment_.clock.now()));
  if (!written.ok()) {
    environment_.prompts.showMessage(FromUtf8(written.problem->message));
    if (written.problem->box) panels_.boxes.focusAndSelect(*written.problem->box);
    return;
  }
  showReportWritten(written);
}

} // namespace spot
