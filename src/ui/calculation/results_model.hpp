// The rows of the results list ListView1: one solution a row, 20 text columns, the colour of the
// "No." cell, sorting by cell text, and the six numbers the tolerance filter reads back.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <string>
#include <vector>

#include "indexing/result_text.hpp"
#include "indexing/search.hpp"
#include "indexing/tolerance_filter.hpp"

namespace spot {

/// Colours of the "No." cell: after a search, and for rows inside or outside the tolerances.
inline const QColor kSearchRowColour(225, 0, 0);
inline const QColor kPassRowColour(0, 0, 255);
inline const QColor kFailRowColour(255, 0, 0);

class ResultsModel : public QAbstractTableModel {
  Q_OBJECT
public:
  using QAbstractTableModel::QAbstractTableModel;

  /// Replaces every row, in the given order, each coloured as after a search.
  void setResults(std::vector<IndexingResult> rows);
  void clear();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  /// Orders the rows by the text of a column, compared as text; rows with equal text keep
  /// their order.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  /// The text of a cell, exactly as the list shows it (the hand-over and reports read these).
  std::string cellText(int row, int column) const;
  const IndexingResult& result(int row) const { return rows_[static_cast<std::size_t>(row)]; }
  /// The six numbers of every row, read back from its cells, in the list's order.
  const std::vector<RowValues>& rowValues() const { return shown_; }

  QColor rowColour(int row) const {
    return QColor::fromRgb(colours_[static_cast<std::size_t>(row)]);
  }
  void setAllRowColours(const QColor& colour);
  /// Colours each row by its flag: pass or fail.
  void setPassColours(const std::vector<unsigned char>& pass);

private:
  void announceColours();

  std::vector<IndexingResult> rows_;
  std::vector<RowValues> shown_;
  std::vector<QRgb> colours_;
};

} // namespace spot
