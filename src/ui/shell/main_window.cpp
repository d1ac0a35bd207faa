// The main window: its tabs and panels, the work of its "Calculation" tab, and its secondary
// windows.
#include "ui/shell/main_window.hpp"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include "core/numeric_text.hpp"
#include "indexing/result_text.hpp"
#include "indexing/run_search.hpp"
#include "indexing/search_fault.hpp"
#include "indexing/tolerance_filter.hpp"
#include "ui/calculation/calculator_panel.hpp"
#include "ui/common/clickable_label.hpp"
#include "ui/database/database_panel.hpp"
#include "ui/online/embedded_browser.hpp"
#include "ui/measurement/magnifier.hpp"
#include "ui/measurement/measure_dialog.hpp"
#include "ui/measurement/measurement_boxes_panel.hpp"
#include "ui/online/network_online_check.hpp"
#include "ui/online/notes_panel.hpp"
#include "ui/online/online_panel.hpp"
#include "ui/calculation/pattern_sketch.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/measurement/picture_tools.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/online/simulation_panel.hpp"
#include "ui/measurement/slots_menu_controller.hpp"
#include "ui/calculation/summary_header.hpp"
#include "ui/calculation/tolerance_panel.hpp"

namespace spot {
namespace {

QString fromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Cells of a result row and the calculator boxes they are handed to.
struct HandOver {
  int column;
  Box box;
};
constexpr HandOver kHandOver[] = {
    {1, Box::CalcH1}, {2, Box::CalcK1}, {3, Box::CalcL1},  {5, Box::CalcH2},  {6, Box::CalcK2},
    {7, Box::CalcL2}, {9, Box::CalcH3}, {10, Box::CalcK3}, {11, Box::CalcL3},
};

} // namespace

MainWindow::MainWindow(Environment environment, QWidget* parent)
    : QMainWindow(parent), environment_(environment) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("SpotIndex"));
  provideDesktopServices();
  boxes_ = new BoxArray(this);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("SSTab1"));
  tabs_->addTab(buildMeasurementTab(), QStringLiteral("Measurement"));
  tabs_->addTab(buildCalculationTab(), QStringLiteral("Calculation"));
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

  connect(boxes_, &BoxArray::changed, this, &MainWindow::boxChanged);
  connectSecondaryWindows();

  if (const QScreen* screen = this->screen()) {
    const QRect available = screen->availableGeometry();
    resize(std::min(1280, available.width()), std::min(960, available.height()));
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

QWidget* MainWindow::buildMeasurementTab() {
  auto* page = new QWidget;
  pictureView_ = new PictureView(*this, environment_.prompts, page);
  pictureTools_ = new PictureTools(*pictureView_, page);
  notesPanel_ = new NotesPanel(page);

  // The picture takes the page; the tools and the notes stand in a narrow column beside it.
  auto* side = new QVBoxLayout;
  side->addWidget(pictureTools_);
  side->addWidget(notesPanel_, 1);
  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(pictureView_, 1);
  layout->addLayout(side, 0);
  pictureTools_->setFixedWidth(220);
  notesPanel_->setFixedWidth(220);

  // Secondary windows: created with the window, shown by the picture.
  measureDialog_ = new MeasureDialog(*pictureView_, *this, this);
  magnifier_ = new Magnifier(*environment_.screen, this);
  slotsMenu_ = new SlotsMenuController(*this, environment_.prompts, environment_.places, this);
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

void MainWindow::connectSecondaryWindows() {
  connect(pictureView_, &PictureView::pictureMouseMoved, magnifier_, &Magnifier::showFollowing);
  connect(pictureView_, &PictureView::lineFinished, measureDialog_, &MeasureDialog::showForLine);
  connect(pictureView_, &PictureView::dropReceived, measureDialog_, &MeasureDialog::closeDialog);
  connect(this, &MainWindow::closeMeasureDialogRequested, measureDialog_,
          &MeasureDialog::closeDialog);
  connect(this, &MainWindow::closeMagnifierRequested, magnifier_, &Magnifier::closeMagnifier);
  connect(this, &MainWindow::hideMagnifierRequested, magnifier_, &QWidget::hide);
  measurementPanel_->installEventFilter(slotsMenu_);

  connect(simulationPanel_, &SimulationPanel::forumRequested, onlinePanel_,
          &OnlinePanel::openForum);
  connect(onlinePanel_, &OnlinePanel::pageShown, this,
          [this] { tabs_->setCurrentIndex(DiscussionTab); });

  exportResultsAction()->setEnabled(true);
  connect(exportResultsAction(), &QAction::triggered, this, &MainWindow::exportResults);
}

QWidget* MainWindow::buildCalculationTab() {
  auto* page = new QWidget;
  phasePanel_ = new PhasePanel(*boxes_, page);
  measurementPanel_ = new MeasurementBoxesPanel(*boxes_, page);
  calculatorPanel_ = new CalculatorPanel(*boxes_, environment_.prompts, page);

  connect(phasePanel_->calculateButton(), &QPushButton::clicked, this, &MainWindow::calculate);
  connect(phasePanel_, &PhasePanel::databaseLabelClicked, this, &MainWindow::toggleDatabasePanel);

  auto* star = new ClickableLabel(QStringLiteral("★"), page);
  star->setObjectName(QStringLiteral("Label18"));
  star->setToolTip(tr("Show or hide the calculator of interfacial angle and zone axis"));
  connect(star, &ClickableLabel::clicked, this, &MainWindow::toggleCalculatorPanel);

  // The calculator and the database panel take turns in one place.
  auto* shared = new QWidget(page);
  sharedPlace_ = new QGridLayout(shared);
  sharedPlace_->setContentsMargins(0, 0, 0, 0);
  // The calculator keeps its height; the database panel takes what the column has left. The
  // column keeps its width whichever of the two is shown.
  sharedPlace_->addWidget(calculatorPanel_, 0, 0, Qt::AlignTop);
  shared->setMinimumWidth(calculatorPanel_->sizeHint().width());
  auto* database = new DatabasePanel;
  installDatabasePanel(database);
  phaseDatabase_ = database;
  connect(database, &DatabasePanel::cancelRequested, this, &MainWindow::hideDatabasePanel);
  connect(database, &DatabasePanel::batchRequested, this, &MainWindow::runBatch);

  auto* left = new QVBoxLayout;
  left->addWidget(phasePanel_);
  left->addWidget(measurementPanel_);
  left->addWidget(star, 0, Qt::AlignRight);
  left->addWidget(shared, 1);

  resultsModel_ = new ResultsModel(this);
  resultsView_ = new ResultsView(resultsModel_, page);
  connect(resultsView_->zoneAxisAction(), &QAction::triggered, this,
          &MainWindow::handOverSelectedRow);

  auto* right = new QVBoxLayout;
  right->addWidget(resultsView_, 1);
  right->addWidget(buildResultsFrame());

  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(left, 0);
  layout->addLayout(right, 1);

  connect(calculatorPanel_, &CalculatorPanel::sketchLabelsChanged, sketch_,
          &PatternSketch::setLabels);
  connect(calculatorPanel_, &CalculatorPanel::sketchLabelsReset, sketch_,
          &PatternSketch::resetLabels);
  return page;
}

QWidget* MainWindow::buildResultsFrame() {
  auto* frame = new QFrame;
  frame->setObjectName(QStringLiteral("Frame9"));
  frame->setFrameShape(QFrame::StyledPanel);

  auto* title = new QLabel(QStringLiteral("Results"), frame);
  title->setObjectName(QStringLiteral("Label11"));
  QFont titleFont = title->font();
  titleFont.setBold(true);
  title->setFont(titleFont);

  auto* counter = new ClickableLabel(QStringLiteral("0"), frame);
  counter->setObjectName(QStringLiteral("Label22"));
  counter->setToolTip(tr("Rows within the tolerances; click to restore the default tolerances"));
  QFont large(QStringLiteral("Serif"));
  large.setStyleHint(QFont::Serif);
  large.setPointSize(42);
  counter->setFont(large);
  counter->setMinimumWidth(counter->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
  counter->setAlignment(Qt::AlignCenter);
  connect(counter, &ClickableLabel::clicked, this, &MainWindow::resetTolerances);
  countLabel_ = counter;

  summaryLabel_ = new QLabel(fromView(kEmptySummary), frame);
  summaryLabel_->setObjectName(QStringLiteral("Label5"));
  summaryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The caption's blanks only line its words up in the font it was written for; here each word
  // is placed over its own value, so no angle appears under its neighbour's heading.
  auto* header = new SummaryHeader(fromView(kSummaryHeader), summaryLabel_, frame);
  header->setObjectName(QStringLiteral("Label7"));

  tolerancePanel_ = new TolerancePanel(*boxes_, frame);
  connect(tolerancePanel_, &TolerancePanel::sliderMoved, this, &MainWindow::sliderMoved);
  sketch_ = new PatternSketch(frame);

  auto* measured = new QVBoxLayout;
  measured->addStretch(1);
  measured->addWidget(header);
  measured->addWidget(summaryLabel_);
  measured->addStretch(1);

  auto* top = new QHBoxLayout;
  top->addWidget(title);
  top->addWidget(counter);
  top->addSpacing(12);
  top->addLayout(measured, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(tolerancePanel_, 1, Qt::AlignTop);
  bottom->addWidget(sketch_, 0);

  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(6, 2, 6, 6);
  layout->addLayout(top);
  layout->addLayout(bottom);
  return frame;
}

// PHASE PANEL

QLineEdit* MainWindow::phaseNameBox() const { return phasePanel_->nameBox(); }
QComboBox* MainWindow::latticeTypeSelector() const { return phasePanel_->latticeTypeSelector(); }
void MainWindow::setPhasePanelCaption(const QString& caption) { phasePanel_->setTitle(caption); }
QString MainWindow::phaseName() const { return phasePanel_->nameBox()->text(); }
void MainWindow::setPhaseName(const QString& name) { phasePanel_->nameBox()->setText(name); }
int MainWindow::latticeTypePosition() const { return latticeTypeSelector()->currentIndex(); }
void MainWindow::setLatticeTypePosition(int position) {
  latticeTypeSelector()->setCurrentIndex(position);
}
bool MainWindow::isPhasePanelLocked() const { return phasePanel_->isLocked(); }
void MainWindow::lockPhasePanel() { phasePanel_->lock(); }
void MainWindow::unlockPhasePanel() { phasePanel_->unlock(); }

// SEARCH

void MainWindow::calculate() {
  emit closeMagnifierRequested();
  QPushButton* button = phasePanel_->calculateButton();
  button->setText(QStringLiteral("\u2026\u2026"));
  button->repaint(); // the only sign of progress while the search runs
  const std::optional<SearchFault> stopped = runIndexingSearch();
  // The message of a cell that encloses no volume sends the user to the boxes a..γ: locking
  // them now would leave nothing to correct without unlocking, which replaces the phase name.
  const bool cellRejected = stopped == SearchFault::InvalidCell;
  resultsView_->sortResults(column::kRowLabel, Qt::AscendingOrder);
  resultsModel_->setAllRowColours(kSearchRowColour);
  if (!inputErrorFlag_ && !cellRejected) phasePanel_->lock();
  button->setText(QStringLiteral("Calculate"));
}

std::optional<SearchFault> MainWindow::runIndexingSearch() {
  SearchOutcome outcome =
      spot::RunIndexingSearch(boxes_->texts(), phasePanel_->latticeTypeSelector()->currentIndex());
  const std::optional<SearchFault> fault = outcome.fault;
  showSearchOutcome(std::move(outcome), true);
  return fault;
}

void MainWindow::showSearchOutcome(SearchOutcome outcome, bool reportProblems) {
  clearResults();
  if (outcome.inputError) inputErrorFlag_ = *outcome.inputError;
  if (outcome.rejection) {
    if (!reportProblems) return;
    environment_.prompts.showMessage(fromView(outcome.rejection->message));
    boxes_->focusAndSelect(outcome.rejection->box);
    return;
  }
  if (outcome.summary) summaryLabel_->setText(QString::fromStdString(*outcome.summary));
  if (outcome.fault) {
    if (!reportProblems) return;
    environment_.prompts.showMessage(QString::fromStdString(FaultMessage(*outcome.fault)));
    boxes_->focusAndSelect(FaultBox(*outcome.fault));
    return;
  }
  resultsView_->resetColumnWidths();
  resultsModel_->setResults(std::move(outcome.rows));
  countLabel_->setText(QString::number(resultsModel_->rowCount()));
  if (outcome.completed) sketch_->resetLabels();
}

void MainWindow::sortResults(int column, Qt::SortOrder order) {
  resultsView_->sortResults(column, order);
}

void MainWindow::clearResults() {
  resultsModel_->clear();
  countLabel_->setText(QStringLiteral("0"));
}

void MainWindow::setSummaryText(const QString& text) { summaryLabel_->setText(text); }

QAction* MainWindow::exportResultsAction() const { return resultsView_->exportAction(); }

// TOLERANCE FILTER

void MainWindow::boxChanged(Box which) {
  if (IsToleranceBox(which)) runToleranceFilter(which);
}

void MainWindow::runToleranceFilter(Box toleranceBox) {
  const BoxTexts texts = boxes_->texts();
  tolerancePanel_->showPosition(
      toleranceBox, SliderPositionFor(toleranceBox, NumericPrefix(texts[toleranceBox])));
  const FilterResult result = ApplyToleranceFilter(resultsModel_->rowValues(), texts);
  resultsModel_->setPassColours(result.pass);
  countLabel_->setText(QString::number(result.passCount));
}

void MainWindow::sliderMoved(Box toleranceBox, int position) {
  boxes_->setText(toleranceBox,
                  QString::fromStdString(SliderToleranceText(toleranceBox, position)));
}

void MainWindow::resetTolerances() {
  for (Box which : kToleranceBoxes)
    boxes_->setText(which, QString::fromStdString(DefaultToleranceText(which)));
}

// HAND-OVER AND PANELS

void MainWindow::handOverSelectedRow() {
  const int row = resultsView_->selectedRow();
  if (row < 0) return;
  for (const HandOver& cell : kHandOver)
    boxes_->setText(cell.box, QString::fromStdString(resultsModel_->cellText(row, cell.column)));
  showCalculatorPanel(); // the answer is only useful where the user can see it
  calculatorPanel_->calculate();
}

void MainWindow::setSpacingCaption(int plane, const QString& caption) {
  if (plane >= 0 && plane < 3) calculatorPanel_->spacingLabel(plane)->setText(caption);
}

void MainWindow::installDatabasePanel(QWidget* panel) {
  if (!panel || panel == databasePanel_) return;
  if (panel->objectName().isEmpty()) panel->setObjectName(QStringLiteral("Frame7"));
  QWidget* previous = databasePanel_;
  databasePanel_ = panel;
  sharedPlace_->addWidget(panel, 0, 0);
  panel->hide();
  delete previous; // at once, so that only one "Frame7" can be found
}

void MainWindow::showDatabasePanel() {
  databasePanel_->show();
  databasePanel_->raise();
  calculatorPanel_->hide();
}

void MainWindow::hideDatabasePanel() { databasePanel_->hide(); }

void MainWindow::showCalculatorPanel() {
  calculatorPanel_->show();
  calculatorPanel_->raise();
  databasePanel_->hide();
}

void MainWindow::hideCalculatorPanel() { calculatorPanel_->hide(); }

void MainWindow::toggleDatabasePanel() {
  if (databasePanel_->isVisibleTo(this))
    hideDatabasePanel();
  else
    showDatabasePanel();
}

void MainWindow::toggleCalculatorPanel() {
  if (calculatorPanel_->isVisibleTo(this))
    hideCalculatorPanel();
  else
    showCalculatorPanel();
}

// WINDOW EVENTS

void MainWindow::closeEvent(QCloseEvent* event) {
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
