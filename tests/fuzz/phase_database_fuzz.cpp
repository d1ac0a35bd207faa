// Fuzzes the database text parser and what is built from its records (cells, lattice types,
// the phase boxes, the phase tree): the records hold exactly the pieces of the text.
#include <cmath>

#include "core/lattice.hpp"
#include "database/batch_run.hpp"
#include "database/phase_database.hpp"
#include "database/phase_tree.hpp"
#include "fuzz_check.hpp"

namespace {

using namespace spot;

// The text without CR LF pairs, removed left to right.
std::string withoutLineBreaks(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == "\r\n") {
      ++i;
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

void checkTree(const std::vector<PhaseRecord>& records) {
  PhaseTree tree(records);
  FUZZ_CHECK(tree.parameterNodeCount() == static_cast<int>(records.size()), "one node a record");
  // Ticking the root in Multiple mode selects every record, in database order.
  tree.onNodeChecked(PhaseTree::kRoot, true, CheckMode::Multiple);
  const std::vector<int> all = tree.selectedRecords();
  FUZZ_CHECK(all.size() == records.size(), "every record selected");
  for (std::size_t i = 0; i < all.size(); ++i)
    FUZZ_CHECK(all[i] == static_cast<int>(i) + 1, "records in order");
  // A parameter node's caption is made of its record's fields; its parent carries the name.
  for (int node = 1; node < tree.nodeCount(); ++node) {
    const PhaseTreeNode& n = tree.node(node);
    if (n.recordNumber == 0) continue;
    const PhaseRecord& record = records[static_cast<std::size_t>(n.recordNumber - 1)];
    FUZZ_CHECK(n.text == ParameterNodeText(record), "caption");
    FUZZ_CHECK(tree.node(n.parent).text == record.name(), "phase node named by its records");
  }
  // Single mode leaves exactly the clicked node checked.
  const int last = tree.nodeCount() - 1;
  tree.onNodeChecked(last, false, CheckMode::Single);
  int checked = 0;
  for (int node = 0; node < tree.nodeCount(); ++node)
    checked += tree.node(node).checked;
  FUZZ_CHECK(checked == 1 && tree.node(last).checked, "one node checked");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = spot::fuzz::AsText(data, size);
  const ParsedDatabase parsed = ParsePhaseDatabase(text);

  // The pieces are the text between the ";" once CR LF pairs are gone, nothing lost or added.
  FUZZ_CHECK(!parsed.pieces.empty(), "at least the piece after the last \";\"");
  std::string joined;
  for (std::size_t k = 0; k < parsed.pieces.size(); ++k)
    joined += (k ? ";" : "") + parsed.pieces[k];
  FUZZ_CHECK(joined == withoutLineBreaks(text), "pieces joined give the text back");

  // Nine pieces a record, the count rounded; the last piece is never a field.
  const std::size_t fields = parsed.pieces.size() - 1;
  const std::size_t count = parsed.records.size();
  FUZZ_CHECK(count * 9 <= fields + 4 && fields < count * 9 + 5, "records rounded from pieces");
  for (std::size_t r = 0; r < count; ++r) {
    const PhaseRecord& record = parsed.records[r];
    for (std::size_t f = 0; f < 9; ++f) {
      const std::size_t k = r * 9 + f;
      FUZZ_CHECK(record.fields[f] == (k < fields ? parsed.pieces[k] : std::string()), "field");
    }
    const LatticeParameters cell = record.cell();
    for (double value : {cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma, cell.cOverA})
      FUZZ_CHECK(!std::isnan(value), "a field never reads as NaN");
    const int type = static_cast<int>(record.latticeType());
    FUZZ_CHECK(type >= 0 && type < kLatticeTypeCount, "one of the five types");
    const BoxTexts boxes = WithPhaseBoxes(BoxTexts::Initial(), record);
    for (int i = 0; i < 6; ++i)
      FUZZ_CHECK(boxes[BoxNumber(Box::A) + i] == record.field(4 + i), "boxes a..gamma");
    FUZZ_CHECK(BatchPhaseName(record).starts_with(record.name()), "the batch name");
  }
  checkTree(parsed.records);
  return 0;
}
