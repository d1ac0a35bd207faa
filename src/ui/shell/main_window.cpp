// The main window: builds its tabs from the panels, connects their signals, and owns the
// secondary windows.
#include "ui/shell/main_window.hpp"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include "crystal/phase_library.hpp"
#include "ui/calculation/calculator_panel.hpp"
#include "ui/calculation/pattern_sketch.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/calculation/solutions_panel.hpp"
#include "ui/calculation/tolerance_panel.hpp"
#include "ui/common/clickable_label.hpp"
#include "ui/common/one_way_scroll_area.hpp"
#include "ui/common/report_places.hpp"
#include "ui/common/shared_place.hpp"
#include "ui/database/best_phases_view.hpp"
#include "ui/database/database_panel.hpp"
#include "ui/database/phase_library_controller.hpp"
#include "ui/measurement/magnifier.hpp"
#include "ui/measurement/measure_dialog.hpp"
#include "ui/measurement/measurement_boxes_panel.hpp"
#include "ui/measurement/measurement_state.hpp"
#include "ui/measurement/picture_tools.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/measurement/slots_menu_controller.hpp"
#include "ui/online/embedded_browser.hpp"
#include "ui/online/network_online_check.hpp"
#include "ui/online/notes_panel.hpp"
#include "ui/online/online_panel.hpp"
#include "ui/online/simulation_panel.hpp"
#include "ui/shell/report_commands.hpp"

namespace spot {

MainWindow::MainWindow(Environment environment, QWidget* parent)
    : QMainWindow(parent), environment_(environment) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("SpotIndex"));
  provideDesktopServices();
  boxes_ = new BoxArray(this);
  measurementState_ = new MeasurementState(this);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("SSTab1"));
  // The calculation tab first: the measurement tab's slots menu saves its phase name and type.
  QWidget* calculation = buildCalculationTab();
  tabs_->addTab(buildMeasurementTab(), QStringLiteral("Measurement"));
  tabs_->addTab(calculation, QStringLiteral("Calculation"));
  tabs_->addTab(buildSimulationTab(), QStringLiteral("Simulation"));
  tabs_->addTab(buildDiscussionTab(), QStringLiteral("Discussion"));
  tabs_->setCurrentIndex(CalculationTab);
  setCentralWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::closeMeasureDialogRequested);
  tabs_->tabBar()->setMouseTracking(true);
  tabs_->tabBar()->installEventFilter(this);
  tabs_->setMouseTracking(true);
  tabs_->installEventFilter(this);
  statusBar()->setObjectName(QStringLiteral("StatusBar"));

  reports_ = new ReportCommands(
      {*boxes_, *phasePanel_, *resultsPanel_, *pictureView_, *statusBar()}, environment_, this);
  reports_->setDatabasePanel(phaseDatabase());
  // The user's phases live beside the slots file.
  if (DatabasePanel* database = phaseDatabase()) {
    const std::filesystem::path folder =
        FileSystemPath(environment_.places.slotsFilePath()).parent_path();
    phaseLibrary_ = new PhaseLibraryController(*database, environment_.prompts,
                                               folder / kPhaseLibraryFileName, this);
    reports_->setPhaseLibrary(phaseLibrary_);
  }
  simulationPanel_->connectSources(*boxes_, *phasePanel_, *measurementState_, environment_.prompts);
  reports_->setBestPhasesView(bestPhases_);

  connectCalculationTab();
  connectMeasurementTab();
  connectSecondaryWindows();
  // Enter presses a focused button as Space does (Qt does that only inside dialogs).
  for (QPushButton* button : tabs_->findChildren<QPushButton*>())
    button->setAutoDefault(true);

  // As large as the panels want, at least 1280 x 960, where the screen has room for that and a
  // frame; a smaller screen (a scaled display) gets the window maximized.
  if (const QScreen* screen = this->screen()) {
    const QSize available = screen->availableGeometry().size();
    const QSize wanted = sizeHint().expandedTo(QSize(1280, 960));
    const QSize framed = wanted + QSize(16, 48);
    resize(wanted.boundedTo(available));
    if (framed.width() > available.width() || framed.height() > available.height())
      setWindowState(Qt::WindowMaximized);
  }
}

MainWindow::~MainWindow() = default;

void MainWindow::provideDesktopServices() {
  if (!environment_.online) {
    ownOnline_ = std::make_unique<NetworkOnlineCheck>();
    environment_.online = ownOnline_.get();
  }
  if (!environment_.pageViews) {
    ownPageViews_ = std::make_unique<EmbeddedBrowserFactory>();
    environment_.pageViews = ownPageViews_.get();
  }
  if (!environment_.screen) {
    ownScreen_ = std::make_unique<DesktopScreen>();
    environment_.screen = ownScreen_.get();
  }
}

DatabasePanel* MainWindow::phaseDatabase() const {
  return qobject_cast<DatabasePanel*>(sharedPlace_->second());
}

bool MainWindow::openPicture(const QString& file) {
  tabs_->setCurrentIndex(MeasurementTab);
  pictureView_->clean();
  // The open dialog gives absolute paths; a name relative to the starting folder stays valid.
  return pictureView_->loadPicture(QFileInfo(file).absoluteFilePath());
}

// BUILDING THE TABS

QWidget* MainWindow::buildMeasurementTab() {
  auto* page = new QWidget;
  pictureView_ = new PictureView(*measurementState_, *boxes_, environment_.prompts, page);
  pictureTools_ = new PictureTools(*pictureView_, page);
  notesPanel_ = new NotesPanel(page);

  // The picture takes the page; the tools and the notes stand in a narrow column beside it,
  // which scrolls on a short screen.
  auto* sideColumn = new QWidget(page);
  auto* side = new QVBoxLayout(sideColumn);
  side->setContentsMargins(0, 0, 0, 0);
  side->addWidget(pictureTools_);
  side->addWidget(notesPanel_, 1);
  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(pictureView_, 1);
  layout->addWidget(new OneWayScrollArea(Qt::Vertical, sideColumn, page), 0);
  pictureTools_->setFixedWidth(220);
  notesPanel_->setFixedWidth(220);

  // Secondary windows: created with the window, shown by the picture.
  measureDialog_ = new MeasureDialog(*pictureView_, *measurementState_, *boxes_, this);
  magnifier_ = new Magnifier(*environment_.screen, this);
  slotsMenu_ =
      new SlotsMenuController(*boxes_, *phasePanel_->nameBox(), *phasePanel_->latticeTypeSelector(),
                              environment_.prompts, environment_.places, this);
  return page;
}

QWidget* MainWindow::buildCalculationTab() {
  auto* page = new QWidget;
  phasePanel_ = new PhasePanel(*boxes_, page);
  measurementPanel_ = new MeasurementBoxesPanel(*boxes_, page);
  calculatorPanel_ = new CalculatorPanel(*boxes_, environment_.prompts, page);

  auto* star = new ClickableLabel(QStringLiteral("★"), tr("Show or hide the calculator"), page);
  star->setObjectName(QStringLiteral("Label18"));
  star->setToolTip(tr("Show or hide the calculator of interfacial angle and zone axis"));

  // The calculator and the database panel take turns in one place.
  sharedPlace_ = new SharedPlace(calculatorPanel_, page);
  auto* database = new DatabasePanel;
  database->setObjectName(QStringLiteral("Frame7"));
  sharedPlace_->installSecond(database);
  connect(star, &ClickableLabel::clicked, sharedPlace_, &SharedPlace::toggleFirst);
  setTabOrder(boxes_->box(Box::Angle13), star); // the keyboard meets it where the eye does

  auto* leftColumn = new QWidget(page);
  auto* left = new QVBoxLayout(leftColumn);
  left->setContentsMargins(0, 0, 0, 0);
  left->addWidget(phasePanel_);
  left->addWidget(measurementPanel_);
  left->addWidget(star, 0, Qt::AlignRight);
  left->addWidget(sharedPlace_, 1);
  // Below the database panel's place, so it stays in view when the panel makes way.
  bestPhases_ = new BestPhasesView(leftColumn);
  left->addWidget(bestPhases_);

  resultsPanel_ = new ResultsPanel(*boxes_, *phasePanel_, environment_.prompts, page);
  solutionsPanel_ = new SolutionsPanel(*boxes_, *resultsPanel_, *phasePanel_, page);
  resultsPanel_->addBelowList(solutionsPanel_);

  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  // On a short screen (a scaled display) the column scrolls rather than hold the window open.
  layout->addWidget(new OneWayScrollArea(Qt::Vertical, leftColumn, page), 0);
  layout->addWidget(resultsPanel_, 1);
  return page;
}

QWidget* MainWindow::buildSimulationTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  simulationPanel_ = new SimulationPanel(page);
  layout->addWidget(simulationPanel_);
  return page;
}

QWidget* MainWindow::buildDiscussionTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  onlinePanel_ =
      new OnlinePanel(environment_.prompts, *environment_.online, *environment_.pageViews, page);
  layout->addWidget(onlinePanel_);
  return page;
}

// CONNECTING THE PANELS

void MainWindow::connectCalculationTab() {
  connect(phasePanel_, &PhasePanel::databaseLabelClicked, sharedPlace_, &SharedPlace::toggleSecond);
  connect(resultsPanel_, &ResultsPanel::searchStarting, this, &MainWindow::closeMagnifierRequested);
  // A handed-over row is only useful where the user can see the calculator's answer.
  const auto showCalculator = [this] {
    sharedPlace_->showFirst();
    calculatorPanel_->calculate();
  };
  connect(resultsPanel_, &ResultsPanel::handedOver, this, showCalculator);
  connect(solutionsPanel_, &SolutionsPanel::handedOver, this, showCalculator);
  connect(calculatorPanel_, &CalculatorPanel::sketchLabelsChanged, resultsPanel_->sketch(),
          &PatternSketch::setLabels);
  connect(calculatorPanel_, &CalculatorPanel::sketchLabelsReset, resultsPanel_->sketch(),
          &PatternSketch::resetLabels);

  if (DatabasePanel* database = phaseDatabase()) {
    connect(database, &DatabasePanel::cancelRequested, sharedPlace_, &SharedPlace::hideSecond);
    connect(database, &DatabasePanel::batchRequested, reports_, &ReportCommands::runBatch);
    connect(database, &DatabasePanel::stopRequested, reports_, &ReportCommands::stopBatch);
  }
  connect(reports_, &ReportCommands::batchStarting, this, &MainWindow::closeMagnifierRequested);
  connect(reports_, &ReportCommands::batchFinished, sharedPlace_, &SharedPlace::hideSecond);
  connect(reports_, &ReportCommands::batchStopped, this, [this] {
    statusBar()->showMessage(QStringLiteral("The run was stopped; no report was written."));
  });
  // While a batch runs on its copy of the boxes, nothing may change them under it.
  connect(reports_, &ReportCommands::batchRunning, this, [this](bool running) {
    if (running) emit closeMeasureDialogRequested();
    for (QWidget* input : std::initializer_list<QWidget*>{phasePanel_, measurementPanel_,
                                                          resultsPanel_->tolerancePanel(),
                                                          pictureView_, pictureTools_})
      input->setEnabled(!running);
  });
  QAction* exportAction = resultsPanel_->view()->exportAction();
  exportAction->setEnabled(true);
  connect(exportAction, &QAction::triggered, reports_, &ReportCommands::exportResults);
}

void MainWindow::connectMeasurementTab() {
  connect(pictureView_, &PictureView::cleaned, resultsPanel_, &ResultsPanel::clearMeasurement);
  connect(pictureView_, &PictureView::statusMessage, this, [this](const QString& text) {
    if (text.isEmpty())
      statusBar()->clearMessage();
    else
      statusBar()->showMessage(text);
  });
  connectPictureToSolutions();
  measurementPanel_->installEventFilter(slotsMenu_);
  connect(slotsMenu_, &SlotsMenuController::phaseImported, this, [this] {
    phasePanel_->setTitle(QString::fromUtf8(PhasePanel::kImportedCaption));
    calculatorPanel_->clearOutputs();
    resultsPanel_->clearMeasurement();
  });
}

void MainWindow::connectPictureToSolutions() {
  // The row or family chosen last is drawn on the picture; new rows forget it.
  const auto show = [this](MillerIndex g1, MillerIndex g2) {
    if (const std::optional<ReflectionRule> rule = phasePanel_->currentRule()) {
      const CrystalPhase* phase = phasePanel_->attachedPhase();
      pictureView_->showSolution(g1, g2, *rule,
                                 phase ? UnitCellAtoms(*phase) : std::vector<AtomSite>());
    }
  };
  connect(resultsPanel_, &ResultsPanel::solutionChosen, this,
          [show](const IndexingResult& row) { show(row.g1, row.g2); });
  connect(solutionsPanel_, &SolutionsPanel::familyChosen, this,
          [show](const SolutionFamily& family) { show(family.g1, family.g2); });
  connect(resultsPanel_, &ResultsPanel::resultsChanged, pictureView_, &PictureView::clearOverlay);
  // The families are ranked by the picture too once its spots are known.
  solutionsPanel_->setPictureEvidenceSource([this] { return pictureView_->pictureEvidence(); });
  connect(pictureView_, &PictureView::spotsChanged, this, [this] {
    if (!pictureView_->findingSpots()) solutionsPanel_->refresh();
  });
  // The measured lines replace the one the dialog was asking about.
  connect(pictureView_, &PictureView::patternMeasured, measureDialog_, &MeasureDialog::closeDialog);
}

void MainWindow::connectSecondaryWindows() {
  connect(pictureView_, &PictureView::pictureMouseMoved, magnifier_, &Magnifier::showFollowing);
  connect(pictureView_, &PictureView::lineFinished, measureDialog_, &MeasureDialog::showForLine);
  connect(pictureView_, &PictureView::dropReceived, measureDialog_, &MeasureDialog::closeDialog);
  connect(this, &MainWindow::closeMeasureDialogRequested, measureDialog_,
          &MeasureDialog::closeDialog);
  connect(this, &MainWindow::closeMagnifierRequested, magnifier_, &Magnifier::closeMagnifier);
  connect(this, &MainWindow::hideMagnifierRequested, magnifier_, &QWidget::hide);

  connect(simulationPanel_, &SimulationPanel::forumRequested, onlinePanel_,
          &OnlinePanel::openForum);
  connect(onlinePanel_, &OnlinePanel::pageShown, this,
          [this] { tabs_->setCurrentIndex(DiscussionTab); });
}

// WINDOW EVENTS

void MainWindow::closeEvent(QCloseEvent* event) {
  reports_->abandonBatch();
  pictureView_->cancelFindSpots();
  emit closeMagnifierRequested();
  emit closeMeasureDialogRequested();
  event->accept();
  emit closed();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  // Presses that no control takes (on a page, a frame or a caption) end up here.
  emit closeMeasureDialogRequested();
  QMainWindow::mousePressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove && (watched == tabs_ || watched == tabs_->tabBar()))
    emit hideMagnifierRequested();
  return QMainWindow::eventFilter(watched, event);
}

} // namespace spot
