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
#include "database/batch_run.hpp"
#include "database/phase_database.hpp"
#include "indexing/result_text.hpp"
#include "indexing/run_search.hpp"
#include "solutions/picture_ranking.hpp"

namespace spot::cli {
namespace {

// JSON

std::string jsonNumber(double value) {
  std::string text;
  AppendJsonNumber(text, value);
  return text;
}

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
      out += jsonNumber(values[i]);
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

std::optional<MeasuredPattern> measuredPattern(const BoxTexts& boxes) {
  const PatternReading reading = ReadMeasuredPattern(boxes);
  if (reading.fault) return std::nullopt;
  return reading.pattern;
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

// COMMANDS

int runIndex(const Options& o, OutputBuffer& out, std::ostream& err) {
  std::optional<PictureMeasurement> picture;
  if (!o.picture.empty()) {
    int status = kExitOk;
    picture = MeasurePicture(o, "index", err, status);
    if (!picture) return status;
  }
  const BoxTexts boxes = picture ? picture->boxes : PatternBoxes(o);
  std::string name;
  LatticeType lattice = o.lattice.value_or(LatticeType::Primitive);
  if (!o.phaseNames.empty()) {
    const PhaseRecord& record =
        BuiltInPhases()[static_cast<std::size_t>(*FindPhaseRecord(o.phaseNames[0]) - 1)];
    name = record.name();
    lattice = record.latticeType();
  }
  const SearchOutcome outcome = RunIndexingSearch(boxes, lattice);
  if (!outcome.completed) return searchFailure(outcome, "index", err);
  const MeasuredPattern measured = *measuredPattern(boxes);
  const LatticeParameters cell = ReadLatticeParameters(boxes);
  std::optional<GroupedRows> grouped;
  if (o.group)
    grouped =
        GroupRows(outcome.rows, cell, lattice, CheckMeasurement(boxes, {}).indexRange, measured);
  // With a picture, families are ranked by how the spots they predict agree with it.
  std::vector<PictureAgreement> agreements;
  if (grouped && picture) {
    agreements = FamilyAgreements(grouped->families, cell, lattice, *picture);
    RankByPictureAgreement(grouped->families, agreements);
  }

  switch (o.format) {
  case Format::Json:
    out << "{\"phase\": {\"name\": " << (name.empty() ? "null" : jsonString(name))
        << ", \"lattice\": \"" << latticeLetter(lattice) << "\", \"cell\": "
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
        << LatticeSelectorText(lattice) << "  " << cellText(boxes) << "  index range "
        << FormatGeneral(ReadIndexRange(boxes)) << "\n";
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
  const std::vector<BatchPhaseOutcome>& outcomes = run.phases;
  int status = kExitOk;
  std::optional<MeasuredPattern> measured = measuredPattern(boxes);
  // The phases listed: those with rows; with --group also those without, for their nearest
  // misses. `withRows` counts the first kind.
  std::vector<const BatchPhaseOutcome*> found;
  std::size_t withRows = 0;
  for (const BatchPhaseOutcome& b : outcomes) {
    if (!b.outcome.completed) {
      const int s = searchFailure(
          b.outcome, "batch, record " + std::to_string(b.record) + " " + b.phase->name(), err);
      status = std::max(status, s);
      continue;
    }
    if (!b.outcome.rows.empty() || o.group) found.push_back(&b);
    withRows += b.outcome.rows.empty() ? 0 : 1;
  }
  if (!measured) return status == kExitOk ? kExitInvalidInput : status;
  std::vector<GroupedRows> grouped;
  std::vector<std::vector<PictureAgreement>> agreements;
  std::vector<PhaseScore> ranking;
  if (o.group) {
    const int range = CheckMeasurement(boxes, {}).indexRange;
    for (const BatchPhaseOutcome* b : found) {
      grouped.push_back(
          GroupRows(b->outcome.rows, b->phase->cell(), b->latticeType, range, *measured));
      if (picture) {
        agreements.push_back(
            FamilyAgreements(grouped.back().families, b->phase->cell(), b->latticeType, *picture));
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
    out << "{\"measured\": " << jsonMeasured(*measured) << ",\n \"phases\": [";
    for (std::size_t i = 0; i < found.size(); ++i) {
      const BatchPhaseOutcome& b = *found[i];
      const LatticeParameters cell = b.phase->cell();
      out << (i ? ",\n" : "\n") << "  {\"record\": " << b.record
          << ", \"name\": " << jsonString(b.phase->name()) << ", \"lattice\": \""
          << latticeLetter(b.latticeType) << "\", \"cell\": "
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
        out << (i ? ",\n" : "\n") << "  {\"record\": " << b.record
            << ", \"name\": " << jsonString(b.phase->name())
            << ", \"best_score\": " << jsonNumber(ranking[i].score) << "}";
      }
      out << (ranking.empty() ? "]" : "\n ]");
    }
    out << "}\n";
    break;
  case Format::Tsv:
    for (const BatchPhaseOutcome* b : found)
      WriteTsvRows(out, b->outcome.rows,
                   std::to_string(b->record) + "\t" + b->phase->name() + "\t");
    break;
  case Format::Text:
    out << "Measured:" << kSummaryHeader << "\n         " << MeasuredSummaryText(*measured) << "\n";
    for (std::size_t i = 0; i < found.size(); ++i) {
      const BatchPhaseOutcome* b = found[i];
      out << "\n------" << b->phaseName << "  (record " << b->record << ")  " << cellText(b->boxes)
          << "\n";
      if (!b->outcome.rows.empty()) WriteTextRows(out, b->outcome.rows);
      if (o.group) {
        if (!b->outcome.rows.empty()) out << "\n";
        WriteTextFamilies(out, grouped[i], b->outcome.rows, *measured);
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
            << i + 1 << "  " << FormatFixed(ranking[i].score, 4) << "  " << b.phase->name()
            << "  (record " << b.record << ")\n";
      }
    }
    break;
  }
  return status;
}

int runCalc(const Options& o, OutputBuffer& out, std::ostream& err) {
  const BoxTexts boxes = PatternBoxes(o);
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
        s += (i ? ", " : "") + (values[i] ? jsonNumber(*values[i]) : "null");
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
          << ", \"c_over_a\": " << jsonNumber(c.cOverA) << ", \"cell\": "
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
  case Command::Phases: status = runPhases(o, buffer); break;
  case Command::Info: status = RunInfo(o, buffer, err); break;
  case Command::Spots: status = RunSpots(o, buffer, err); break;
  case Command::Measure: status = RunMeasure(o, buffer, err); break;
  }
  return finishOutput(buffer, err, status);
}

} // namespace spot::cli
