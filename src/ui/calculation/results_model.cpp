// The rows of the results list.
#include "ui/calculation/results_model.hpp"

#include <algorithm>
#include <numeric>

#include "core/number_format.hpp"
#include "ui/common/qt_text.hpp"

namespace spot {
namespace {

Qt::Alignment alignmentOf(int column) {
  switch (kResultColumns[static_cast<std::size_t>(column)].alignment) {
  case ColumnAlignment::Left: return Qt::AlignLeft | Qt::AlignVCenter;
  case ColumnAlignment::Right: return Qt::AlignRight | Qt::AlignVCenter;
  case ColumnAlignment::Centre: break;
  }
  return Qt::AlignCenter;
}

// The numbers a row shows, read back from the very texts of its cells.
RowValues shownValues(const IndexingResult& row) {
  RowValues values;
  for (std::size_t j = 0; j < 3; ++j) {
    values.d[j] = CellNumber(FormatSpacing(row.d[j]));
    values.angle[j] = CellNumber(FormatAngle(row.angle[j]));
  }
  return values;
}

} // namespace

void ResultsModel::setResults(std::vector<IndexingResult> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  shown_.resize(rows_.size());
  std::transform(rows_.begin(), rows_.end(), shown_.begin(), shownValues);
  colours_.assign(rows_.size(), kSearchRowColour.rgb());
  endResetModel();
}

void ResultsModel::clear() {
  beginResetModel();
  rows_.clear();
  shown_.clear();
  colours_.clear();
  endResetModel();
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kResultColumnCount;
}

std::string ResultsModel::cellText(int row, int column) const {
  return ResultCellText(rows_[static_cast<std::size_t>(row)], column);
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  switch (role) {
  case Qt::DisplayRole: return QString::fromStdString(cellText(index.row(), index.column()));
  case Qt::TextAlignmentRole: return QVariant::fromValue(alignmentOf(index.column()));
  case Qt::ForegroundRole:
    // Only the row's own item carries a colour; the other cells keep the list's.
    if (index.column() == column::kRowLabel) return rowColour(index.row());
    return {};
  default: return {};
  }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kResultColumnCount) return {};
  const ResultColumn& c = kResultColumns[static_cast<std::size_t>(section)];
  if (role == Qt::DisplayRole) return FromUtf8(c.title);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignmentOf(section));
  return {};
}

void ResultsModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kResultColumnCount || rows_.size() < 2) return;
  if (IsSeparatorColumn(column)) return; // every cell holds the same sign: nothing moves

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const std::size_t n = rows_.size();
  std::vector<std::string> keys(n);
  for (std::size_t r = 0; r < n; ++r)
    keys[r] = cellText(static_cast<int>(r), column);
  std::vector<std::size_t> fromRow(n); // fromRow[new position] = old position
  std::iota(fromRow.begin(), fromRow.end(), std::size_t{0});
  if (order == Qt::AscendingOrder)
    std::stable_sort(fromRow.begin(), fromRow.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  else
    std::stable_sort(fromRow.begin(), fromRow.end(),
                     [&](std::size_t a, std::size_t b) { return keys[b] < keys[a]; });

  std::vector<IndexingResult> rows(n);
  std::vector<RowValues> shown(n);
  std::vector<QRgb> colours(n);
  std::vector<int> newPosition(n);
  for (std::size_t p = 0; p < n; ++p) {
    rows[p] = rows_[fromRow[p]];
    shown[p] = shown_[fromRow[p]];
    colours[p] = colours_[fromRow[p]];
    newPosition[fromRow[p]] = static_cast<int>(p);
  }
  rows_ = std::move(rows);
  shown_ = std::move(shown);
  colours_ = std::move(colours);

  // The selection and the current row follow their rows.
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& index : before)
    after.append(this->index(newPosition[static_cast<std::size_t>(index.row())], index.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultsModel::setAllRowColours(const QColor& colour) {
  std::fill(colours_.begin(), colours_.end(), colour.rgb());
  announceColours();
}

void ResultsModel::setPassColours(const std::vector<unsigned char>& pass) {
  const QRgb yes = kPassRowColour.rgb();
  const QRgb no = kFailRowColour.rgb();
  for (std::size_t r = 0; r < colours_.size() && r < pass.size(); ++r)
    colours_[r] = pass[r] ? yes : no;
  announceColours();
}

void ResultsModel::announceColours() {
  if (rows_.empty()) return;
  emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::ForegroundRole});
}

} // namespace spot
