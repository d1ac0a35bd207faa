// The built-in database of 108 phases: its exact text, the parser, and the records.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/lattice.hpp"

namespace spot {

/// One database line: nine text fields, numbers kept exactly as written.
/// 1 name, 2 lattice type name, 3 c/a, 4-6 a, b, c (nm), 7-9 alpha, beta, gamma (degrees).
struct PhaseRecord {
  std::array<std::string, 9> fields;

  const std::string& field(int number) const {
    return fields[static_cast<std::size_t>(number - 1)];
  }
  const std::string& name() const { return fields[0]; }
  const std::string& latticeTypeName() const { return fields[1]; }
  /// The cell, read from fields 3 to 9.
  LatticeParameters cell() const;
  /// The type chosen the way the batch chooses it: Primitive, then each of the five type names
  /// that occurs in field 2, in selector order; the last match wins.
  LatticeType latticeType() const;
};

/// Number of records in the built-in database.
inline constexpr int kBuiltInPhaseCount = 108;

/// The database text: 108 lines joined by CR LF, every field followed by ";".
extern const std::string_view kPhaseDatabaseText;

/// One row of the readable table of the built-in phases (fields 1 to 6 of a record).
struct PhaseTableRow {
  std::string_view name, latticeType, cOverA, a, b, c;
};

/// Fields 7 to 9 (alpha, beta, gamma) of every built-in phase.
inline constexpr std::string_view kPhaseTableAngle = "90.00000";

/// The built-in phases as a readable table, row i - 1 = record i; the text must say the same.
extern const std::array<PhaseTableRow, kBuiltInPhaseCount> kPhaseTable;

/// Parsed database: remove CR LF pairs, split on ";", N = (pieces - 1) / 9 rounded; piece k is
/// field k mod 9 + 1 of record k div 9 + 1.
struct ParsedDatabase {
  std::vector<std::string> pieces;
  std::vector<PhaseRecord> records; ///< records[i - 1] is record i
};
ParsedDatabase ParsePhaseDatabase(std::string_view text);

/// The parsed built-in database, parsed once.
const std::vector<PhaseRecord>& BuiltInPhases();

/// 1-based number of the first record with exactly this name; nullopt when none has it.
std::optional<int> FindPhaseRecord(std::string_view name);

} // namespace spot
