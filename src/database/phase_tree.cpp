// The phase tree of the database panel: building it from the records, and the check-box rules.
#include "database/phase_tree.hpp"

#include <utility>

namespace spot {

std::string ParameterNodeText(const PhaseRecord& record) {
  return "a=" + record.field(4) + ",b=" + record.field(5) + ",c=" + record.field(6) +
         ",α=" + record.field(7) + ",β=" + record.field(8) + ",γ=" + record.field(9) + "," +
         record.field(2) + ",c/a:" + record.field(3);
}

// BUILDING

PhaseTree::PhaseTree() : PhaseTree(BuiltInPhases()) {}

PhaseTree::PhaseTree(const std::vector<PhaseRecord>& records) {
  addNode("Phase", "Phase", -1, 0);
  int phaseNode = -1;
  for (std::size_t i = 0; i < records.size(); ++i) {
    // Only a name equal to the one just before it joins the previous phase node.
    if (i == 0 || records[i].name() != records[i - 1].name()) {
      ++phaseNodeCount_;
      phaseNode = addNode("aa" + std::to_string(phaseNodeCount_), records[i].name(), kRoot, 0);
    }
    const int recordNumber = static_cast<int>(i) + 1;
    addNode("bb" + std::to_string(recordNumber), ParameterNodeText(records[i]), phaseNode,
            recordNumber);
  }
}

int PhaseTree::addNode(std::string key, std::string text, int parent, int recordNumber) {
  const int number = nodeCount();
  PhaseTreeNode added;
  added.key = std::move(key);
  added.text = std::move(text);
  added.parent = parent;
  added.recordNumber = recordNumber;
  nodes_.push_back(std::move(added));
  lastChild_.push_back(-1);
  if (parent >= 0) {
    const auto p = static_cast<std::size_t>(parent);
    if (lastChild_[p] < 0)
      nodes_[p].firstChild = number;
    else
      nodes_[static_cast<std::size_t>(lastChild_[p])].nextSibling = number;
    lastChild_[p] = number;
  }
  return number;
}

// LOOKING UP

std::optional<int> PhaseTree::findNode(std::string_view key) const {
  for (int i = 0; i < nodeCount(); ++i)
    if (node(i).key == key) return i;
  return std::nullopt;
}

std::vector<int> PhaseTree::childrenOf(int number) const {
  std::vector<int> children;
  for (int child = node(number).firstChild; child >= 0; child = node(child).nextSibling)
    children.push_back(child);
  return children;
}

// CHECK BOXES

void PhaseTree::setChecked(int number, bool checked) {
  nodes_.at(static_cast<std::size_t>(number)).checked = checked;
}

void PhaseTree::setSubtreeChecked(int number, bool checked, bool includeSiblings,
                                  bool includeChildren) {
  // Siblings are walked in a loop rather than by recursion, so the depth stays that of the tree.
  for (int n = number; n >= 0; n = includeSiblings ? node(n).nextSibling : -1) {
    setChecked(n, checked);
    if (includeChildren && node(n).firstChild >= 0)
      setSubtreeChecked(node(n).firstChild, checked, true, true);
  }
}

void PhaseTree::onNodeChecked(int number, bool checked, CheckMode mode) {
  if (number < 0 || number >= nodeCount()) return;
  setSubtreeChecked(number, checked, false, true);
  if (mode == CheckMode::Single) {
    for (PhaseTreeNode& each : nodes_)
      each.checked = false;
    // Whether the click ticked or unticked it, the clicked node is the one left checked.
    setChecked(number, true);
  }
}

void PhaseTree::addUserPhases(const std::vector<std::string>& captions) {
  if (captions.empty()) return;
  const int parent = addNode("User", "User phases", kRoot, 0);
  ++userNodeCount_;
  for (std::size_t i = 0; i < captions.size(); ++i) {
    const int node = addNode("cc" + std::to_string(i + 1), captions[i], parent, 0);
    nodes_[static_cast<std::size_t>(node)].userPhase = static_cast<int>(i) + 1;
    ++userNodeCount_;
  }
}

std::vector<int> PhaseTree::selectedUserPhases() const {
  std::vector<int> phases;
  for (const PhaseTreeNode& each : nodes_)
    if (each.checked && each.userPhase > 0) phases.push_back(each.userPhase);
  return phases;
}

std::vector<int> PhaseTree::selectedRecords() const {
  std::vector<int> records;
  for (const PhaseTreeNode& each : nodes_)
    if (each.checked && each.key.starts_with("bb")) records.push_back(each.recordNumber);
  return records;
}

} // namespace spot
