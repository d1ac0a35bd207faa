// The families of equivalent rows in spotindex-cli's output (--group): grouping a search's rows,
// the families and nearest misses as json, and the families table and nearest-miss line as text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_output.hpp"
#include "core/lattice.hpp"
#include "core/picture_agreement.hpp"
#include "indexing/measured_pattern.hpp"
#include "indexing/search.hpp"
#include "solutions/families.hpp"
#include "solutions/nearest_miss.hpp"

namespace spot::cli {

/// One search's rows grouped; the nearest misses when it has no row.
struct GroupedRows {
  std::vector<SolutionFamily> families;
  std::vector<NearestMiss> nearest;
};

GroupedRows GroupRows(const std::vector<IndexingResult>& rows, const LatticeParameters& cell,
                      const ReflectionRule& rule, int indexRange, const MeasuredPattern& pattern);

/// `,\n<indent>"families": [...]` and, for a search without rows, `,\n<indent>"nearest": [...]`:
/// the members are given by their "no" numbers.
/// With `agreements` (one per family), each family also has its "picture" object.
void WriteJsonFamilies(OutputBuffer& out, const GroupedRows& grouped,
                       const std::vector<IndexingResult>& rows, std::string_view indent,
                       const std::vector<PictureAgreement>* agreements = nullptr);

/// The families table (rank, representative, zone axis, rows, deviations, score), or for a
/// search without rows the "No solution. Nearest: ..." line.
void WriteTextFamilies(OutputBuffer& out, const GroupedRows& grouped,
                       const std::vector<IndexingResult>& rows, const MeasuredPattern& pattern);

/// "[u v w]", and for hexagonal cells " = [u v t w]" after it.
std::string ZoneAxisText(const SolutionFamily& family);

} // namespace spot::cli
