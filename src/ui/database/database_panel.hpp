// The "Lattice Database" panel Frame7: the phase tree with a check box on every node, the Single
// and Multiple tick modes, "Cancel", and the button that asks for the batch over the ticked phases.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <vector>

#include "database/phase_tree.hpp"

namespace spot {

class DatabasePanel : public QGroupBox {
  Q_OBJECT
public:
  /// Item data roles of TreeView1, column 0: the node's key ("Phase", "aa7", "bb80") and its
  /// number in the tree model.
  static constexpr int kKeyRole = Qt::UserRole;
  static constexpr int kNodeRole = Qt::UserRole + 1;

  static constexpr const char* kCalculateCaption = "      Calculate        selected items";
  static constexpr const char* kCalculateCaptionAfterRun = "Calculate selected items";
  static constexpr const char* kRunningCaption = "\u2026\u2026";

  /// Builds the tree of the built-in database with the root expanded; the panel starts hidden.
  explicit DatabasePanel(QWidget* parent = nullptr);

  QTreeWidget* tree() const { return tree_; }
  QRadioButton* singleOption() const { return single_; }
  QRadioButton* multipleOption() const { return multiple_; }
  QPushButton* calculateButton() const { return calculate_; }
  QPushButton* cancelButton() const { return cancel_; }

  CheckMode mode() const { return single_->isChecked() ? CheckMode::Single : CheckMode::Multiple; }
  const PhaseTree& phaseTree() const { return model_; }
  /// The item of a node of the tree model; nullptr for a number that is not a node.
  QTreeWidgetItem* item(int node) const;
  /// The item with this key ("bb80"); nullptr when there is none.
  QTreeWidgetItem* itemWithKey(const QString& key) const;
  /// Record numbers of the checked parameter nodes, in tree order.
  std::vector<int> selectedRecords() const { return model_.selectedRecords(); }
  /// 1-based positions of the checked user phases, in tree order.
  std::vector<int> selectedUserPhases() const { return model_.selectedUserPhases(); }
  /// The tree again with the user's phases under "User phases" after the records; every box
  /// starts unticked.
  void setUserPhases(const std::vector<std::string>& captions);
  QPushButton* importButton() const { return import_; }
  QPushButton* removeButton() const { return remove_; }

  /// While the batch runs: the caption "……", the tree and the tick modes locked; the button
  /// and "Cancel" then stop the run instead.
  void showRunning();
  /// Once the batch has ended: the caption "Calculate selected items", everything unlocked.
  void showFinished();
  bool isRunning() const { return running_; }

signals:
  /// "Calculate selected items" was clicked: the ticked records in tree order and the mode.
  void batchRequested(std::vector<int> records, spot::CheckMode mode);
  /// "Cancel" was clicked; the panel has hidden itself.
  void cancelRequested();
  /// "……" or "Cancel" was clicked while the batch runs.
  void stopRequested();
  /// "Import CIF..." was clicked.
  void importRequested();
  /// "Remove" was clicked: the user phase under the cursor, else the ticked ones (1-based).
  void removeRequested(std::vector<int> userPhases);

private:
  void itemChanged(QTreeWidgetItem* changed);
  void showCheckStates();
  void buildItems();

  PhaseTree model_;
  std::vector<QTreeWidgetItem*> items_; // items_[node number]
  QTreeWidget* tree_;
  QRadioButton* single_;
  QRadioButton* multiple_;
  QPushButton* calculate_;
  QPushButton* cancel_;
  QPushButton* import_;
  QPushButton* remove_;
  QLabel* note_;
  bool running_ = false;
};

} // namespace spot
