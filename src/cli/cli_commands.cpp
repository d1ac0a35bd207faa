// The four commands of spotindex-cli.
#include "cli/cli_commands.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <sstream>

#include "calculator/plane_triplet.hpp"
#include "cli/cli_families.hpp"
#include "cli/cli_info.hpp"
#include "cli/cli_options.hpp"
#include "cli/cli_output.hpp"
#include "cli/cli_spots.hpp"
#include "core/number_format.hpp"
#include "core/numeric_text.hpp"
#include "crystal/cif_import.hpp"
#include "crystal/phase_library.hpp"
#include "database/batch_run.hpp"
#include "database/phase_database.hpp"
#include "indexing/result_text.hpp"
#include "indexing/run_search.hpp"
#include "simulation/zone_pattern.hpp"
#include "solutions/picture_ranking.hpp"

namespace spot::cli {
namespace {

// JSON

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (c < 0x20) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        out += escaped;
      } else {
        out.push_back(static_cast<char>(c));
      }
    }
  }
  return out + "\"";
}

template <class T> std::string jsonArray(const T& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out += ", ";
    if constexpr (std::is_floating_point_v<typename T::value_type>)
      out += JsonNumber(values[i]);
    else
      out += std::to_string(values[i]);
  }
  return out + "]";
}

std::string jsonMeasured(const MeasuredPattern& p) {
  return "{\"d\": " + jsonArray(p.d) + ", \"angles\": " + jsonArray(p.angle) + "}";
}

// TEXT

std::string cellText(const BoxTexts& boxes) {
  return "a=" + boxes[Box::A] + " b=" + boxes[Box::B] + " c=" + boxes[Box::C] +
         " nm  α=" + boxes[Box::Alpha] + " β=" + boxes[Box::Beta] + " γ=" + boxes[Box::Gamma] +
         " deg.";
}

std::string latticeLetter(LatticeType type) { return std::string(1, LatticeLetter(type)); }

// Reports a search that did not run to its end; returns the exit status.
int searchFailure(const SearchOutcome& outcome, const std::string& what, std::ostream& err) {
  if (outcome.rejection) {
    err << "spotindex-cli: " << what << ": the value for \"" << BoxCaption(outcome.rejection->box)
        << "\" is not a number\n";
    return kExitInvalidInput;
  }
  if (outcome.fault) {
    err << "spotindex-cli: " << what << ": " << FaultMessage(*outcome.fault) << "\n";
    return kExitFault;
  }
  return kExitOk;
}

// The pattern of boxes that a search (or a batch) has already read without a fault.
MeasuredPattern measuredPattern(const BoxTexts& boxes) {
  return ReadMeasuredPattern(boxes).pattern;
}

// A failed write (a full disk, a closed pipe) must not pass for a complete output: the buffer
// checks each block it hands over and the final flush, which is where buffered bytes go out.
int finishOutput(OutputBuffer& out, std::ostream& err, int status) {
  if (out.finish()) return status;
  const int cause = out.writeError();
  err << "spotindex-cli: the output could not be written"
      << (cause != 0 ? std::string(" (") + std::strerror(cause) + ")" : std::string()) << "\n";
  return kExitFault;
}

// A phase of a batch and the score of its best family.
struct PhaseScore {
  const BatchPhaseOutcome* phase = nullptr;
  double score = 0;
  std::optional<PictureAgreement> agreement; ///< of that family, with --picture
};

// PHASES FROM CIF FILES

// The phases of one --cif: all of them, or the one its --block names; null after a message when
// none can be used. Warnings and the faults of other blocks go to `err` as they are.
std::optional<std::vector<CrystalPhase>> loadCif(const Options::CifSource& source, bool onlyOne,
                                                 std::ostream& err) {
  const CifImport imported = ImportCifFile(source.path);
  for (const std::string& w : imported.warnings)
    err << "spotindex-cli: warning: " << w << "\n";
  for (const std::string& e : imported.errors)
    err << "spotindex-cli: --cif: " << e << "\n";
  if (imported.phases.empty()) return std::nullopt;
  const auto blocks = [&] {
    std::string list;
    for (const CrystalPhase& p : imported.phases)
      list += (list.empty() ? "" : ", ") + QuoteArgument(p.block);
    return list;
  };
  if (source.block) {
    for (const CrystalPhase& p : imported.phases)
      if (p.block == *source.block) return std::vector<CrystalPhase>{p};
    err << "spotindex-cli: --block: no phase from a data block " << QuoteArgument(*source.block)
        << " in " << source.path << " (blocks: " << blocks() << ")\n";
    return std::nullopt;
  }
  if (onlyOne && imported.phases.size() > 1) {
    err << "spotindex-cli: --cif: " << source.path << " holds " << imported.phases.size()
        << " phases (blocks: " << blocks() << "); choose one with --block NAME\n";
    return std::nullopt;
  }
  return imported.phases;
}

// The phase boxes as a typed cell: the shortest text that reads back as the same number.
BoxTexts withCell(BoxTexts boxes, const LatticeParameters& cell) {
  const std::array<double, 6> values = {cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma};
  for (int i = 0; i < 6; ++i)
    boxes[BoxNumber(Box::A) + i] = FormatGeneral(values[static_cast<std::size_t>(i)]);
  return boxes;
}

// The one phase of index, calc and simulate: a record (centring only), a typed cell, or a CIF
// phase, whose cell then fills the phase boxes. Null after a message.
std::optional<CrystalPhase> chosenPhase(const Options& o, BoxTexts& boxes, std::ostream& err) {
  CrystalPhase phase;
  if (!o.cifs.empty()) {
    const auto loaded = loadCif(o.cifs.front(), true, err);
    if (!loaded) return std::nullopt;
    phase = loaded->front();
    boxes = withCell(boxes, phase.cell);
    return phase;
  }
  phase.cell = ReadLatticeParameters(boxes);
  phase.centring = o.lattice.value_or(LatticeType::Primitive);
  if (!o.phaseNames.empty()) {
    const PhaseRecord& record =
        BuiltInPhases()[static_cast<std::size_t>(*FindPhaseRecord(o.phaseNames[0]) - 1)];
    phase.name = record.name();
    phase.centring = record.latticeType();
  }
  return phase;
}

// COMMANDS

int runIndex(const Options& o, OutputBuffer& out, std::ostream& err) {
  std::optional<PictureMeasurement> picture;
  if (!o.picture.empty()) {
    int status = kExitOk;
    picture = MeasurePicture(o, "index", err, status);
    if (!picture) return status;
  }
  BoxTexts boxes = picture ? picture->boxes : PatternBoxes(o);
  const std::optional<CrystalPhase> phase = chosenPhase(o, boxes, err);
  if (!phase) return kExitInvalidInput;
  const std::string& name = phase->name;
  const LatticeType lattice = phase->latticeType();
  const SearchOutcome outcome = RunIndexingSearch(boxes, phase->rule());
  if (!outcome.completed) return searchFailure(outcome, "index", err);
  const MeasuredPattern measured = measuredPattern(boxes);
  const LatticeParameters cell = ReadLatticeParameters(boxes);
  std::optional<GroupedRows> grouped;
  if (o.group)
    grouped = GroupRows(outcome.rows, cell, phase->rule(), CheckMeasurement(boxes, {}).indexRange,
                        measured);
  // With a picture, families are ranked by how the spots they predict agree with it.
  std::vector<PictureAgreement> agreements;
  if (grouped && picture) {
    agreements = FamilyAgreements(grouped->families, cell, lattice, *picture);
    RankByPictureAgreement(grouped->families, agreements);
  }

  switch (o.format) {
  case Format::Json:
    out << "{\"phase\": {\"name\": " << (name.empty() ? "null" : jsonString(name))
        << ", \"lattice\": \"" << latticeLetter(lattice) << "\""
        << (phase->group ? ", \"space_group\": " + jsonString(phase->group->symbol()) : "")
        << ", \"cell\": "
        << jsonArray(
               std::array<double, 6>{cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma})
        << "},\n"
        << " \"measured\": " << jsonMeasured(measured) << ",\n \"count\": " << outcome.rows.size()
        << ",\n \"results\": ";
    WriteJsonRows(out, outcome.rows, " ");
    if (grouped)
      WriteJsonFamilies(out, *grouped, outcome.rows, " ", picture ? &agreements : nullptr);
    out << "}\n";
    break;
  case Format::Tsv: WriteTsvRows(out, outcome.rows); break;
  case Format::Text:
    out << "Phase: " << (name.empty() ? std::string("(cell)") : name) << "  "
        << LatticeSelectorText(lattice)
        << (phase->group ? "  space group " + phase->group->symbol() : std::string()) << "  "
        << cellText(boxes) << "  index range " << FormatGeneral(ReadIndexRange(boxes)) << "\n";
    out << "Measured:" << kSummaryHeader << "\n         " << *outcome.summary << "\n\n";
    WriteTextRows(out, outcome.rows);
    out << "\n"
        << outcome.rows.size() << (outcome.rows.size() == 1 ? " solution\n" : " solutions\n");
    if (grouped) {
      out << "\n";
      WriteTextFamilies(out, *grouped, outcome.rows, measured);
      if (picture) WriteTextAgreements(out, grouped->families, agreements);
    }
    break;
  }
  return kExitOk;
}

int runBatch(const Options& o, OutputBuffer& out, std::ostream& err) {
  std::vector<int> records = o.records;
  for (const std::string& name : o.phaseNames)
    records.push_back(*FindPhaseRecord(name));
  if (records.empty())
    for (int i = 1; i <= static_cast<int>(BuiltInPhases().size()); ++i)
      records.push_back(i);
  std::sort(records.begin(), records.end());
  records.erase(std::unique(records.begin(), records.end()), records.end());
  // The phases of --cif files join the run after the records.
  std::vector<CrystalPhase> cifPhases;
  std::vector<std::string> cifFiles;
  for (const Options::CifSource& source : o.cifs) {
    const auto loaded = loadCif(source, false, err);
    if (!loaded) return kExitInvalidInput;
    for (const CrystalPhase& p : *loaded) {
      cifPhases.push_back(p);
      cifFiles.push_back(source.path);
    }
  }

  std::optional<PictureMeasurement> picture;
  if (!o.picture.empty()) {
    int status = kExitOk;
    picture = MeasurePicture(o, "batch", err, status);
    if (!picture) return status;
  }
  const BoxTexts boxes = picture ? picture->boxes : PatternBoxes(o);
  const BatchRun run = RunBatch(boxes, records);
  if (run.rejection) {
    err << "spotindex-cli: batch: the value for \"" << BoxCaption(run.rejection->box)
        << "\" is not a number\n";
    return kExitInvalidInput;
  }
  if (run.fault) {
    err << "spotindex-cli: batch: " << FaultMessage(*run.fault) << "\n";
    return kExitFault;
  }
  // CIF phases as batch entries without a record (record 0, no PhaseRecord).
  std::vector<BatchPhaseOutcome> cifOutcomes(cifPhases.size());
  for (std::size_t i = 0; i < cifPhases.size(); ++i) {
    BatchPhaseOutcome& b = cifOutcomes[i];
    b.phaseName = cifPhases[i].name;
    b.latticeType = cifPhases[i].latticeType();
    b.boxes = withCell(boxes, cifPhases[i].cell);
    b.outcome = RunIndexingSearch(b.boxes, cifPhases[i].rule());
  }
  std::vector<const BatchPhaseOutcome*> outcomes;
  for (const BatchPhaseOutcome& b : run.phases)
    outcomes.push_back(&b);
  for (const BatchPhaseOutcome& b : cifOutcomes)
    outcomes.push_back(&b);
  const auto cifIndex = [&](const BatchPhaseOutcome& b) {
    return static_cast<std::size_t>(&b - cifOutcomes.data());
  };
  const auto nameOf = [&](const BatchPhaseOutcome& b) {
    return b.phase ? b.phase->name() : cifPhases[cifIndex(b)].name;
  };
  const auto cellOf = [&](const BatchPhaseOutcome& b) {
    return b.phase ? b.phase->cell() : cifPhases[cifIndex(b)].cell;
  };
  const auto ruleOf = [&](const BatchPhaseOutcome& b) {
    return b.phase ? ReflectionRule(b.latticeType) : cifPhases[cifIndex(b)].rule();
  };
  const auto whereFrom = [&](const BatchPhaseOutcome& b) {
    return b.phase ? "record " + std::to_string(b.record) : cifFiles[cifIndex(b)];
  };
  int status = kExitOk;
  const MeasuredPattern measured = measuredPattern(boxes);
  // The phases listed: those with rows; with --group also those without, for their nearest
  // misses. `withRows` counts the first kind.
  std::vector<const BatchPhaseOutcome*> found;
  std::size_t withRows = 0;
  for (const BatchPhaseOutcome* entry : outcomes) {
    const BatchPhaseOutcome& b = *entry;
    if (!b.outcome.completed) {
      const int s = searchFailure(b.outcome, "batch, " + whereFrom(b) + " " + nameOf(b), err);
      status = std::max(status, s);
      continue;
    }
    if (!b.outcome.rows.empty() || o.group) found.push_back(&b);
    withRows += b.outcome.rows.empty() ? 0 : 1;
  }
  std::vector<GroupedRows> grouped;
  std::vector<std::vector<PictureAgreement>> agreements;
  std::vector<PhaseScore> ranking;
  if (o.group) {
    const int range = CheckMeasurement(boxes, {}).indexRange;
    for (const BatchPhaseOutcome* b : found) {
      grouped.push_back(GroupRows(b->outcome.rows, cellOf(*b), ruleOf(*b), range, measured));
      if (picture) {
        agreements.push_back(
            FamilyAgreements(grouped.back().families, cellOf(*b), b->latticeType, *picture));
        RankByPictureAgreement(grouped.back().families, agreements.back());
      }
      if (!grouped.back().families.empty()) {
        ranking.push_back({b, grouped.back().families.front().score, std::nullopt});
        if (picture) ranking.back().agreement = agreements.back().front();
      }
    }
    // Best first; equal scores keep database order. With a picture, its agreement comes first.
    std::stable_sort(ranking.begin(), ranking.end(), [](const PhaseScore& a, const PhaseScore& b) {
      if (a.agreement && b.agreement) {
        if (a.agreement->explained != b.agreement->explained)
          return a.agreement->explained > b.agreement->explained;
        const double ra = std::round(a.agreement->rmsPx / kAgreementRmsStepPx);
        const double rb = std::round(b.agreement->rmsPx / kAgreementRmsStepPx);
        if (ra != rb) return ra < rb;
      }
      return std::round(a.score * 1e9) < std::round(b.score * 1e9);
    });
  }

  switch (o.format) {
  case Format::Json:
    out << "{\"measured\": " << jsonMeasured(measured) << ",\n \"phases\": [";
    for (std::size_t i = 0; i < found.size(); ++i) {
      const BatchPhaseOutcome& b = *found[i];
      const LatticeParameters cell = cellOf(b);
      const CrystalPhase* cif = b.phase ? nullptr : &cifPhases[cifIndex(b)];
      out << (i ? ",\n" : "\n")
          << "  {\"record\": " << (cif ? std::string("null") : std::to_string(b.record))
          << (cif ? ", \"file\": " + jsonString(cifFiles[cifIndex(b)]) : std::string())
          << ", \"name\": " << jsonString(nameOf(b)) << ", \"lattice\": \""
          << latticeLetter(b.latticeType) << "\""
          << (cif && cif->group ? ", \"space_group\": " + jsonString(cif->group->symbol())
                                : std::string())
          << ", \"cell\": "
          << jsonArray(
                 std::array<double, 6>{cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma})
          << ", \"count\": " << b.outcome.rows.size() << ",\n   \"results\": ";
      WriteJsonRows(out, b.outcome.rows, "   ");
      if (o.group)
        WriteJsonFamilies(out, grouped[i], b.outcome.rows, "   ",
                          picture ? &agreements[i] : nullptr);
      out << "}";
    }
    out << (found.empty() ? "]" : "\n ]");
    if (o.group) {
      out << ",\n \"ranking\": [";
      for (std::size_t i = 0; i < ranking.size(); ++i) {
        const BatchPhaseOutcome& b = *ranking[i].phase;
        out << (i ? ",\n" : "\n")
            << "  {\"record\": " << (b.phase ? std::to_string(b.record) : std::string("null"))
            << ", \"name\": " << jsonString(nameOf(b))
            << ", \"best_score\": " << JsonNumber(ranking[i].score) << "}";
      }
      out << (ranking.empty() ? "]" : "\n ]");
    }
    out << "}\n";
    break;
  case Format::Tsv:
    for (const BatchPhaseOutcome* b : found)
      WriteTsvRows(out, b->outcome.rows,
                   (b->phase ? std::to_string(b->record) : std::string()) + "\t" + nameOf(*b) +
                       "\t");
    break;
  case Format::Text:
    out << "Measured:" << kSummaryHeader << "\n         " << MeasuredSummaryText(measured) << "\n";
    for (std::size_t i = 0; i < found.size(); ++i) {
      const BatchPhaseOutcome* b = found[i];
      out << "\n------" << b->phaseName << "  (" << whereFrom(*b) << ")  " << cellText(b->boxes)
          << "\n";
      if (!b->outcome.rows.empty()) WriteTextRows(out, b->outcome.rows);
      if (o.group) {
        if (!b->outcome.rows.empty()) out << "\n";
        WriteTextFamilies(out, grouped[i], b->outcome.rows, measured);
        if (picture) WriteTextAgreements(out, grouped[i].families, agreements[i]);
      }
    }
    out << "\n" << withRows << " of " << outcomes.size() << " phases have solutions\n";
    if (o.group && !ranking.empty()) {
      out << "\nBest phases (lowest score of their best family first)\n";
      for (std::size_t i = 0; i < ranking.size(); ++i) {
        const BatchPhaseOutcome& b = *ranking[i].phase;
        out << (i + 1 < 10    ? "  "
                : i + 1 < 100 ? " "
                              : "")
            << i + 1 << "  " << FormatFixed(ranking[i].score, 4) << "  " << nameOf(b) << "  ("
            << whereFrom(b) << ")\n";
      }
    }
    break;
  }
  return status;
}

int runCalc(const Options& o, OutputBuffer& out, std::ostream& err) {
  BoxTexts boxes = PatternBoxes(o);
  if (!chosenPhase(o, boxes, err)) return kExitInvalidInput;
  const LatticeParameters cell = ReadLatticeParameters(boxes);
  const auto& p = *o.planes;
  const auto plane = [&](int i) {
    return PlaneVector{NumericPrefix(p[static_cast<std::size_t>(3 * i)]),
                       NumericPrefix(p[static_cast<std::size_t>(3 * i + 1)]),
                       NumericPrefix(p[static_cast<std::size_t>(3 * i + 2)])};
  };
  const PlaneTripletCalculation calc = CalculatePlaneTriplet(cell, plane(0), plane(1), plane(2));
  if (!calc.zoneAxis) { // refused before calculating: an index it cannot multiply exactly
    err << "spotindex-cli: --planes: " << FaultMessage(*calc.fault) << "\n";
    return kExitInvalidInput;
  }
  if (o.format == Format::Json) {
    const auto optionals = [](const std::array<std::optional<double>, 3>& values) {
      std::string s = "[";
      for (std::size_t i = 0; i < 3; ++i)
        s += (i ? ", " : "") + (values[i] ? JsonNumber(*values[i]) : "null");
      return s + "]";
    };
    out << "{\"zone_axis\": " << jsonArray(*calc.zoneAxis)
        << ", \"angles\": " << optionals(calc.angles) << ", \"d\": " << optionals(calc.spacings)
        << "}\n";
  } else {
    const auto general = [](const std::optional<double>& v) {
      return v ? FormatGeneral(*v) : std::string(kNotCalculatedText);
    };
    const auto spacing = [](const std::optional<double>& v) {
      return v ? FormatSpacing(*v) : std::string(kNotCalculatedText);
    };
    const std::array<double, 3>& axis = *calc.zoneAxis;
    out << "zone axis [" << FormatGeneral(axis[0]) << " " << FormatGeneral(axis[1]) << " "
        << FormatGeneral(axis[2]) << "]\n"
        << "<R1,R2>=" << general(calc.angles[0]) << " deg.  <R2,R3>=" << general(calc.angles[1])
        << " deg.  <R1,R3>=" << general(calc.angles[2]) << " deg.\n"
        << "d1=" << spacing(calc.spacings[0]) << " nm  d2=" << spacing(calc.spacings[1])
        << " nm  d3=" << spacing(calc.spacings[2]) << " nm\n";
  }
  if (calc.fault) {
    err << "spotindex-cli: calc: stopped: " << FaultMessage(*calc.fault) << "\n";
    return kExitFault;
  }
  return kExitOk;
}

int runSimulate(const Options& o, OutputBuffer& out, std::ostream& err) {
  BoxTexts boxes = PatternBoxes(o);
  const std::optional<CrystalPhase> phase = chosenPhase(o, boxes, err);
  if (!phase) return kExitInvalidInput;
  SimulationRequest request;
  request.cell = phase->cell;
  request.rule = phase->rule();
  request.unitCellAtoms = UnitCellAtoms(*phase);
  const auto index = [&](std::size_t i) {
    return static_cast<long long>(NumericPrefix((*o.zone)[i]));
  };
  request.zone = {index(0), index(1), index(2)};
  request.gMax = NumericPrefix(o.gMax);
  request.includeForbidden = o.includeForbidden;
  const SimulatedPattern pattern = SimulateZone(request);
  if (pattern.fault) {
    err << "spotindex-cli: simulate: " << SimulationFaultMessage(*pattern.fault) << "\n";
    return kExitInvalidInput;
  }
  // Rounding leaves 1e-17 where a spot lies on an axis; such dust is written as 0.
  const auto clean = [](double v) { return std::fabs(v) < 1e-12 ? 0.0 : v; };
  const ZoneAxis& z = request.zone;
  if (o.format == Format::Json) {
    out << "{\"zone_axis\": [" << z.u << ", " << z.v << ", " << z.w << "],\n \"spots\": [";
    for (std::size_t i = 0; i < pattern.spots.size(); ++i) {
      const SimulatedSpot& s = pattern.spots[i];
      out << (i ? ",\n  " : "\n  ") << "{\"hkl\": [" << s.hkl.h << ", " << s.hkl.k << ", "
          << s.hkl.l << "], \"x\": " << JsonNumber(clean(s.x))
          << ", \"y\": " << JsonNumber(clean(s.y)) << ", \"d\": " << JsonNumber(s.d)
          << ", \"intensity\": " << JsonNumber(s.intensity) << ", \"absent\": "
          << (s.absent == SpotAbsence::None ? std::string("null")
                                            : jsonString(std::string(AbsenceName(s.absent))))
          << "}";
    }
    out << (pattern.spots.empty() ? "]}\n" : "\n ]}\n");
    return kExitOk;
  }
  out << "Phase: " << (phase->name.empty() ? std::string("(cell)") : phase->name) << "  "
      << (phase->group ? "space group " + phase->group->symbol()
                       : std::string(LatticeSelectorText(phase->latticeType())))
      << "  " << cellText(boxes) << "\n"
      << "Zone axis [" << z.u << " " << z.v << " " << z.w << "]  g_max "
      << FormatGeneral(request.gMax) << " 1/nm\n\n"
      << "     h    k    l    x (1/nm)    y (1/nm)      d (nm)  intensity\n";
  const auto column = [](std::string text, std::size_t width) {
    return std::string(text.size() < width ? width - text.size() : 0, ' ') + text;
  };
  for (const SimulatedSpot& s : pattern.spots) {
    out << column(std::to_string(s.hkl.h), 6) << column(std::to_string(s.hkl.k), 5)
        << column(std::to_string(s.hkl.l), 5) << column(FormatFixed(clean(s.x), 4), 12)
        << column(FormatFixed(clean(s.y), 4), 12) << column(FormatFixed(s.d, 5), 12)
        << column(FormatFixed(s.intensity, 2), 11)
        << (s.absent == SpotAbsence::None ? std::string()
                                          : "  absent: " + std::string(AbsenceName(s.absent)))
        << "\n";
  }
  out << "\n" << pattern.spots.size() << (pattern.spots.size() == 1 ? " spot\n" : " spots\n");
  return kExitOk;
}

// The user's phase library, as the window keeps it.
int runLibrary(const Options& o, OutputBuffer& out, std::ostream& err) {
  const PhaseLibrary library = LoadPhaseLibrary(DefaultPhaseLibraryPath());
  const std::vector<CrystalPhase>& phases = library.phases;
  const auto symbol = [](const CrystalPhase& p) {
    return p.group ? p.group->symbol() : std::string(1, LatticeLetter(p.latticeType()));
  };
  if (o.format == Format::Json) {
    out << "[";
    for (std::size_t i = 0; i < phases.size(); ++i) {
      const CrystalPhase& p = phases[i];
      const LatticeParameters& c = p.cell;
      out << (i ? ",\n " : "\n ") << "{\"number\": " << i + 1
          << ", \"name\": " << jsonString(p.name) << ", \"lattice\": \""
          << latticeLetter(p.latticeType()) << "\", \"space_group\": "
          << (p.group ? jsonString(p.group->symbol()) : std::string("null")) << ", \"cell\": "
          << jsonArray(std::array<double, 6>{c.a, c.b, c.c, c.alpha, c.beta, c.gamma})
          << ", \"atoms\": " << p.atoms.size() << "}";
    }
    out << (phases.empty() ? "]\n" : "\n]\n");
  } else {
    for (std::size_t i = 0; i < phases.size(); ++i) {
      const CrystalPhase& p = phases[i];
      const LatticeParameters& c = p.cell;
      if (o.format == Format::Tsv) {
        out << i + 1 << "\t" << p.name << "\t" << symbol(p);
        for (const double v : {c.a, c.b, c.c, c.alpha, c.beta, c.gamma})
          out << "\t" << FormatGeneral(v);
        out << "\t" << p.atoms.size() << "\n";
      } else {
        const std::string number = std::to_string(i + 1);
        out << std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') << number << "  "
            << p.name << "  " << symbol(p) << "  a=" << FormatGeneral(c.a)
            << " b=" << FormatGeneral(c.b) << " c=" << FormatGeneral(c.c)
            << " nm  α=" << FormatGeneral(c.alpha) << " β=" << FormatGeneral(c.beta)
            << " γ=" << FormatGeneral(c.gamma) << " deg.  " << p.atoms.size()
            << (p.atoms.size() == 1 ? " atom\n" : " atoms\n");
      }
    }
  }
  if (library.error) {
    err << "spotindex-cli: " << *library.error << "\n";
    return kExitFault;
  }
  return kExitOk;
}

int runPhases(const Options& o, OutputBuffer& out) {
  const std::vector<PhaseRecord>& phases = BuiltInPhases();
  if (o.format == Format::Json) {
    out << "[";
    for (std::size_t i = 0; i < phases.size(); ++i) {
      const PhaseRecord& r = phases[i];
      const LatticeParameters c = r.cell();
      out << (i ? ",\n " : "\n ") << "{\"record\": " << i + 1
          << ", \"name\": " << jsonString(r.name()) << ", \"lattice\": \""
          << latticeLetter(r.latticeType()) << "\", \"type\": " << jsonString(r.latticeTypeName())
          << ", \"c_over_a\": " << JsonNumber(c.cOverA) << ", \"cell\": "
          << jsonArray(std::array<double, 6>{c.a, c.b, c.c, c.alpha, c.beta, c.gamma}) << "}";
    }
    out << "\n]\n";
    return kExitOk;
  }
  for (std::size_t i = 0; i < phases.size(); ++i) {
    const PhaseRecord& r = phases[i];
    if (o.format == Format::Tsv) {
      out << i + 1;
      for (const std::string& f : r.fields)
        out << "\t" << f;
      out << "\n";
    } else {
      const std::string number = std::to_string(i + 1);
      out << std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') << number << "  "
          << r.name() << "  " << r.latticeTypeName() << "  c/a" << r.field(3)
          << "  a=" << r.field(4) << " b=" << r.field(5) << " c=" << r.field(6)
          << " nm  α=" << r.field(7) << " β=" << r.field(8) << " γ=" << r.field(9) << " deg.\n";
    }
  }
  return kExitOk;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParseResult parsed = ParseCommandLine(args);
  if (!parsed.error.empty()) {
    err << "spotindex-cli: " << parsed.error << "\n";
    return kExitInvalidInput;
  }
  const Options& o = parsed.options;
  OutputBuffer buffer(out);
  int status = kExitOk;
  switch (o.command) {
  case Command::Help: buffer << UsageText(); break;
  case Command::Index: status = runIndex(o, buffer, err); break;
  case Command::Batch: status = runBatch(o, buffer, err); break;
  case Command::Calc: status = runCalc(o, buffer, err); break;
  case Command::Phases:
    status = o.library ? runLibrary(o, buffer, err) : runPhases(o, buffer);
    break;
  case Command::Simulate: status = runSimulate(o, buffer, err); break;
  case Command::Info: status = RunInfo(o, buffer, err); break;
  case Command::Spots: status = RunSpots(o, buffer, err); break;
  case Command::Measure: status = RunMeasure(o, buffer, err); break;
  }
  return finishOutput(buffer, err, status);
}

} // namespace spot::cli
