// The window's side of the database batch and the report files: the measurement checked once,
// the batch over the ticked records, the report written and named in the status bar.
#include <QFileInfo>
#include <QStatusBar>

#include "database/batch_run.hpp"
#include "database/report_file.hpp"
#include "indexing/measured_pattern.hpp"
#include "indexing/result_text.hpp"
#include "indexing/search_fault.hpp"
#include "ui/database/database_panel.hpp"
#include "ui/shell/main_window.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/common/report_places.hpp"
#include "ui/calculation/results_model.hpp"

namespace spot {
namespace {

QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

/// Why the search of one phase listed nothing although the measurement was fine; empty when it
/// ran to its end.
std::string stopReason(const SearchOutcome& outcome) {
  if (outcome.rejection) return std::string(outcome.rejection->message);
  if (outcome.fault) return FaultMessage(*outcome.fault);
  return {};
}

constexpr Box kPhaseBoxes[] = {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma};

} // namespace

DatabasePanel* MainWindow::phaseDatabase() const { return phaseDatabase_; }

QString MainWindow::pictureFileName() const {
  const QString file = pictureView_->pictureFile();
  return file.isEmpty() ? QString() : QFileInfo(file).fileName();
}

void MainWindow::showReportWritten(const QString& path) {
  statusBar()->showMessage(QStringLiteral("Report written: ") + path);
}

bool MainWindow::checkBatchMeasurement(const BoxTexts& boxes) {
  if (const std::optional<BoxRejection> rejection = ValidateMeasurementBoxes(boxes)) {
    environment_.prompts.showMessage(fromUtf8(rejection->message));
    focusBox(rejection->box);
    return false;
  }
  // The same tests, in the same order, as each search would make before reading its phase.
  std::optional<SearchFault> fault;
  const double range = ReadIndexRange(boxes);
  if (range < 0)
    fault = SearchFault::NegativeIndexRange;
  else if (!(range <= SearchLimits{}.maxIndexRange))
    fault = SearchFault::IndexRangeTooLarge;
  else
    fault = ReadMeasuredPattern(boxes).fault;
  if (!fault) return true;
  environment_.prompts.showMessage(QString::fromStdString(FaultMessage(*fault)));
  focusBox(FaultBox(*fault));
  return false;
}

void MainWindow::runBatch(const std::vector<int>& records, CheckMode mode) {
  const QPointer<DatabasePanel> panel = phaseDatabase_;
  // The name of an earlier report must not stand for this run's (Single mode writes none).
  statusBar()->clearMessage();
  if (panel) panel->showRunning();
  emit closeMagnifierRequested();
  const auto finished = [&panel] {
    if (panel) panel->showFinished();
  };

  const BoxTexts boxes = boxTexts();
  if (!checkBatchMeasurement(boxes)) return finished();

  // The same batch and report as the command line's.
  std::vector<BatchPhaseOutcome> outcomes = RunBatch(boxes, records);
  const ReportWriteResult written =
      WriteBatchReport(outcomes, pictureFileName().toStdString(), mode,
                       ReportFolders(environment_.places), ReportTimeOf(environment_.clock.now()));
  if (!written.ok()) {
    // Nothing was written; the panel and the list stay as they were.
    environment_.prompts.showMessage(QString::fromStdString(written.problem->message));
    return finished();
  }

  QStringList stopped;
  for (const BatchPhaseOutcome& phase : outcomes)
    if (const std::string reason = stopReason(phase.outcome); !reason.empty())
      stopped << fromUtf8(phase.phaseName) + QStringLiteral(": ") + fromUtf8(reason);

  lockPhasePanel();
  sortResults(column::kRowLabel, Qt::AscendingOrder);
  resultsModel_->setAllRowColours(kSearchRowColour);
  // Every record passed through the panel in turn; only the last one stays visible, so it is
  // the only one shown, with the rows its search found.
  if (!outcomes.empty()) {
    BatchPhaseOutcome& last = outcomes.back();
    setPhasePanelCaption(QStringLiteral("Lattice parameters"));
    setPhaseName(fromUtf8(last.phaseName));
    for (Box box : kPhaseBoxes)
      setBoxText(box, fromUtf8(last.boxes[box]));
    setLatticeTypePosition(last.latticeType);
    showSearchOutcome(std::move(last.outcome), false);
    sortResults(column::kRowLabel, Qt::AscendingOrder);
    resultsModel_->setAllRowColours(kSearchRowColour);
  }

  // One message for the whole run instead of one per phase.
  if (!stopped.isEmpty())
    environment_.prompts.showMessage(
        QStringLiteral("These phases could not be searched and have no results:\r\n") +
        stopped.join(QStringLiteral("\r\n")));
  if (!written.path.empty()) showReportWritten(DisplayPath(written.path));
  finished();
  hideDatabasePanel();
}

void MainWindow::exportResults() {
  statusBar()->clearMessage();
  ReportBlockInput input;
  input.phaseName = phaseName().toStdString();
  input.boxes = boxTexts();
  input.pictureName = pictureFileName().toStdString();
  const int rows = resultsModel_->rowCount();
  input.rows.reserve(static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    ResultCells cells;
    for (int column = 0; column < kResultColumnCount; ++column)
      cells[static_cast<std::size_t>(column)] = resultsModel_->cellText(row, column);
    input.rows.push_back(std::move(cells));
  }

  const ReportWriteResult written = ExportReport(input, ReportFolders(environment_.places),
                                                 ReportTimeOf(environment_.clock.now()));
  if (!written.ok()) {
    environment_.prompts.showMessage(QString::fromStdString(written.problem->message));
    if (written.problem->box) focusBox(*written.problem->box);
    return;
  }
  showReportWritten(DisplayPath(written.path));
}

} // namespace spot
