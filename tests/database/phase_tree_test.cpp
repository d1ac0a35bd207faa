// The phase tree: its nodes and keys, the Single and Multiple tick rules, the batch selection.
#include <gtest/gtest.h>

#include <string>

#include "database/phase_tree.hpp"

namespace spot {
namespace {

std::vector<std::string> checkedKeys(const PhaseTree& tree) {
  std::vector<std::string> keys;
  for (int i = 0; i < tree.nodeCount(); ++i)
    if (tree.node(i).checked) keys.push_back(tree.node(i).key);
  return keys;
}

int nodeOf(const PhaseTree& tree, std::string_view key) {
  const std::optional<int> number = tree.findNode(key);
  EXPECT_TRUE(number.has_value()) << key;
  return number.value_or(-1);
}

PhaseRecord named(std::string name) {
  PhaseRecord record;
  record.fields = {std::move(name), "FaceCenter", "1", "0.4", "0.4", "0.4", "90", "90", "90"};
  return record;
}

TEST(PhaseTree, BuiltInTreeHasOneNodePerNameRunAndOnePerRecord) {
  const PhaseTree tree;
  // 108 records, two pairs of neighbours share a name (La2S3 57/58, MgO·Cr2O3 68/69): 106 phases.
  ASSERT_EQ(tree.nodeCount(), 1 + 106 + 108);
  EXPECT_EQ(tree.phaseNodeCount(), 106);
  EXPECT_EQ(tree.node(PhaseTree::kRoot).text, "Phase");
  const std::vector<int> phases = tree.childrenOf(PhaseTree::kRoot);
  ASSERT_EQ(phases.size(), 106u);
  int record = 1; // parameter nodes must come in record order, each under its record's name
  for (std::size_t p = 0; p < phases.size(); ++p) {
    EXPECT_EQ(tree.node(phases[p]).key, "aa" + std::to_string(p + 1));
    for (int child : tree.childrenOf(phases[p])) {
      EXPECT_EQ(tree.node(child).key, "bb" + std::to_string(record));
      EXPECT_EQ(tree.node(child).recordNumber, record);
      EXPECT_EQ(tree.node(phases[p]).text, BuiltInPhases()[std::size_t(record - 1)].name());
      ++record;
    }
  }
  EXPECT_EQ(record, 109);
  // aa numbers lag the record numbers by one after La2S3.
  EXPECT_EQ(tree.childrenOf(nodeOf(tree, "aa57")),
            std::vector({nodeOf(tree, "bb57"), nodeOf(tree, "bb58")}));
  EXPECT_EQ(tree.node(nodeOf(tree, "aa67")).text, "MgO\u00B7Cr2O3");
  EXPECT_EQ(tree.childrenOf(nodeOf(tree, "aa67")),
            std::vector({nodeOf(tree, "bb68"), nodeOf(tree, "bb69")}));
  EXPECT_EQ(tree.node(nodeOf(tree, "bb1")).text,
            "a=0.55800,b=0.55800,c=0.55800,\u03B1=90.00000,\u03B2=90.00000,\u03B3=90.00000,"
            "FaceCenter,c/a:1.00000");
  // SnO2, the non-cubic record: c differs from a and b, and c/a is not 1.
  EXPECT_EQ(tree.node(nodeOf(tree, "bb89")).text,
            "a=0.47550,b=0.47550,c=0.31990,\u03B1=90.00000,\u03B2=90.00000,\u03B3=90.00000,"
            "Primitive,c/a:0.67277");
  // Nine different fields, each in its own place.
  PhaseRecord distinct;
  distinct.fields = {"N", "T", "3", "4", "5", "6", "7", "8", "9"};
  EXPECT_EQ(ParameterNodeText(distinct), "a=4,b=5,c=6,\u03B1=7,\u03B2=8,\u03B3=9,T,c/a:3");
}

TEST(PhaseTree, OnlyNeighboursShareAPhaseNode) {
  const PhaseTree tree({named("A"), named("A"), named("B"), named("A"), named("a")});
  EXPECT_EQ(tree.phaseNodeCount(), 4);
  EXPECT_EQ(tree.node(nodeOf(tree, "bb2")).parent, nodeOf(tree, "aa1"));
  EXPECT_EQ(tree.node(nodeOf(tree, "bb4")).parent, nodeOf(tree, "aa3"));

  PhaseTree empty(std::vector<PhaseRecord>{});
  EXPECT_EQ(empty.nodeCount(), 1);
  for (int notANode : {1, -1, 5}) // the root is node 0, the only one
    empty.onNodeChecked(notANode, true, CheckMode::Single);
  EXPECT_TRUE(checkedKeys(empty).empty());

  // The user's phases follow under a node of their own, numbered from 1; they are no records.
  PhaseTree user({named("A")});
  user.addUserPhases({});
  EXPECT_EQ(user.nodeCount(), 3); // root, aa1, bb1: an empty list adds no node
  user.addUserPhases({"Si", "TiO2"});
  EXPECT_EQ(user.node(nodeOf(user, "User")).parent, PhaseTree::kRoot);
  EXPECT_EQ(user.childrenOf(nodeOf(user, "User")),
            std::vector({nodeOf(user, "cc1"), nodeOf(user, "cc2")}));
  EXPECT_EQ(user.node(nodeOf(user, "cc2")).text, "TiO2");
  EXPECT_FALSE(user.findNode("cc3")); // two phases: no third node
  EXPECT_EQ(user.parameterNodeCount(), 1);
  user.onNodeChecked(nodeOf(user, "User"), true, CheckMode::Multiple);
  EXPECT_EQ(user.selectedUserPhases(), (std::vector<int>{1, 2}));
  EXPECT_TRUE(user.selectedRecords().empty());
}

TEST(PhaseTree, SingleModeLeavesExactlyTheClickedNodeChecked) {
  PhaseTree tree;
  const int la2s3 = nodeOf(tree, "aa57");

  // A phase node alone: its parameter nodes end unchecked, so nothing is selected.
  tree.onNodeChecked(la2s3, true, CheckMode::Single);
  EXPECT_EQ(checkedKeys(tree), (std::vector<std::string>{"aa57"}));
  EXPECT_TRUE(tree.selectedRecords().empty());

  // A parameter node replaces it and selects exactly its record.
  tree.onNodeChecked(nodeOf(tree, "bb58"), true, CheckMode::Single);
  EXPECT_EQ(checkedKeys(tree), (std::vector<std::string>{"bb58"}));
  EXPECT_EQ(tree.selectedRecords(), (std::vector<int>{58}));

  // Unticking the only checked node ticks it again.
  tree.onNodeChecked(nodeOf(tree, "bb58"), false, CheckMode::Single);
  EXPECT_EQ(checkedKeys(tree), (std::vector<std::string>{"bb58"}));

  // The root alone, after Multiple ticks had spread everywhere.
  tree.onNodeChecked(PhaseTree::kRoot, true, CheckMode::Multiple);
  tree.onNodeChecked(PhaseTree::kRoot, true, CheckMode::Single);
  EXPECT_EQ(checkedKeys(tree), (std::vector<std::string>{"Phase"}));
}

TEST(PhaseTree, MultipleModeTicksAddUpAndSpreadDownwards) {
  PhaseTree tree;
  tree.onNodeChecked(nodeOf(tree, "aa2"), true, CheckMode::Multiple);   // Al
  tree.onNodeChecked(nodeOf(tree, "bb34"), true, CheckMode::Multiple);  // Cu
  tree.onNodeChecked(nodeOf(tree, "aa67"), true, CheckMode::Multiple);  // MgO·Cr2O3
  tree.onNodeChecked(nodeOf(tree, "bb68"), false, CheckMode::Multiple); // one of its two
  EXPECT_EQ(checkedKeys(tree), (std::vector<std::string>{"aa2", "bb2", "bb34", "aa67", "bb69"}));
  EXPECT_EQ(tree.selectedRecords(), (std::vector<int>{2, 34, 69}));

  // Unticking a phase node clears its parameter nodes, and leaves the root alone.
  tree.onNodeChecked(nodeOf(tree, "aa2"), false, CheckMode::Multiple);
  EXPECT_EQ(tree.selectedRecords(), (std::vector<int>{34, 69}));

  // The root takes every node, and every record.
  tree.onNodeChecked(PhaseTree::kRoot, true, CheckMode::Multiple);
  EXPECT_EQ(static_cast<int>(checkedKeys(tree).size()), tree.nodeCount());
  EXPECT_EQ(tree.selectedRecords().size(), 108u);
}

TEST(PhaseTree, SetSubtreeCheckedWalksSiblingsAndChildrenOnRequest) {
  PhaseTree tree;
  // From aa105 with siblings but without children: aa105, aa106, nothing below them.
  tree.setSubtreeChecked(nodeOf(tree, "aa105"), true, true, false);
  EXPECT_EQ(checkedKeys(tree), (std::vector<std::string>{"aa105", "aa106"}));
  // With both: their records 107 and 108 (ZrO, ZrO2) too, and still not the root.
  tree.setSubtreeChecked(nodeOf(tree, "aa105"), true, true, true);
  EXPECT_EQ(checkedKeys(tree), (std::vector<std::string>{"aa105", "bb107", "aa106", "bb108"}));
}

} // namespace
} // namespace spot
