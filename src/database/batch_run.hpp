// Searching one measured pattern against many database phases: the phase boxes each record
// writes, the check of the measurement done once, and the run itself.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/boxes.hpp"
#include "database/phase_database.hpp"
#include "indexing/run_search.hpp"

namespace spot {

/// The phase-name text a record puts into the name box: name, two blanks, type, two blanks,
/// "c/a" and the ratio ("AgCl  FaceCenter  c/a1.00000").
std::string BatchPhaseName(const PhaseRecord& record);

/// `boxes` with a, b, c, α, β, γ replaced by the record's field texts (fields 4 to 9).
BoxTexts WithPhaseBoxes(BoxTexts boxes, const PhaseRecord& record);

/// The measurement boxes (index range through the last angle tolerance) checked once for a
/// whole run: the first box that is not a number, or nullopt.
std::optional<BoxRejection> ValidateMeasurementBoxes(const BoxTexts& boxes);

/// One searched record.
struct BatchPhaseOutcome {
  int record = 0; ///< 1-based record number
  const PhaseRecord* phase = nullptr;
  std::string phaseName;                            ///< BatchPhaseName
  LatticeType latticeType = LatticeType::Primitive; ///< chosen from the type name
  ReflectionRule rule = LatticeType::Primitive;     ///< the type's, or a user phase's group
  int userPhase = 0; ///< 1-based position among the run's user phases; 0 for a record
  BoxTexts boxes;    ///< the boxes the search read
  SearchOutcome outcome;
};

/// A whole run: the searched records, or why it has none.
struct BatchRun {
  std::vector<BatchPhaseOutcome> phases;
  std::optional<BoxRejection> rejection; ///< a measurement box is not a number
  /// The measurement stops every search (CheckMeasurement), or the phases together found more
  /// rows than limits.maxBatchRows (TooManyBatchRows).
  std::optional<SearchFault> fault;
  bool ok() const { return !rejection && !fault; }
};

/// A phase that is no record (one of the user's): its name, its cell as box texts (a, b, c, α,
/// β, γ) and the reflections it allows.
struct BatchUserPhase {
  std::string name;
  std::array<std::string, 6> cell;
  ReflectionRule rule = LatticeType::Primitive;
};

/// Told of each searched record as soon as its search ends, in the order of the run, with what
/// the run keeps of it; returns false to end the run there (its report could not be written).
using BatchPhaseDone = std::function<bool(const BatchPhaseOutcome&)>;

/// Searches `records` (1-based numbers, in the given order; numbers outside the database are
/// ignored) with the measurement in `boxes`. The measurement is checked once, before any record:
/// first that its boxes hold numbers, then CheckMeasurement under `limits`; a refused measurement
/// searches nothing. The rows of all phases together are limited to limits.maxBatchRows: a run
/// that would keep more stops at once and keeps no phase.
/// When `limits.stop` is set the run ends before the next record, with the records searched
/// so far. `phaseDone`, when given, sees every record the run keeps (a run stopped by the row
/// limit afterwards keeps none: what the callback did with them must then be dropped).
/// `userPhases` are searched after the records, under the same limits, with record 0.
BatchRun RunBatch(const BoxTexts& boxes, const std::vector<int>& records,
                  const SearchLimits& limits = {}, const BatchPhaseDone& phaseDone = {},
                  const std::vector<BatchUserPhase>& userPhases = {});

} // namespace spot
