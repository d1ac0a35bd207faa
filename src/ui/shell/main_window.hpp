// The main window Form1: the tabs "Measurement", "Calculation", "Simulation", "Discussion", the
// numbered boxes every panel shares, and the secondary windows it owns. It builds the panels and
// connects their signals; the work itself is the panels'.
#pragma once

#include <QMainWindow>
#include <QTabWidget>
#include <memory>

#include "ui/common/box_array.hpp"
#include "ui/common/prompts.hpp"

namespace spot {

class PhaseLibraryController;
class BestPhasesView;
class CalculatorPanel;
class DatabasePanel;
class Magnifier;
class MeasureDialog;
class MeasurementBoxesPanel;
class MeasurementState;
class NotesPanel;
class OnlinePanel;
class PageViewFactory;
class PhasePanel;
class PictureTools;
class PictureView;
class ReportCommands;
class ResultsPanel;
class ScreenSource;
class SharedPlace;
class SimulationPanel;
class SlotsMenuController;
class SolutionsPanel;

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  enum Tab { MeasurementTab = 0, CalculationTab = 1, SimulationTab = 2, DiscussionTab = 3 };

  /// Services left out of `environment` are the desktop's own, made here.
  explicit MainWindow(Environment environment, QWidget* parent = nullptr);
  ~MainWindow() override;

  /// The services in use, none left out.
  const Environment& environment() const { return environment_; }
  /// Text1(0)..Text1(38).
  BoxArray& boxArray() { return *boxes_; }
  QTabWidget* tabs() const { return tabs_; }
  QWidget* page(Tab tab) const { return tabs_->widget(tab); }

  // CALCULATION TAB
  PhasePanel* phasePanel() const { return phasePanel_; } ///< Frame1(0)
  MeasurementBoxesPanel* pictureMeasurementPanel() const {
    return measurementPanel_;
  } ///< Frame3(0)
  ResultsPanel* resultsPanel() const { return resultsPanel_; }
  CalculatorPanel* calculatorPanel() const { return calculatorPanel_; }
  /// The "Solutions" list under the results.
  SolutionsPanel* solutionsPanel() const { return solutionsPanel_; }
  /// The place the calculator shares with the database panel (objectName "Frame7").
  SharedPlace* sharedPlace() const { return sharedPlace_; }
  BestPhasesView* bestPhases() const { return bestPhases_; } ///< after a batch
  /// The "Lattice Database" panel built with the window; nullptr once another panel was
  /// installed in its place.
  DatabasePanel* phaseDatabase() const;
  ReportCommands* reportCommands() const { return reports_; }
  /// The user's phase library behind the database panel.
  PhaseLibraryController* phaseLibrary() const { return phaseLibrary_; }

  // MEASUREMENT TAB AND ITS WINDOWS
  MeasurementState* measurementState() const { return measurementState_; }
  PictureView* pictureView() const { return pictureView_; }       ///< Frame6
  PictureTools* pictureTools() const { return pictureTools_; }    ///< Frame5
  NotesPanel* notesPanel() const { return notesPanel_; }          ///< Frame4
  MeasureDialog* measureDialog() const { return measureDialog_; } ///< Form2
  Magnifier* magnifier() const { return magnifier_; }             ///< Form3
  SlotsMenuController* slotsMenu() const { return slotsMenu_; }   ///< pop3 on Frame3(0)

  /// A picture named when the program starts ("Open with SpotIndex"): the "Measurement" tab,
  /// then as "Open" with this file chosen. A picture that cannot be read gets the usual message.
  bool openPicture(const QString& file);

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
  QWidget* buildSimulationTab();
  QWidget* buildDiscussionTab();
  void connectCalculationTab();
  void connectMeasurementTab();
  void connectPictureToSolutions();
  void connectSecondaryWindows();

  Environment environment_;
  // The desktop's own services, for those the environment left out.
  std::unique_ptr<OnlineCheck> ownOnline_;
  std::unique_ptr<PageViewFactory> ownPageViews_;
  std::unique_ptr<ScreenSource> ownScreen_;

  BoxArray* boxes_;
  QTabWidget* tabs_;
  PhasePanel* phasePanel_ = nullptr;
  MeasurementBoxesPanel* measurementPanel_ = nullptr;
  ResultsPanel* resultsPanel_ = nullptr;
  CalculatorPanel* calculatorPanel_ = nullptr;
  SolutionsPanel* solutionsPanel_ = nullptr;
  SharedPlace* sharedPlace_ = nullptr;
  BestPhasesView* bestPhases_ = nullptr;
  ReportCommands* reports_ = nullptr;
  PhaseLibraryController* phaseLibrary_ = nullptr;

  MeasurementState* measurementState_ = nullptr;
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
