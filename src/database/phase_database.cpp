// The database parser, the built-in records and what a record's text fields mean as numbers.
#include "database/phase_database.hpp"

#include <cmath> // for lround

#include "core/numeric_text.hpp"

namespace spot {

// RECORD

LatticeParameters PhaseRecord::cell() const {
  LatticeParameters cell;
  cell.cOverA = NumericPrefix(field(3));
  cell.a = NumericPrefix(field(4));
  cell.b = NumericPrefix(field(5));
  cell.c = NumericPrefix(field(6));
  cell.alpha = NumericPrefix(field(7));
  cell.beta = NumericPrefix(field(8));
  cell.gamma = NumericPrefix(field(9));
  return cell;
}

LatticeType PhaseRecord::latticeType() const {
  // Substring tests in selector order, so a field naming two types selects the later one.
  LatticeType chosen = LatticeType::Primitive;
  for (LatticeType type : kLatticeTypes)
    if (latticeTypeName().find(
            kLatticeDatabaseNames[static_cast<std::size_t>(SelectorIndexOf(type))]) !=
        std::string::npos)
      chosen = type;
  return chosen;
}

// PARSER

ParsedDatabase ParsePhaseDatabase(std::string_view text) {
  // Only CR LF pairs go; a lone CR or LF stays part of its field.
  std::string joined;
  joined.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    joined.push_back(text[i]);
  }

  ParsedDatabase parsed;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = joined.find(';', start);
    if (end == std::string::npos) {
      parsed.pieces.push_back(joined.substr(start));
      break;
    }
    parsed.pieces.push_back(joined.substr(start, end - start));
    start = end + 1;
  }

  // The piece after the last ";" is not a field. A text whose piece count is not a multiple of
  // nine still gives the rounded record count: pieces past the last record are dropped, and a
  // last record short of pieces keeps empty fields.
  const std::size_t lastIndex = parsed.pieces.size() - 1;
  const auto count = static_cast<std::size_t>(std::lround(static_cast<double>(lastIndex) / 9.0));
  parsed.records.resize(count);
  for (std::size_t k = 0; k < lastIndex && k / 9 < count; ++k)
    parsed.records[k / 9].fields[k % 9] = parsed.pieces[k];
  return parsed;
}

// BUILT-IN RECORDS

const std::vector<PhaseRecord>& BuiltInPhases() {
  static const std::vector<PhaseRecord> records = ParsePhaseDatabase(kPhaseDatabaseText).records;
  return records;
}

std::optional<int> FindPhaseRecord(std::string_view name) {
  const std::vector<PhaseRecord>& records = BuiltInPhases();
  for (std::size_t i = 0; i < records.size(); ++i)
    if (records[i].name() == name) return static_cast<int>(i) + 1;
  return std::nullopt;
}

} // namespace spot
