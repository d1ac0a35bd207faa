// The results list and its frame: search, count, summary, tolerance filter and hand-over.
#include "ui/calculation/results_panel.hpp"

#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/numeric_text.hpp"
#include "indexing/result_text.hpp"
#include "indexing/search_fault.hpp"
#include "indexing/tolerance_filter.hpp"
#include "ui/calculation/pattern_sketch.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/calculation/summary_header.hpp"
#include "ui/calculation/tolerance_panel.hpp"
#include "ui/common/clickable_label.hpp"
#include "ui/common/one_way_scroll_area.hpp"
#include "ui/common/qt_text.hpp"

namespace spot {
namespace {

// Cells of a result row and the calculator boxes they are handed to.
struct HandOver {
  int column;
  Box box;
};
constexpr HandOver kHandOver[] = {
    {column::kH1, Box::CalcH1}, {column::kK1, Box::CalcK1}, {column::kL1, Box::CalcL1},
    {column::kH2, Box::CalcH2}, {column::kK2, Box::CalcK2}, {column::kL2, Box::CalcL2},
    {column::kH3, Box::CalcH3}, {column::kK3, Box::CalcK3}, {column::kL3, Box::CalcL3},
};

} // namespace

ResultsPanel::ResultsPanel(BoxArray& boxes, PhasePanel& phase, Prompts& prompts, QWidget* parent)
    : QWidget(parent), boxes_(boxes), phase_(phase), prompts_(prompts) {
  model_ = new ResultsModel(this);
  view_ = new ResultsView(model_, this);
  connect(view_->zoneAxisAction(), &QAction::triggered, this, &ResultsPanel::handOverSelectedRow);
  connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid() && current.row() < model_->rowCount())
              emit solutionChosen(model_->result(current.row()));
          });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  listSplitter_ = new QSplitter(Qt::Vertical, this);
  listSplitter_->setChildrenCollapsible(false);
  listSplitter_->addWidget(view_);
  layout->addWidget(listSplitter_, 1);
  // On a narrow window the frame scrolls sideways rather than hold the window open.
  layout->addWidget(new OneWayScrollArea(Qt::Horizontal, buildFrame(), this));

  connect(phase_.calculateButton(), &QPushButton::clicked, this, &ResultsPanel::calculate);
  connect(&boxes_, &BoxArray::changed, this, &ResultsPanel::boxChanged);
}

QWidget* ResultsPanel::buildFrame() {
  auto* frame = new QFrame;
  frame->setObjectName(QStringLiteral("Frame9"));
  frame->setFrameShape(QFrame::StyledPanel);

  auto* title = new QLabel(QStringLiteral("Results"), frame);
  title->setObjectName(QStringLiteral("Label11"));
  QFont titleFont = title->font();
  titleFont.setBold(true);
  title->setFont(titleFont);

  auto* counter = new ClickableLabel(
      QStringLiteral("0"), tr("Rows within the tolerances: restore the default tolerances"), frame);
  counter->setObjectName(QStringLiteral("Label22"));
  counter->setToolTip(tr("Rows within the tolerances; click to restore the default tolerances"));
  QFont large(QStringLiteral("Serif"));
  large.setStyleHint(QFont::Serif);
  large.setPointSize(42);
  counter->setFont(large);
  counter->setMinimumWidth(counter->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
  counter->setAlignment(Qt::AlignCenter);
  connect(counter, &ClickableLabel::clicked, this, &ResultsPanel::resetTolerances);
  countLabel_ = counter;

  summaryLabel_ = new QLabel(FromUtf8(kEmptySummary), frame);
  summaryLabel_->setObjectName(QStringLiteral("Label5"));
  summaryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The caption's blanks only line its words up in the font it was written for; here each word
  // is placed over its own value, so no angle appears under its neighbour's heading.
  auto* header = new SummaryHeader(FromUtf8(kSummaryHeader), summaryLabel_, frame);
  header->setObjectName(QStringLiteral("Label7"));

  tolerancePanel_ = new TolerancePanel(boxes_, frame);
  connect(tolerancePanel_, &TolerancePanel::sliderMoved, this, &ResultsPanel::sliderMoved);
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

// SEARCH

void ResultsPanel::calculate() {
  emit searchStarting();
  QPushButton* button = phase_.calculateButton();
  button->setText(QStringLiteral("\u2026\u2026"));
  button->repaint(); // the only sign of progress while the search runs
  const std::optional<SearchFault> stopped = runIndexingSearch();
  // The message of a cell that encloses no volume sends the user to the boxes a..γ: locking
  // them now would leave nothing to correct without unlocking, which replaces the phase name.
  const bool cellRejected = stopped == SearchFault::InvalidCell;
  showInSearchOrder();
  if (!inputErrorFlag_ && !cellRejected) phase_.lock();
  button->setText(QStringLiteral("Calculate"));
}

std::optional<SearchFault> ResultsPanel::runIndexingSearch() {
  SearchOutcome outcome = RunIndexingSearch(boxes_.texts(), phase_.currentRule());
  const std::optional<SearchFault> fault = outcome.fault;
  showSearchOutcome(std::move(outcome), true);
  return fault;
}

void ResultsPanel::showSearchOutcome(SearchOutcome outcome, bool reportProblems) {
  clearResults();
  if (outcome.inputError) inputErrorFlag_ = *outcome.inputError;
  if (outcome.rejection) {
    if (!reportProblems) return;
    prompts_.showMessage(FromUtf8(outcome.rejection->message));
    boxes_.focusAndSelect(outcome.rejection->box);
    return;
  }
  if (outcome.summary) summaryLabel_->setText(FromUtf8(*outcome.summary));
  if (outcome.fault) {
    if (!reportProblems) return;
    prompts_.showMessage(FromUtf8(FaultMessage(*outcome.fault)));
    boxes_.focusAndSelect(FaultBox(*outcome.fault));
    return;
  }
  view_->resetColumnWidths();
  model_->setResults(std::move(outcome.rows));
  countLabel_->setText(QString::number(model_->rowCount()));
  if (outcome.completed) sketch_->resetLabels();
  completedSearch_ = outcome.completed;
  emit resultsChanged();
}

void ResultsPanel::addBelowList(QWidget* widget) {
  listSplitter_->addWidget(widget);
  // What stands under the list may be pushed out of the way on a short screen.
  listSplitter_->setCollapsible(listSplitter_->count() - 1, true);
  listSplitter_->setStretchFactor(0, 3);
  listSplitter_->setStretchFactor(listSplitter_->count() - 1, 1);
}

void ResultsPanel::showInSearchOrder() {
  view_->sortResults(column::kRowLabel, Qt::AscendingOrder);
  model_->setAllRowColours(kSearchRowColour);
}

void ResultsPanel::clearResults() {
  model_->clear();
  countLabel_->setText(QStringLiteral("0"));
  completedSearch_ = false;
  emit resultsChanged();
}

void ResultsPanel::clearMeasurement() {
  clearResults();
  summaryLabel_->setText(FromUtf8(kEmptySummary));
}

std::vector<ResultCells> ResultsPanel::shownCells() const {
  const int rows = model_->rowCount();
  std::vector<ResultCells> cells(static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row)
    for (int column = 0; column < kResultColumnCount; ++column)
      cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
          model_->cellText(row, column);
  return cells;
}

// TOLERANCE FILTER

void ResultsPanel::boxChanged(Box which) {
  if (IsToleranceBox(which)) runToleranceFilter(which);
}

void ResultsPanel::runToleranceFilter(Box toleranceBox) {
  const BoxTexts texts = boxes_.texts();
  tolerancePanel_->showPosition(
      toleranceBox, SliderPositionFor(toleranceBox, NumericPrefix(texts[toleranceBox])));
  const FilterResult result = ApplyToleranceFilter(model_->rowValues(), texts);
  model_->setPassColours(result.pass);
  countLabel_->setText(QString::number(result.passCount));
}

void ResultsPanel::sliderMoved(Box toleranceBox, int position) {
  boxes_.setText(toleranceBox, FromUtf8(SliderToleranceText(toleranceBox, position)));
}

void ResultsPanel::resetTolerances() {
  for (Box which : kToleranceBoxes)
    boxes_.setText(which, FromUtf8(DefaultToleranceText(which)));
}

// HAND-OVER

void ResultsPanel::handOverSelectedRow() {
  const int row = view_->selectedRow();
  if (row < 0) return;
  for (const HandOver& cell : kHandOver)
    boxes_.setText(cell.box, FromUtf8(model_->cellText(row, cell.column)));
  emit handedOver();
}

} // namespace spot
