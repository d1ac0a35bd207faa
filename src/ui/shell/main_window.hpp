// The main window Form1: the tabs "Measurement", "Calculation", "Simulation", "Discussion", the
// numbered boxes every panel shares, the work of the "Calculation" tab (search, results,
// tolerance filter, plane calculator, batch run and reports) and the windows it owns.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTabWidget>
#include <memory>
#include <vector>

#include "core/boxes.hpp"
#include "database/phase_tree.hpp"
#include "indexing/run_search.hpp"
#include "ui/common/box_array.hpp"
#include "ui/measurement/measurement_host.hpp"
#include "ui/common/prompts.hpp"

class QComboBox;
class QGridLayout;
class QPushButton;

namespace spot {

class CalculatorPanel;
class ClickableLabel;
class DatabasePanel;
class Magnifier;
class MeasureDialog;
class MeasurementBoxesPanel;
class NotesPanel;
class OnlinePanel;
class PatternSketch;
class PhasePanel;
class PictureTools;
class PictureView;
class ResultsModel;
class ResultsView;
class SimulationPanel;
class SlotsMenuController;
class TolerancePanel;

class MainWindow : public QMainWindow, public MeasurementHost {
  Q_OBJECT
public:
  enum Tab { MeasurementTab = 0, CalculationTab = 1, SimulationTab = 2, DiscussionTab = 3 };

  /// Services left out of `environment` are the desktop's own, made here.
  explicit MainWindow(Environment environment, QWidget* parent = nullptr);
  ~MainWindow() override;

  /// The services in use, none left out.
  const Environment& environment() const { return environment_; }

  // BOXES Text1(0)..Text1(38)

  QLineEdit* box(Box which) const { return boxes_->box(which); }
  QString boxText(Box which) const override { return boxes_->text(which); }
  BoxTexts boxTexts() const { return boxes_->texts(); }
  /// Writes a box as typing would; its change handlers (the tolerance filter) run.
  void setBoxText(Box which, const QString& text) override { boxes_->setText(which, text); }
  /// Focus and whole-text selection on a box, as after a rejected entry.
  void focusBox(Box which) { boxes_->focusAndSelect(which); }
  BoxArray& boxArray() { return *boxes_; }

  // PHASE ENTRY PANEL Frame1(0)

  PhasePanel* phasePanel() const { return phasePanel_; }
  QLineEdit* phaseNameBox() const;        ///< Text6
  QComboBox* latticeTypeSelector() const; ///< Combo1; the position is the LatticeType
  QString phaseName() const override;
  /// Sets the name as typing would: the box re-fits its width.
  void setPhaseName(const QString& name) override;
  /// Position of Combo1, -1 when none is selected.
  int latticeTypePosition() const override;
  void setLatticeTypePosition(int position) override;
  void setPhasePanelCaption(const QString& caption) override;
  bool isPhasePanelLocked() const;
  void lockPhasePanel();
  void unlockPhasePanel();

  // SEARCH AND RESULTS

  /// "Calculate" (Command6): the search, then sorted by "No.", coloured, and the phase locked.
  void calculate();
  /// The search alone over the boxes: fills the list, the count and the summary, with its
  /// message when it stops; rows stay in search order. Returns why it stopped, if it did.
  std::optional<SearchFault> runIndexingSearch();
  /// True after a search that rejected a box as not numeric.
  bool inputErrorFlag() const { return inputErrorFlag_; }

  ResultsModel* resultsModel() const { return resultsModel_; }
  ResultsView* resultsView() const { return resultsView_; }
  void sortResults(int column, Qt::SortOrder order);
  /// Empties the list and sets the count to "0".
  void clearResults() override;
  QLabel* countLabel() const { return countLabel_; }     ///< Label22
  QLabel* summaryLabel() const { return summaryLabel_; } ///< Label5
  void setSummaryText(const QString& text) override;
  /// The six default tolerances, as a click on the counter restores them.
  void resetTolerances();
  TolerancePanel* tolerancePanel() const { return tolerancePanel_; }
  /// "Calculate zone axis index": the selected row's planes into the calculator, then its
  /// "Calculate". Does nothing without a selected row.
  void handOverSelectedRow();
  /// "Export calculated results" (daochujieguo3) in the list's popup menu.
  QAction* exportResultsAction() const;

  // DATABASE BATCH AND REPORTS

  /// The "Lattice Database" panel built with the window; nullptr once another panel was
  /// installed in its place.
  DatabasePanel* phaseDatabase() const;
  /// "Calculate selected items": searches every record (1-based, in this order) against the
  /// measurement in the boxes, writes the report of a Multiple run, and leaves the last record
  /// in the locked phase panel with its rows sorted by "No.". A measurement the search would
  /// reject stops the run before it starts, with one message.
  void runBatch(const std::vector<int>& records, CheckMode mode);
  /// "Export calculated results": the phase, the measurement and the list as it stands into a
  /// new report; the status bar names the file, a failure gets a message.
  void exportResults();
  /// The picture's file name without its folder, as the reports name it; empty before the
  /// first picture.
  QString pictureFileName() const;

  // PLANE CALCULATOR AND DATABASE PANEL (one place, one panel at a time)

  CalculatorPanel* calculatorPanel() const { return calculatorPanel_; }
  PatternSketch* patternSketch() const { return sketch_; }
  /// Label1(47), Label1(48), Label1(49) for plane 0, 1, 2.
  void setSpacingCaption(int plane, const QString& caption) override;
  /// Puts the database panel (objectName "Frame7") in the place it shares with the calculator,
  /// hidden, replacing the frame the window starts with.
  void installDatabasePanel(QWidget* panel);
  QWidget* databasePanel() const { return databasePanel_; }
  void showDatabasePanel();
  void hideDatabasePanel();
  void showCalculatorPanel();
  void hideCalculatorPanel();
  /// "Lattice database": hides the database panel when shown, else shows it instead of the
  /// calculator.
  void toggleDatabasePanel();
  /// "★": the same for the calculator.
  void toggleCalculatorPanel();

  // TABS

  QTabWidget* tabs() const { return tabs_; }
  QWidget* page(Tab tab) const { return tabs_->widget(tab); }
  /// "Picture measurement" Frame3(0).
  MeasurementBoxesPanel* pictureMeasurementPanel() const { return measurementPanel_; }

  // MEASUREMENT TAB AND ITS WINDOWS

  PictureView* pictureView() const { return pictureView_; }       ///< Frame6
  PictureTools* pictureTools() const { return pictureTools_; }    ///< Frame5
  NotesPanel* notesPanel() const { return notesPanel_; }          ///< Frame4
  MeasureDialog* measureDialog() const { return measureDialog_; } ///< Form2
  Magnifier* magnifier() const { return magnifier_; }             ///< Form3
  SlotsMenuController* slotsMenu() const { return slotsMenu_; }   ///< pop3 on Frame3(0)

  // SIMULATION AND DISCUSSION TABS

  SimulationPanel* simulationPanel() const { return simulationPanel_; }
  OnlinePanel* onlinePanel() const { return onlinePanel_; }

signals:
  /// A click on the window's background or a change of tab: the Measure dialog closes.
  void closeMeasureDialogRequested();
  /// "Calculate" or "Calculate selected items" starts, or the window closes: the magnifier
  /// closes.
  void closeMagnifierRequested();
  /// The mouse moved over the tab strip: the magnifier hides.
  void hideMagnifierRequested();
  /// The window has closed, after its secondary windows were asked to close.
  void closed();

protected:
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void provideDesktopServices();
  QWidget* buildMeasurementTab();
  QWidget* buildCalculationTab();
  QWidget* buildResultsFrame();
  QWidget* buildSimulationTab();
  QWidget* buildDiscussionTab();
  void connectSecondaryWindows();
  /// Shows what one search returned: the rows in search order, the count, the summary, and its
  /// message when it stopped (unless the caller reports problems itself).
  void showSearchOutcome(SearchOutcome outcome, bool reportProblems);
  /// The measurement a batch would search with is checked once: false, after the message and
  /// the focus on the box, when every search would stop at the same box.
  bool checkBatchMeasurement(const BoxTexts& boxes);
  void showReportWritten(const QString& path);
  void boxChanged(Box which);
  void runToleranceFilter(Box toleranceBox);
  void sliderMoved(Box toleranceBox, int position);

  Environment environment_;
  // The desktop's own services, for those the environment left out.
  std::unique_ptr<OnlineCheck> ownOnline_;
  std::unique_ptr<PageViewFactory> ownPageViews_;
  std::unique_ptr<ScreenSource> ownScreen_;

  BoxArray* boxes_;
  QTabWidget* tabs_;
  PhasePanel* phasePanel_ = nullptr;
  MeasurementBoxesPanel* measurementPanel_ = nullptr;
  ResultsModel* resultsModel_ = nullptr;
  ResultsView* resultsView_ = nullptr;
  QLabel* countLabel_ = nullptr;
  QLabel* summaryLabel_ = nullptr;
  TolerancePanel* tolerancePanel_ = nullptr;
  PatternSketch* sketch_ = nullptr;
  CalculatorPanel* calculatorPanel_ = nullptr;
  QWidget* databasePanel_ = nullptr;
  QPointer<DatabasePanel> phaseDatabase_;
  QGridLayout* sharedPlace_ = nullptr;
  bool inputErrorFlag_ = false;

  PictureView* pictureView_ = nullptr;
  PictureTools* pictureTools_ = nullptr;
  NotesPanel* notesPanel_ = nullptr;
  MeasureDialog* measureDialog_ = nullptr;
  Magnifier* magnifier_ = nullptr;
  SlotsMenuController* slotsMenu_ = nullptr;
  SimulationPanel* simulationPanel_ = nullptr;
  OnlinePanel* onlinePanel_ = nullptr;
};

} // namespace spot
