// The results list ListView1: a report view over ResultsModel whose header clicks sort by cell
// text in alternating direction, with the popup menu of the commands that act on a row.
#pragma once

#include <QAction>
#include <QMenu>
#include <QTreeView>

#include "ui/calculation/results_model.hpp"

namespace spot {

class ResultsView : public QTreeView {
  Q_OBJECT
public:
  explicit ResultsView(ResultsModel* model, QWidget* parent = nullptr);

  ResultsModel* resultsModel() const { return model_; }

  /// Sorts by a column in a direction and remembers both; the next header click flips it.
  void sortResults(int column, Qt::SortOrder order);
  bool isSortingOn() const { return sortingOn_; }
  int sortColumn() const { return sortColumn_; }
  Qt::SortOrder sortOrder() const { return sortOrder_; }

  /// The selected row, or -1 when none is.
  int selectedRow() const;

  /// The 20 columns at their set widths, as a search lays them out.
  void resetColumnWidths();

  /// Wide enough for all the columns and a vertical scroll bar.
  QSize sizeHint() const override;

  QMenu* popupMenu() const { return popupMenu_; }
  /// "Calculate zone axis index".
  QAction* zoneAxisAction() const { return zoneAxisAction_; }
  /// "Export calculated results".
  QAction* exportAction() const { return exportAction_; }

private:
  void headerClicked(int column);

  ResultsModel* model_;
  QMenu* popupMenu_;
  QAction* zoneAxisAction_;
  QAction* exportAction_;
  bool sortingOn_ = false;
  int sortColumn_ = 0;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

} // namespace spot
