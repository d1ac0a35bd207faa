// The "Lattice Database" panel: the tree as shown, clicks on its boxes under the Single and
// Multiple rules, and what "Calculate selected items" and "Cancel" hand to the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeWidgetItemIterator>

#include "ui/database/database_panel.hpp"

namespace spot {
namespace {

// Clicks the check box of an item the way a user does: on the indicator in the viewport.
void clickBox(QTreeWidget* tree, QTreeWidgetItem* item) {
  for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
    p->setExpanded(true);
  tree->scrollToItem(item);
  QStyleOptionViewItem option;
  option.initFrom(tree->viewport());
  option.rect = tree->visualItemRect(item);
  option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  option.widget = tree;
  const QRect box =
      tree->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, box.center());
}

std::vector<QString> checkedKeys(const DatabasePanel& panel) {
  std::vector<QString> keys;
  for (int n = 0; n < panel.phaseTree().nodeCount(); ++n)
    if (panel.item(n)->checkState(0) == Qt::Checked)
      keys.push_back(panel.item(n)->data(0, DatabasePanel::kKeyRole).toString());
  return keys;
}

struct Requests {
  std::vector<std::vector<int>> records;
  std::vector<CheckMode> modes;
  int cancels = 0;
};

class DatabasePanelTest : public ::testing::Test {
protected:
  void SetUp() override {
    QObject::connect(&panel_, &DatabasePanel::batchRequested,
                     [this](std::vector<int> r, CheckMode m) {
                       requests_.records.push_back(std::move(r));
                       requests_.modes.push_back(m);
                     });
    QObject::connect(&panel_, &DatabasePanel::cancelRequested, [this] { ++requests_.cancels; });
    panel_.resize(700, 500);
    panel_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
    tree_ = panel_.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    ASSERT_NE(tree_, nullptr);
  }
  QTreeWidgetItem* key(const char* k) const {
    QTreeWidgetItem* found = panel_.itemWithKey(QString::fromLatin1(k));
    EXPECT_NE(found, nullptr) << k;
    return found;
  }
  void calculate() {
    QTest::mouseClick(panel_.findChild<QPushButton*>(QStringLiteral("Command13")), Qt::LeftButton);
  }

  DatabasePanel panel_;
  QTreeWidget* tree_ = nullptr;
  Requests requests_;
};

TEST_F(DatabasePanelTest, ShowsTheDatabaseTreeAndStartsInSingleMode) {
  EXPECT_TRUE(tree_->isHeaderHidden());
  ASSERT_EQ(tree_->topLevelItemCount(), 1);
  QTreeWidgetItem* root = tree_->topLevelItem(0);
  EXPECT_EQ(root->text(0), "Phase");
  EXPECT_TRUE(root->isExpanded());
  // 108 records, two neighbouring pairs share a name: 106 phase nodes.
  EXPECT_EQ(root->childCount(), 106);
  QTreeWidgetItem* la2s3 = key("bb57")->parent();
  EXPECT_EQ(la2s3->text(0), "La2S3");
  ASSERT_EQ(la2s3->childCount(), 2);
  EXPECT_EQ(la2s3->child(1)->data(0, DatabasePanel::kKeyRole).toString(), "bb58");
  int items = 0;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it, ++items)
    EXPECT_TRUE((*it)->flags() & Qt::ItemIsUserCheckable);
  EXPECT_EQ(items, 1 + 106 + 108);

  // A parameter text wider than the tree is not cut off: the column takes the whole text and the
  // tree scrolls sideways.
  la2s3->setExpanded(true);
  panel_.resize(150, 500);
  QApplication::processEvents();
  EXPECT_GT(tree_->columnWidth(0), tree_->viewport()->width());
  EXPECT_GT(tree_->horizontalScrollBar()->maximum(), 0);

  EXPECT_TRUE(panel_.findChild<QRadioButton*>(QStringLiteral("Option1(0)"))->isChecked());
  EXPECT_EQ(panel_.calculateButton()->text(), "      Calculate        selected items");
  EXPECT_EQ(panel_.findChild<QLabel*>(QStringLiteral("DatabaseNote"))->text(),
            "Database Updated\n2019.10.13");
  QWidget host; // a child panel is shown with its window unless it hides itself
  EXPECT_TRUE((new DatabasePanel(&host))->isHidden());
}

TEST_F(DatabasePanelTest, SingleModeKeepsExactlyTheClickedNodeChecked) {
  // A phase node alone selects no record.
  clickBox(tree_, key("aa2"));
  EXPECT_EQ(checkedKeys(panel_), std::vector<QString>({"aa2"}));
  calculate();
  ASSERT_EQ(requests_.records.size(), 1u);
  EXPECT_TRUE(requests_.records[0].empty());
  EXPECT_EQ(requests_.modes[0], CheckMode::Single);

  clickBox(tree_, key("bb80"));
  EXPECT_EQ(checkedKeys(panel_), std::vector<QString>({"bb80"}));
  clickBox(tree_, key("bb80")); // unticking the only checked node checks it again
  EXPECT_EQ(checkedKeys(panel_), std::vector<QString>({"bb80"}));
  calculate();
  EXPECT_EQ(requests_.records.back(), std::vector<int>({80}));
}

TEST_F(DatabasePanelTest, MultipleModeTicksSubtreesAndSelectsInTreeOrder) {
  QTest::mouseClick(panel_.multipleOption(), Qt::LeftButton);
  ASSERT_EQ(panel_.mode(), CheckMode::Multiple);
  // Ticked out of order; the selection follows the tree: Al (2), Cu (34), NaCl (80).
  for (const char* record : {"bb80", "bb2", "bb34"})
    clickBox(tree_, key(record)->parent());
  calculate();
  ASSERT_EQ(requests_.records.size(), 1u);
  EXPECT_EQ(requests_.records[0], std::vector<int>({2, 34, 80}));
  EXPECT_EQ(requests_.modes[0], CheckMode::Multiple);

  // Unticking one parameter node of a two-record phase leaves the phase and the other record.
  QTreeWidgetItem* la2s3 = key("bb57")->parent();
  clickBox(tree_, la2s3);
  clickBox(tree_, key("bb57"));
  EXPECT_EQ(la2s3->checkState(0), Qt::Checked);
  EXPECT_EQ(key("bb57")->checkState(0), Qt::Unchecked);
  EXPECT_EQ(key("bb58")->checkState(0), Qt::Checked);
  EXPECT_EQ(panel_.selectedRecords(), std::vector<int>({2, 34, 58, 80}));

  // The root ticks every node.
  clickBox(tree_, tree_->topLevelItem(0));
  EXPECT_EQ(checkedKeys(panel_).size(), 1u + 106u + 108u);
}

TEST_F(DatabasePanelTest, CancelHidesThePanelAndCaptionsFollowTheRun) {
  QTest::mouseClick(panel_.cancelButton(), Qt::LeftButton);
  EXPECT_FALSE(panel_.isVisible());
  EXPECT_EQ(requests_.cancels, 1);
  const auto inputsEnabled = [this] {
    int enabled = 0;
    for (const char* name :
         {"TreeView1", "Option1(0)", "Option1(1)", "ImportCif", "RemoveUserPhase"})
      enabled += panel_.findChild<QWidget*>(QString::fromLatin1(name))->isEnabled();
    return enabled;
  };
  // While a run goes on, both buttons stop it, and what it read cannot change.
  int stops = 0;
  QObject::connect(&panel_, &DatabasePanel::stopRequested, [&stops] { ++stops; });
  panel_.show();
  panel_.showRunning();
  EXPECT_EQ(panel_.calculateButton()->text(), QString::fromUtf8("\u2026\u2026"));
  EXPECT_EQ(panel_.calculateButton()->toolTip(), "The run is in progress; click to stop it");
  EXPECT_EQ(inputsEnabled(), 0);
  calculate();
  QTest::mouseClick(panel_.cancelButton(), Qt::LeftButton);
  EXPECT_EQ(stops, 2);
  EXPECT_TRUE(requests_.records.empty());
  EXPECT_EQ(requests_.cancels, 1);
  EXPECT_TRUE(panel_.isVisible());
  panel_.showFinished();
  EXPECT_EQ(panel_.calculateButton()->text(), "Calculate selected items");
  EXPECT_EQ(panel_.calculateButton()->toolTip(), QString());
  EXPECT_EQ(inputsEnabled(), 5);
}

} // namespace
} // namespace spot
