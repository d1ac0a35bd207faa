// Families of the results list, their selection and hand-over, and the nearest misses.
#include "ui/calculation/solutions_panel.hpp"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "calculator/calculator_boxes.hpp"
#include "indexing/measured_pattern.hpp"
#include "indexing/run_search.hpp"
#include "solutions/families.hpp"
#include "solutions/nearest_miss.hpp"
#include "solutions/picture_ranking.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/calculation/solutions_model.hpp"
#include "ui/common/qt_text.hpp"

namespace spot {

SolutionsPanel::SolutionsPanel(BoxArray& boxes, ResultsPanel& results, PhasePanel& phase,
                               QWidget* parent)
    : QWidget(parent), boxes_(boxes), results_(results), phase_(phase) {
  setObjectName(QStringLiteral("SolutionsPanel"));
  model_ = new SolutionsModel(this);
  view_ = new QTreeView(this);
  view_->setObjectName(QStringLiteral("SolutionsList"));
  view_->setModel(model_);
  view_->setRootIsDecorated(false);
  view_->setUniformRowHeights(true);
  view_->setAllColumnsShowFocus(true);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->header()->setStretchLastSection(false);
  view_->setMinimumHeight(view_->fontMetrics().height() * 2); // one family on a short screen
  view_->setToolTip(tr("Rows that a symmetry operation of the lattice maps onto each other form "
                       "one family; choose one to select its rows and calculate its zone axis"));

  title_ = new QLabel(QStringLiteral("Solutions"), this);
  title_->setObjectName(QStringLiteral("SolutionsTitle"));
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  nearestLabel_ = new QLabel(this);
  nearestLabel_->setObjectName(QStringLiteral("NearestMissLabel"));
  nearestLabel_->setWordWrap(true);
  nearestLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  nearestLabel_->hide();
  tieLabel_ = new QLabel(this);
  tieLabel_->setObjectName(QStringLiteral("TopTieLabel"));
  tieLabel_->setWordWrap(true);
  tieLabel_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 2, 0, 0);
  layout->addWidget(title_);
  layout->addWidget(nearestLabel_);
  layout->addWidget(tieLabel_);
  layout->addWidget(view_, 1);

  agreementTask_ = new BackgroundTask(this);
  connect(&results_, &ResultsPanel::resultsChanged, this, &SolutionsPanel::refresh);
  connect(results_.model(), &QAbstractItemModel::dataChanged, this,
          &SolutionsPanel::rowColoursChanged);
  // Moving to a family (click or arrow keys) chooses it; Enter or a double click again.
  connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) chooseFamily(current.row());
          });
  connect(view_, &QAbstractItemView::activated, this,
          [this](const QModelIndex& index) { chooseFamily(index.row()); });
}

void SolutionsPanel::refresh() {
  // A ranking still running was for rows that are gone.
  agreementTask_->cancel();
  const ResultsModel& rows = *results_.model();
  nearestLabel_->hide();
  nearestLabel_->clear();
  tieLabel_->hide();
  tieLabel_->clear();
  // The picture's columns show only while its agreement fills them.
  for (int c = SolutionsModel::ExplainedColumn; c <= SolutionsModel::RmsColumn; ++c)
    view_->setColumnHidden(c, true);
  const std::optional<ReflectionRule> type = phase_.currentRule();
  if (!results_.showsCompletedSearch() || !type) {
    model_->clear();
    title_->setText(QStringLiteral("Solutions"));
    return;
  }
  const BoxTexts texts = boxes_.texts();
  const LatticeParameters cell = ReadLatticeParameters(texts);
  const CheckedMeasurement measurement = CheckMeasurement(texts, {});
  const PhaseSymmetry symmetry = PhaseSymmetryOf(cell, *type);
  std::vector<IndexingResult> found;
  std::vector<int> numbers;
  found.reserve(static_cast<std::size_t>(rows.rowCount()));
  for (int i = 0; i < rows.rowCount(); ++i) {
    found.push_back(rows.result(i));
    numbers.push_back(rows.result(i).rowNumber);
  }
  if (found.empty()) {
    model_->clear();
    title_->setText(QStringLiteral("Solutions"));
    if (measurement.fault) return;
    const auto misses =
        FindNearestMisses(cell, *type, measurement.indexRange, measurement.pattern, symmetry);
    nearestLabel_->setText(FromUtf8(NearestMissMessage(misses, measurement.pattern)));
    nearestLabel_->show();
    return;
  }
  std::vector<SolutionFamily> families = GroupSolutions(found, symmetry, measurement.pattern);
  const std::optional<PictureEvidence> evidence =
      evidenceSource_ ? evidenceSource_() : std::nullopt;
  // Shown by score at once; with the picture's spots, each family's predicted spots are then
  // compared with them off the window's thread (a large cell predicts thousands on a large
  // picture), and the families ranked by that first when it is done.
  if (evidence)
    agreementTask_->start([families, numbers, evidence, cell, rule = *type,
                           this](const std::atomic<bool>& stop) mutable {
      std::vector<PictureAgreement> agreements;
      for (const SolutionFamily& family : families) {
        if (stop.load()) return std::function<void()>();
        const std::vector<PredictedSpot> predicted =
            PredictSpots(evidence->requestFor(cell, rule, family.g1, family.g2));
        agreements.push_back(CompareWithPicture(predicted, evidence->spots, evidence->centre,
                                                evidence->tolerancePx()));
      }
      const std::size_t sharingTop = RankByPictureAgreement(families, agreements);
      return std::function<void()>([this, families = std::move(families),
                                    numbers = std::move(numbers),
                                    agreements = std::move(agreements), sharingTop]() mutable {
        showFamilies(std::move(families), std::move(numbers), std::move(agreements), sharingTop);
      });
    });
  showFamilies(std::move(families), std::move(numbers), {}, 0);
  if (evidence) title_->setText(title_->text() + QStringLiteral(", being ranked by the picture…"));
}

void SolutionsPanel::showFamilies(std::vector<SolutionFamily> families, std::vector<int> numbers,
                                  std::vector<PictureAgreement> agreements,
                                  std::size_t sharingTop) {
  // The family chosen stays chosen when the picture re-ranks the list.
  std::optional<std::pair<MillerIndex, MillerIndex>> chosen;
  if (const int row = view_->currentIndex().row(); row >= 0 && row < model_->rowCount())
    chosen = std::pair(model_->family(row).g1, model_->family(row).g2);
  const std::size_t count = families.size();
  model_->setFamilies(std::move(families), std::move(numbers), std::move(agreements));
  QString title = count == 1
                      ? QStringLiteral("Solutions: 1 family of equivalent rows")
                      : QStringLiteral("Solutions: %1 families of equivalent rows").arg(count);
  if (model_->hasAgreements()) title += QStringLiteral(", ranked by the picture first");
  title_->setText(title);
  tieLabel_->setVisible(sharingTop > 1);
  if (sharingTop > 1)
    tieLabel_->setText(QStringLiteral("The first %1 share rank 1: the picture and the "
                                      "measurement cannot tell them apart.")
                           .arg(sharingTop));
  for (int c = SolutionsModel::ExplainedColumn; c <= SolutionsModel::RmsColumn; ++c)
    view_->setColumnHidden(c, !model_->hasAgreements());
  for (int c = 0; c < SolutionsModel::ColumnCount; ++c)
    view_->resizeColumnToContents(c);
  rowColoursChanged();
  if (chosen && model_->hasAgreements())
    for (int f = 0; f < model_->rowCount(); ++f)
      if (model_->family(f).g1 == chosen->first && model_->family(f).g2 == chosen->second) {
        // Only the list's own mark: its rows and the calculator already show it.
        const QSignalBlocker quiet(view_->selectionModel());
        view_->setCurrentIndex(model_->index(f, 0));
        view_->viewport()->update();
        break;
      }
}

void SolutionsPanel::rowColoursChanged() {
  const ResultsModel& rows = *results_.model();
  std::vector<bool> pass(static_cast<std::size_t>(rows.rowCount()), false);
  for (int i = 0; i < rows.rowCount(); ++i) {
    const auto number = static_cast<std::size_t>(rows.result(i).rowNumber - 1);
    if (number < pass.size()) pass[number] = rows.rowColour(i) != kFailRowColour;
  }
  model_->setPassingRows(pass);
}

void SolutionsPanel::chooseFamily(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  if (view_->currentIndex().row() != row) {
    view_->setCurrentIndex(model_->index(row, 0)); // chooses it through currentRowChanged
    return;
  }
  const std::vector<int> numbers = model_->familyRowNumbers(row);
  ResultsView* list = results_.view();
  ResultsModel* rows = results_.model();
  QItemSelection selection;
  int first = -1;
  for (int i = 0; i < rows->rowCount(); ++i)
    if (std::binary_search(numbers.begin(), numbers.end(), rows->result(i).rowNumber)) {
      selection.select(rows->index(i, 0), rows->index(i, rows->columnCount() - 1));
      if (first < 0) first = i;
    }
  if (first >= 0) {
    list->selectionModel()->setCurrentIndex(rows->index(first, 0), QItemSelectionModel::NoUpdate);
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    list->scrollTo(rows->index(first, 0), QAbstractItemView::PositionAtTop);
  }
  const SolutionFamily family = model_->family(row); // a copy: box changes may regroup
  const std::array<MillerIndex, 3> planes = {family.g1, family.g2, family.g3};
  for (std::size_t p = 0; p < 3; ++p) {
    const std::array<int, 3> values = {planes[p].h, planes[p].k, planes[p].l};
    for (std::size_t i = 0; i < 3; ++i)
      boxes_.setText(kCalculatorIndexBoxes[p][i], QString::number(values[i]));
  }
  emit familyChosen(family);
  emit handedOver();
}

} // namespace spot
