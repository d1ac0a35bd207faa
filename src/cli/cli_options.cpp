// The options of spotindex-cli.
#include "cli/cli_options.hpp"

#include <cmath>

#include "core/lattice.hpp"
#include "core/metric.hpp"
#include "core/numeric_text.hpp"
#include "database/batch_run.hpp"
#include "database/phase_database.hpp"

namespace spot::cli {
namespace {

class Parser {
public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  ParseResult run();

private:
  using Reader = bool (Parser::*)(const std::string& name);
  struct OptionReader {
    std::string_view name;
    Reader read;
  };
  static const OptionReader kReaders[];

  bool more() const { return next_ < args_.size(); }
  bool nextIsValue() const {
    if (!more()) return false;
    const std::string& a = args_[next_];
    return a.rfind("--", 0) != 0 || IsNumeric(a); // "-2" is a value, "--range" an option
  }
  // Takes `count` numeric values after `option`.
  template <std::size_t N>
  bool numbers(const std::string& option, std::array<std::string, N>& out) {
    for (std::size_t i = 0; i < N; ++i) {
      if (!more())
        return fail(option + " needs " + std::to_string(N) + " numbers, got " + std::to_string(i));
      out[i] = args_[next_++];
      if (!IsNumeric(out[i]))
        return fail(option + ": \"" + out[i] +
                    "\" is not a number (use \".\" as the decimal point)");
    }
    return true;
  }
  bool fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }
  bool readCommand();
  bool option(const std::string& name);

  // One reader per option; each takes the option's values after its name.
  bool readHelp(const std::string& name);
  bool readFormat(const std::string& name);
  bool readPhase(const std::string& name);
  bool readRecord(const std::string& name);
  bool readCell(const std::string& name);
  bool readLattice(const std::string& name);
  bool readSpacings(const std::string& name) { return numbers(name, o_.spacings.emplace()); }
  bool readScaleBar(const std::string& name) { return numbers(name, o_.scaleBar.emplace()); }
  bool readLengths(const std::string& name) { return numbers(name, o_.lengths.emplace()); }
  bool readNumbers(const std::string& name) { return numbers(name, o_.numbers); }
  bool readAngles(const std::string& name) { return numbers(name, o_.angles.emplace()); }
  bool readPlanes(const std::string& name) { return numbers(name, o_.planes.emplace()); }
  bool readRange(const std::string& name);
  bool readTolerances(const std::string& name);

  // The checks once every option is read, in the order they run.
  bool check();
  bool checkPhaseOrCell();
  bool checkBatchPhases();
  bool checkPatternSource();
  bool checkPatternValues();
  bool checkSearchSettings();

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  Options o_;
  std::string error_;
};

const Parser::OptionReader Parser::kReaders[] = {
    {"--help", &Parser::readHelp},          {"-h", &Parser::readHelp},
    {"--format", &Parser::readFormat},      {"--phase", &Parser::readPhase},
    {"--record", &Parser::readRecord},      {"--cell", &Parser::readCell},
    {"--lattice", &Parser::readLattice},    {"--d", &Parser::readSpacings},
    {"--scale-bar", &Parser::readScaleBar}, {"--lengths", &Parser::readLengths},
    {"--numbers", &Parser::readNumbers},    {"--angles", &Parser::readAngles},
    {"--planes", &Parser::readPlanes},      {"--range", &Parser::readRange},
    {"--d-tol", &Parser::readTolerances},   {"--angle-tol", &Parser::readTolerances},
};

bool Parser::readCommand() {
  if (!more()) return fail("no command given (index, batch, calc or phases; see --help)");
  const std::string command = args_[next_++];
  if (command == "index")
    o_.command = Command::Index;
  else if (command == "batch")
    o_.command = Command::Batch;
  else if (command == "calc")
    o_.command = Command::Calc;
  else if (command == "phases")
    o_.command = Command::Phases;
  else if (command == "--help" || command == "-h" || command == "help")
    o_.command = Command::Help;
  else
    return fail("unknown command \"" + command + "\" (index, batch, calc or phases; see --help)");
  return true;
}

bool Parser::option(const std::string& name) {
  for (const OptionReader& reader : kReaders)
    if (reader.name == name) return (this->*reader.read)(name);
  return fail("unknown option \"" + name + "\" (see --help)");
}

bool Parser::readHelp(const std::string&) {
  o_.command = Command::Help;
  next_ = args_.size();
  return true;
}

bool Parser::readFormat(const std::string&) {
  if (!more()) return fail("--format needs text, tsv or json");
  const std::string f = args_[next_++];
  if (f == "text")
    o_.format = Format::Text;
  else if (f == "tsv" && o_.command != Command::Calc)
    o_.format = Format::Tsv;
  else if (f == "json")
    o_.format = Format::Json;
  else
    return fail("--format: \"" + f + "\" is not one of " +
                (o_.command == Command::Calc ? "text, json" : "text, tsv, json"));
  return true;
}

bool Parser::readPhase(const std::string&) {
  if (!more()) return fail("--phase needs a phase name");
  o_.phaseNames.push_back(args_[next_++]);
  return true;
}

bool Parser::readRecord(const std::string&) {
  if (!more()) return fail("--record needs a record number");
  const std::string r = args_[next_++];
  const double value = IsNumeric(r) ? NumericPrefix(r) : -1;
  const int count = static_cast<int>(BuiltInPhases().size());
  if (value != std::floor(value) || value < 1 || value > count)
    return fail("--record: \"" + r + "\" is not a record number from 1 to " +
                std::to_string(count));
  o_.records.push_back(static_cast<int>(value));
  return true;
}

bool Parser::readCell(const std::string& name) {
  std::array<std::string, 6> cell;
  if (!numbers(name, cell)) return false;
  o_.cell = cell;
  return true;
}

bool Parser::readLattice(const std::string&) {
  if (!more()) return fail("--lattice needs one of P, C, I, F, R");
  const std::string l = args_[next_++];
  for (int i = 0; i < kLatticeTypeCount; ++i)
    if (l.size() == 1 && (l[0] == kLatticeLetters[i] || l[0] == kLatticeLetters[i] + ('a' - 'A')))
      o_.lattice = i;
  if (!o_.lattice) return fail("--lattice: \"" + l + "\" is not one of P, C, I, F, R");
  return true;
}

bool Parser::readRange(const std::string& name) {
  std::array<std::string, 1> r;
  if (!numbers(name, r)) return false;
  o_.range = r[0];
  return true;
}

// One value for all three, or three values.
bool Parser::readTolerances(const std::string& name) {
  auto& target = name == "--d-tol" ? o_.dTol : o_.angleTol;
  std::array<std::string, 1> first;
  if (!numbers(name, first)) return false;
  if (nextIsValue()) {
    std::array<std::string, 2> rest;
    if (!numbers(name, rest)) return false;
    target = {first[0], rest[0], rest[1]};
  } else {
    target = {first[0], first[0], first[0]};
  }
  return true;
}

bool Parser::check() {
  switch (o_.command) {
  case Command::Index:
    return checkPhaseOrCell() && checkPatternSource() && checkPatternValues() &&
           checkSearchSettings();
  case Command::Batch:
    return checkBatchPhases() && checkPatternSource() && checkPatternValues() &&
           checkSearchSettings();
  case Command::Calc:
    if (!checkPhaseOrCell()) return false;
    if (!o_.planes) return fail("calc needs --planes H1 K1 L1 H2 K2 L2 H3 K3 L3");
    return true;
  case Command::Phases:
  case Command::Help: return true;
  }
  return true;
}

// index and calc: exactly one phase, from the database or as a cell.
bool Parser::checkPhaseOrCell() {
  if (o_.phaseNames.size() > 1) return fail("--phase: give one phase only");
  if (o_.phaseNames.empty() == !o_.cell)
    return fail(o_.cell ? "give either --phase or --cell, not both"
                        : "give the phase with --phase NAME or --cell A B C ALPHA BETA GAMMA");
  if (!o_.phaseNames.empty() && !FindPhaseRecord(o_.phaseNames[0]))
    return fail("--phase: no phase named \"" + o_.phaseNames[0] +
                "\" in the database (see the phases command)");
  if (o_.cell && o_.command != Command::Calc && !o_.lattice)
    return fail("--cell needs --lattice P, C, I, F or R");
  if (o_.cell) {
    const auto& c = *o_.cell;
    const LatticeParameters cell{NumericPrefix(c[0]),
                                 NumericPrefix(c[1]),
                                 NumericPrefix(c[2]),
                                 NumericPrefix(c[3]),
                                 NumericPrefix(c[4]),
                                 NumericPrefix(c[5]),
                                 0};
    if (!IsRealCell(cell))
      return fail("--cell: lengths must be above 0 and the angles between 0 and 180 degrees, "
                  "enclosing a volume");
  }
  return true;
}

// batch: phases come from the database only.
bool Parser::checkBatchPhases() {
  if (o_.cell || o_.lattice)
    return fail("batch takes phases from the database: use --phase or --record");
  for (const std::string& name : o_.phaseNames)
    if (!FindPhaseRecord(name))
      return fail("--phase: no phase named \"" + name + "\" in the database");
  return true;
}

// The spacings either as d values or as a scale bar with lengths; the angles always.
bool Parser::checkPatternSource() {
  if (o_.spacings && (o_.scaleBar || o_.lengths))
    return fail("give the spacings either with --d or with --scale-bar and --lengths, not both");
  if (!o_.spacings && !(o_.scaleBar && o_.lengths))
    return fail(
        o_.scaleBar ? "--scale-bar needs --lengths L1 L2 L3"
        : o_.lengths
            ? "--lengths needs --scale-bar VALUE LENGTH"
            : "give the spacings with --d D1 D2 D3 or --scale-bar VALUE LENGTH --lengths L1 L2 L3");
  if (!o_.angles) return fail("give the measured angles with --angles A12 A23 A13");
  return true;
}

bool Parser::checkPatternValues() {
  const auto value = [](const std::string& text) { return NumericPrefix(text); };
  if (o_.spacings)
    for (const std::string& d : *o_.spacings)
      if (!(value(d) > 0)) return fail("--d: spacings must be above 0 nm, got \"" + d + "\"");
  if (o_.scaleBar) {
    if (!(value((*o_.scaleBar)[0]) > 0))
      return fail("--scale-bar: the value must be above 0 (1/nm)");
    if (!(value((*o_.scaleBar)[1]) > 0))
      return fail("--scale-bar: the length must be above 0 (px)");
    for (const std::string& l : *o_.lengths)
      if (!(value(l) > 0)) return fail("--lengths: lengths must be above 0 px, got \"" + l + "\"");
    for (const std::string& n : o_.numbers)
      if (!(value(n) > 0))
        return fail("--numbers: numbers of spot spacings must be above 0, got \"" + n + "\"");
  }
  return true;
}

bool Parser::checkSearchSettings() {
  const double range = RoundHalfEven(NumericPrefix(o_.range));
  if (range < 0)
    return fail("--range: the index range must be 0 or more, got \"" + o_.range + "\"");
  if (range > SearchLimits{}.maxIndexRange)
    return fail("--range: the index range must be at most " +
                std::to_string(SearchLimits{}.maxIndexRange));
  for (const std::string& t : o_.dTol)
    if (NumericPrefix(t) < 0)
      return fail("--d-tol: tolerances must be 0 or more, got \"" + t + "\"");
  for (const std::string& t : o_.angleTol)
    if (NumericPrefix(t) < 0)
      return fail("--angle-tol: tolerances must be 0 or more, got \"" + t + "\"");
  return true;
}

ParseResult Parser::run() {
  if (!readCommand()) return {o_, error_};
  while (more() && o_.command != Command::Help)
    if (!option(args_[next_++])) return {o_, error_};
  if (o_.command != Command::Help) check();
  return {o_, error_};
}

} // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args) { return Parser(args).run(); }

BoxTexts PatternBoxes(const Options& o) {
  BoxTexts boxes = BoxTexts::Initial();
  if (o.cell) {
    for (int i = 0; i < 6; ++i)
      boxes[BoxNumber(Box::A) + i] = (*o.cell)[static_cast<std::size_t>(i)];
  } else if (!o.phaseNames.empty()) {
    if (const auto record = FindPhaseRecord(o.phaseNames[0]))
      boxes = WithPhaseBoxes(boxes, BuiltInPhases()[static_cast<std::size_t>(*record - 1)]);
  }
  if (o.spacings) {
    // d = Number × (scale length ÷ scale value) ÷ Length with a unit scale and Length: d = Number.
    boxes[Box::ScaleBarValue] = "1";
    boxes[Box::ScaleBarLength] = "1";
    for (int j = 0; j < 3; ++j) {
      boxes[BoxNumber(Box::Length1) + j] = "1";
      boxes[BoxNumber(Box::Number1) + j] = (*o.spacings)[static_cast<std::size_t>(j)];
    }
  } else if (o.scaleBar && o.lengths) {
    boxes[Box::ScaleBarValue] = (*o.scaleBar)[0];
    boxes[Box::ScaleBarLength] = (*o.scaleBar)[1];
    for (int j = 0; j < 3; ++j) {
      boxes[BoxNumber(Box::Length1) + j] = (*o.lengths)[static_cast<std::size_t>(j)];
      boxes[BoxNumber(Box::Number1) + j] = o.numbers[static_cast<std::size_t>(j)];
    }
  }
  if (o.angles)
    for (int j = 0; j < 3; ++j)
      boxes[BoxNumber(Box::Angle12) + j] = (*o.angles)[static_cast<std::size_t>(j)];
  boxes[Box::IndexRange] = o.range;
  for (int j = 0; j < 3; ++j) {
    boxes[BoxNumber(Box::DTol1) + j] = o.dTol[static_cast<std::size_t>(j)];
    boxes[BoxNumber(Box::AngleTol12) + j] = o.angleTol[static_cast<std::size_t>(j)];
  }
  return boxes;
}

const char* UsageText() {
  return R"usage(spotindex-cli: index electron-diffraction spot patterns from the command line.

Usage:
  spotindex-cli index  PHASE PATTERN [SEARCH] [--format text|tsv|json]
  spotindex-cli batch  [--phase NAME]... [--record I]... PATTERN [SEARCH] [--format text|tsv|json]
  spotindex-cli calc   (--phase NAME | --cell A B C ALPHA BETA GAMMA)
                       --planes H1 K1 L1 H2 K2 L2 H3 K3 L3 [--format text|json]
  spotindex-cli phases [--format text|tsv|json]

  PHASE   = --phase NAME            a record of the built-in database, exact name (e.g. "Fe(α)");
                                    a name held by two records (La2S3) means the first
          | --cell A B C ALPHA BETA GAMMA --lattice P|C|I|F|R      (nm, degrees)
  PATTERN = (--d D1 D2 D3 | --scale-bar VALUE LENGTH --lengths L1 L2 L3 [--numbers N1 N2 N3])
            --angles A12 A23 A13    (nm; 1/nm and px; degrees; numbers default to 1 1 1)
  SEARCH  = [--range N] [--d-tol T | --d-tol T1 T2 T3] [--angle-tol T | --angle-tol T1 T2 T3]
            (defaults 5, 0.008 nm, 2 degrees)

  The spacing of Ri is Ni x (scale bar LENGTH / VALUE) / Li. A solution (h1 k1 l1) + (h2 k2 l2)
  = (h3 k3 l3) is listed when |d - di| <= the d tolerance for each spot and each computed angle
  differs from the measured one by less than the angle tolerance. Numbers use "." as the
  decimal point.

Commands:
  index   search one phase; rows in search order (R1 candidates, then R2, then R3), numbered
          from 1
  batch   search every database record (or those given by --phase and --record) and list the
          records that have solutions, in database order
  calc    zone axis [u v w] = R1 x R2 (reduced), the angles <R1,R2>, <R2,R3>, <R1,R3> and the
          spacings of three planes
  phases  list the built-in database

Formats:
  text    the rows as the results list of the window shows them (No.001 ...)
  tsv     one line per row with the 20 cell texts separated by tabs; batch puts the record
          number and the phase name in front; phases prints the record number and 9 fields
  json    full-precision numbers:
          index: {"phase": {"name", "lattice", "cell"}, "measured": {"d", "angles"}, "count",
                  "results": [{"no", "r1", "r2", "r3", "d", "angles"}]}
          batch: {"measured": {...}, "phases": [{"record", "name", "count", "results"}]}
          calc:  {"zone_axis", "angles", "d"}

Exit status: 0 the search ran (also with no row), 2 invalid arguments or input, 3 the search
stopped on a fault (the message says why).

Example:
  spotindex-cli index --cell 0.4 0.4 0.4 90 90 90 --lattice F --range 2 \
      --d 0.2 0.2 0.1414213562 --angles 90 45 45
  spotindex-cli batch --phase Al --phase Cu --phase NaCl \
      --scale-bar 5 100 --lengths 100 100 141.42 --angles 90 45 45
)usage";
}

} // namespace spot::cli
