// The phase tree of the database panel: a root, one node per run of equal phase names, one child
// per record, the check boxes with their Single and Multiple rules, and the batch selection.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/phase_database.hpp"

namespace spot {

/// How ticking a box spreads: Single keeps exactly one node checked, Multiple lets ticks add up.
enum class CheckMode { Single, Multiple };

/// One node. Nodes are numbered from 0 in the order they were added: the root, then each phase
/// node followed by its parameter nodes, so walking the numbers visits the records in order.
struct PhaseTreeNode {
  std::string key;      ///< "Phase", "aa" + phase counter, or "bb" + record number
  std::string text;     ///< caption: "Phase", the phase name, or the parameter text
  int parent = -1;      ///< -1 for the root
  int firstChild = -1;  ///< -1 when there is none
  int nextSibling = -1; ///< -1 when there is none
  int recordNumber = 0; ///< 1-based record of a parameter node; 0 for the root and phase nodes
  int userPhase = 0;    ///< 1-based position in the user's phase library of a user-phase node
  bool checked = false;
};

/// Caption of a parameter node, built from the record's field texts unchanged:
/// "a=0.55800,b=0.55800,c=0.55800,α=90.00000,β=90.00000,γ=90.00000,FaceCenter,c/a:1.00000".
std::string ParameterNodeText(const PhaseRecord& record);

/// The tree model. A tree widget shows node(i) for every i, calls onNodeChecked when the user
/// flips a box, then reads every node's check state back (other boxes change with it).
class PhaseTree {
public:
  static constexpr int kRoot = 0;

  /// The tree of the built-in database: 106 phase nodes, 108 parameter nodes.
  PhaseTree();
  /// Records with equal names share a phase node only when they stand next to each other.
  explicit PhaseTree(const std::vector<PhaseRecord>& records);

  int nodeCount() const { return static_cast<int>(nodes_.size()); }
  /// The node with this number; throws std::out_of_range for a number that is not a node.
  const PhaseTreeNode& node(int number) const {
    return nodes_.at(static_cast<std::size_t>(number));
  }
  /// Number of the node with this key; nullopt when there is none.
  std::optional<int> findNode(std::string_view key) const;
  /// Numbers of the node's children, first to last.
  std::vector<int> childrenOf(int number) const;
  int phaseNodeCount() const { return phaseNodeCount_; }
  int parameterNodeCount() const { return nodeCount() - 1 - phaseNodeCount_ - userNodeCount_; }

  /// The user's own phases after the records: a "User phases" node (key "User") under the root
  /// with one child per caption (keys "cc1", "cc2" ...); none added for an empty list.
  void addUserPhases(const std::vector<std::string>& captions);
  /// 1-based positions of the checked user-phase nodes, in node order.
  std::vector<int> selectedUserPhases() const;

  /// Sets one box and nothing else.
  void setChecked(int number, bool checked);
  /// Sets the node's box; with includeChildren its whole subtree too; with includeSiblings the
  /// same for every later sibling (and their subtrees when includeChildren is set).
  void setSubtreeChecked(int number, bool checked, bool includeSiblings, bool includeChildren);
  /// The user has just flipped the node's box to `checked`. Its descendants follow it; in Single
  /// mode every other box is then cleared and the node ends checked, even if it was unticked.
  /// A number that is not a node is ignored.
  void onNodeChecked(int number, bool checked, CheckMode mode);

  /// Record numbers of the checked parameter nodes in node order: the batch selection. A checked
  /// root or phase node is not itself a selection.
  std::vector<int> selectedRecords() const;

private:
  int addNode(std::string key, std::string text, int parent, int recordNumber);

  std::vector<PhaseTreeNode> nodes_;
  std::vector<int> lastChild_; // per node, so adding a child needs no walk along the siblings
  int phaseNodeCount_ = 0;
  int userNodeCount_ = 0; ///< the "User phases" node and its children
};

} // namespace spot
