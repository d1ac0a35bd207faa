// The ranked phases of the last batch as a list.
#include "ui/database/best_phases_view.hpp"

#include <QHeaderView>
#include <QVBoxLayout>

#include "core/number_format.hpp"
#include "ui/common/qt_text.hpp"

namespace spot {

BestPhasesView::BestPhasesView(QWidget* parent)
    : QGroupBox(QStringLiteral("Best phases"), parent), list_(new QTreeWidget(this)) {
  setObjectName(QStringLiteral("BestPhases"));
  list_->setObjectName(QStringLiteral("BestPhasesList"));
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setHeaderLabels({QStringLiteral("Rank"), QStringLiteral("Phase"), QStringLiteral("Rows"),
                          QStringLiteral("Best family"), QStringLiteral("Zone axis"),
                          QStringLiteral("Score")});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  // Moving to a phase (click or arrow keys) shows it; Enter or a double click again.
  connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    if (current) emit phaseChosen(list_->indexOfTopLevelItem(current));
  });
  connect(list_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { emit phaseChosen(list_->indexOfTopLevelItem(item)); });
  hide();
}

void BestPhasesView::setEntries(const std::vector<Entry>& entries) {
  const QSignalBlocker quiet(list_);
  list_->clear();
  int rank = 0;
  for (const Entry& e : entries) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(RankColumn, QString::number(++rank));
    item->setText(PhaseColumn, e.name);
    item->setText(RowsColumn, QString::number(e.rows));
    item->setText(FamilyColumn, e.representative);
    item->setText(ZoneAxisColumn, e.zoneAxis);
    item->setText(ScoreColumn, FromUtf8(FormatFixed(e.score, 3)));
    for (int c : {RankColumn, RowsColumn, ScoreColumn})
      item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  }
  list_->setCurrentItem(nullptr);
  for (int c = 0; c <= ScoreColumn; ++c)
    list_->resizeColumnToContents(c);
  setVisible(!entries.empty());
}

} // namespace spot
