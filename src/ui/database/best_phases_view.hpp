// "Best phases" after a batch: every phase that has rows, with its best family of equivalent
// rows and that family's score, best first. Choosing a phase asks for its rows to be shown.
#pragma once

#include <QGroupBox>
#include <QString>
#include <QTreeWidget>
#include <vector>

namespace spot {

class BestPhasesView : public QGroupBox {
  Q_OBJECT
public:
  /// One line of the list, already in rank order.
  struct Entry {
    QString name;
    int rows = 0;
    QString representative;
    QString zoneAxis;
    double score = 0;
  };
  enum Column { RankColumn, PhaseColumn, RowsColumn, FamilyColumn, ZoneAxisColumn, ScoreColumn };

  /// Empty and hidden until a batch has phases with rows.
  explicit BestPhasesView(QWidget* parent = nullptr);

  QTreeWidget* list() const { return list_; }
  /// Lists `entries` (best first) with nothing chosen; shown when there is any, hidden if not.
  void setEntries(const std::vector<Entry>& entries);
  /// Empties and hides the list (a new batch starts).
  void clear() { setEntries({}); }

signals:
  /// The user moved to the phase at `rank` (0 = the best).
  void phaseChosen(int rank);

private:
  QTreeWidget* list_;
};

} // namespace spot
