// The results list.
#include "ui/calculation/results_view.hpp"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "ui/calculation/phase_panel.hpp"

namespace spot {

ResultsView::ResultsView(ResultsModel* model, QWidget* parent) : QTreeView(parent), model_(model) {
  setObjectName(QStringLiteral("ListView1"));
  setModel(model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true); // tens of thousands of rows lay out in constant time
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false); // sorting follows the header-click rule below, not the view's own

  QHeaderView* head = header();
  head->setSectionsClickable(true);
  head->setSectionsMovable(false);
  head->setStretchLastSection(false);
  head->setSortIndicatorShown(false);
  head->setDefaultAlignment(Qt::AlignCenter);
  connect(head, &QHeaderView::sectionClicked, this, &ResultsView::headerClicked);
  resetColumnWidths();

  popupMenu_ = new QMenu(QStringLiteral("PopupMenu"), this);
  popupMenu_->setObjectName(QStringLiteral("b"));
  zoneAxisAction_ = popupMenu_->addAction(QStringLiteral("Calculate zone axis index"));
  zoneAxisAction_->setObjectName(QStringLiteral("jisuandaizhou2"));
  exportAction_ = popupMenu_->addAction(QStringLiteral("Export calculated results"));
  exportAction_->setObjectName(QStringLiteral("daochujieguo3"));
  exportAction_->setEnabled(false); // enabled by whoever writes the report

  // The right button opens the menu at the pointer, on a row or on the empty list.
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& position) { popupMenu_->popup(viewport()->mapToGlobal(position)); });
}

void ResultsView::resetColumnWidths() {
  // The set widths, widened where this screen's font would cut the usual cell text short, or
  // where a heading would not fit beside the sort arrow.
  const QFontMetrics metrics(font());
  const QFontMetrics headingMetrics(header()->font());
  const int padding =
      2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 4;
  // The header draws its text between two margins and gives a sorted column's arrow half the
  // header's height plus two margins.
  const int headingMargin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header());
  const int headingRoom = 4 * headingMargin + header()->sizeHint().height() / 2;
  for (int c = 0; c < kResultColumnCount; ++c) {
    const ResultColumn& column = kResultColumns[static_cast<std::size_t>(c)];
    const char* widest = c == column::kRowLabel                              ? "No.0000"
                         : c >= column::kSpacing && c < column::kSpacing + 3 ? "0.0000000"
                         : c >= column::kAngle                               ? "000.0000"
                         : IsSeparatorColumn(c)                              ? "\uFF1D"
                                                                             : "-00";
    const int cell = metrics.horizontalAdvance(QString::fromUtf8(widest)) + padding;
    const int heading = headingMetrics.horizontalAdvance(QString::fromUtf8(
                            column.title.data(), static_cast<qsizetype>(column.title.size()))) +
                        headingRoom;
    const int set = TwipsToPixels(this, column.widthTwips);
    header()->resizeSection(c, std::max({set, cell, heading}));
  }
}

QSize ResultsView::sizeHint() const {
  // Every column side by side, with room for the vertical scroll bar that a long list shows.
  const int frame = 2 * frameWidth();
  return {header()->length() + verticalScrollBar()->sizeHint().width() + frame,
          QTreeView::sizeHint().height()};
}

void ResultsView::sortResults(int column, Qt::SortOrder order) {
  sortingOn_ = true;
  sortColumn_ = column;
  sortOrder_ = order;
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(column, order);
  model_->sort(column, order);
}

void ResultsView::headerClicked(int column) {
  // The direction flips on every click, also when the column changes.
  sortResults(column, sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

int ResultsView::selectedRow() const {
  if (!selectionModel()) return -1;
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace spot
