// The window's side of the database batch and the report files: the measurement checked once,
// the batch over the ticked records, the export of the list, each report named in the status bar.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStatusBar>
#include <atomic>
#include <memory>
#include <vector>

#include "crystal/crystal_phase.hpp"
#include "database/batch_run.hpp"
#include "database/phase_tree.hpp"
#include "database/report_file.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/prompts.hpp"

namespace spot {

class BestPhasesView;
class DatabasePanel;
class PhaseLibraryController;
class PhasePanel;
class PictureView;
class ResultsPanel;

class ReportCommands : public QObject {
  Q_OBJECT
public:
  /// What the commands read and write: the boxes, the phase panel and results they leave the
  /// last record in, the picture whose name the reports carry, and the status bar.
  struct Panels {
    BoxArray& boxes;
    PhasePanel& phase;
    ResultsPanel& results;
    PictureView& picture;
    QStatusBar& statusBar;
  };

  ReportCommands(Panels panels, Environment& environment, QObject* parent = nullptr);
  /// Stops a batch still running and waits for it.
  ~ReportCommands() override;

  /// The panel whose "Calculate selected items" runs batches and whose captions follow them.
  void setDatabasePanel(DatabasePanel* panel) { database_ = panel; }
  /// The user's phases a batch covers when they are ticked in the database panel.
  void setPhaseLibrary(PhaseLibraryController* library);
  /// The list that ranks the phases of the last batch; choosing one there shows it.
  void setBestPhasesView(BestPhasesView* view);
  /// Shows the phase at `rank` (0 = the best) of the last batch as the batch shows its last
  /// record; nothing happens for a rank the list does not have.
  void showRankedPhase(int rank);

  /// "Calculate selected items": searches every record (1-based, in this order) against the
  /// measurement in the boxes, writes the report of a Multiple run, and leaves the last record
  /// in the locked phase panel with its rows sorted by "No.". A measurement the search would
  /// reject stops the run before it starts, with one message. The run works on a copy of the
  /// boxes taken now, off the window's thread; `batchFinished` or `batchStopped` ends it.
  void runBatch(const std::vector<int>& records, CheckMode mode);
  bool isBatchRunning() const { return work_ != nullptr; }
  /// Ends a running batch before its next phase; nothing is written and nothing changes.
  void stopBatch();
  /// Stops a running batch and waits for it, dropping its outcome (the window is closing).
  void abandonBatch();
  /// "Export calculated results": the phase, the measurement and the list as it stands into a
  /// new report; the status bar names the file, a failure gets a message.
  void exportResults();
  /// The picture's file name without its folder, as the reports name it; empty before the
  /// first picture.
  QString pictureFileName() const;

signals:
  /// A batch starts: secondary windows that would cover the list close.
  void batchStarting();
  /// The inputs of a batch are locked while it runs and unlocked when it ends.
  void batchRunning(bool running);
  /// A batch ended with its report written: the database panel makes way.
  void batchFinished();
  /// A batch was stopped by the user: nothing was written, the list stays as it was.
  void batchStopped();

private:
  /// A run refused or stopped as a whole: its one message, and the focus on the box at fault.
  bool showBatchRefusal(const BatchRun& run);
  struct BatchWork;
  /// The status bar names the file written, and the folder when it is not the program's.
  void showReportWritten(const ReportWriteResult& written);
  void batchDone();
  void showBatchOutcome(BatchWork& work);
  /// The record in the locked phase panel (caption, name, cell, lattice type) and its rows
  /// sorted by "No.".
  void showPhase(const BatchPhaseOutcome& phase);

  Panels panels_;
  Environment& environment_;
  QPointer<DatabasePanel> database_;
  QPointer<BestPhasesView> bestPhases_;
  QPointer<PhaseLibraryController> library_;
  /// The user phases of the last batch, for showing one of them again.
  std::vector<CrystalPhase> shownUserPhases_;
  /// The phases of the last batch that have rows, best first, as the list ranks them.
  std::vector<BatchPhaseOutcome> ranked_;
  /// The batch in progress: its inputs, its thread and, once done, its outcome.
  std::unique_ptr<BatchWork> work_;
};

} // namespace spot
