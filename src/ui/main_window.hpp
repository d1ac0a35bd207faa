// The main window Form1: the tabs "Measurement", "Calculation", "Simulation", "Discussion", the
// numbered boxes every panel shares, and the work of the "Calculation" tab (search, results,
// tolerance filter, plane calculator).
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QTabWidget>

#include "core/boxes.hpp"
#include "ui/box_array.hpp"
#include "ui/measurement_host.hpp"
#include "ui/prompts.hpp"

class QComboBox;
class QGridLayout;
class QPushButton;

namespace spot {

class CalculatorPanel;
class ClickableLabel;
class MeasurementBoxesPanel;
class PatternSketch;
class PhasePanel;
class ResultsModel;
class ResultsView;
class TolerancePanel;

class MainWindow : public QMainWindow, public MeasurementHost {
  Q_OBJECT
public:
  enum Tab { MeasurementTab = 0, CalculationTab = 1, SimulationTab = 2, DiscussionTab = 3 };

  explicit MainWindow(Environment environment, QWidget* parent = nullptr);
  ~MainWindow() override;

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
  /// The search alone over the boxes: fills the list, the count and the summary; rows stay in
  /// search order. The batch run calls this once per phase.
  void runIndexingSearch();
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
  /// "Export calculated results" in the list's popup menu; disabled until a report writer
  /// connects to it.
  QAction* exportResultsAction() const;

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
  /// An empty page with a vertical layout, for the panels of that tab.
  QWidget* page(Tab tab) const { return tabs_->widget(tab); }
  /// "Picture measurement" Frame3(0).
  MeasurementBoxesPanel* pictureMeasurementPanel() const { return measurementPanel_; }

signals:
  /// A click on the window's background or a change of tab: the Measure dialog closes.
  void closeMeasureDialogRequested();
  /// "Calculate" starts, or the window closes: the magnifier closes.
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
  QWidget* buildCalculationTab();
  QWidget* buildResultsFrame();
  QWidget* buildDefaultDatabasePanel();
  void boxChanged(Box which);
  void runToleranceFilter(Box toleranceBox);
  void sliderMoved(Box toleranceBox, int position);

  Environment environment_;
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
  QGridLayout* sharedPlace_ = nullptr;
  bool inputErrorFlag_ = false;
};

} // namespace spot
