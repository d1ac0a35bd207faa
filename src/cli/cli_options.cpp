// The options of spotindex-cli.
#include "cli/cli_options.hpp"

#include <bitset>
#include <cmath>

#include "core/lattice.hpp"
#include "core/metric.hpp"
#include "core/numeric_text.hpp"
#include "database/batch_run.hpp"
#include "database/phase_database.hpp"

namespace spot::cli {
namespace {

// Length of the well-formed UTF-8 sequence at the start of `text` (1 to 4), or 0 when its bytes
// are not one: a stray continuation byte, a cut sequence, an overlong form, a surrogate.
std::size_t utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  char32_t point = 0, smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    point = lead & 0x1F;
    smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    point = lead & 0x0F;
    smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    point = lead & 0x07;
    smallest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    point = point << 6 | (byte(i) & 0x3F);
  }
  const bool surrogate = point >= 0xD800 && point <= 0xDFFF;
  return point < smallest || point > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

std::string QuoteArgument(std::string_view text) {
  constexpr std::size_t kMaxCharacters = 80;
  std::string quoted = "\"";
  std::size_t characters = 0;
  while (!text.empty() && characters < kMaxCharacters) {
    std::size_t length = utf8SequenceLength(text);
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    // Control characters (C0, DEL, and C1 as U+0080..U+009F) would act on the terminal.
    const bool control =
        lead < 0x20 || lead == 0x7F ||
        (lead == 0xC2 && length == 2 && static_cast<unsigned char>(text[1]) < 0xA0);
    if (length == 0 || control) {
      length = length == 0 ? 1 : length;
      for (std::size_t i = 0; i < length; ++i) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        const unsigned char b = static_cast<unsigned char>(text[i]);
        quoted += "\\x";
        quoted += kHex[b >> 4];
        quoted += kHex[b & 0xF];
      }
    } else {
      quoted.append(text.substr(0, length));
    }
    text.remove_prefix(length);
    ++characters;
  }
  if (!text.empty()) quoted += "\u2026"; // …
  return quoted + "\"";
}

namespace {

std::string commandName(Command command) {
  static constexpr std::string_view names[] = {"index", "batch", "calc",    "phases",  "info",
                                               "help",  "spots", "measure", "simulate"};
  return std::string(names[static_cast<std::size_t>(command)]);
}

class Parser {
public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  ParseResult run();

private:
  using Reader = bool (Parser::*)(const std::string& name);
  struct OptionReader {
    std::string_view name;
    Reader read;
    unsigned takenBy;      ///< commands (bits of commandBit) that take the option
    unsigned repeatableIn; ///< commands where it may be given more than once
  };
  static const OptionReader kReaders[];

  bool more() const { return next_ < args_.size(); }
  static bool isValue(const std::string& a) {
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
        return fail(option + ": " + QuoteArgument(out[i]) +
                    " is not a number (use \".\" as the decimal point)");
    }
    return true;
  }
  bool fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }
  bool readCommand();
  bool option(const std::string& name);
  bool refuseOption(const std::string& name);

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
  bool readGroup(const std::string&) {
    o_.group = true;
    return true;
  }
  bool readTolerances(const std::string& name);
  bool readPicture(const std::string& name);
  bool readCentre(const std::string& name) { return numbers(name, o_.centre.emplace()); }
  bool given(std::string_view name) const;
  bool readCif(const std::string& name);
  bool readBlock(const std::string& name);
  bool readZone(const std::string& name);
  bool readGMax(const std::string& name);
  bool readIncludeForbidden(const std::string&) {
    o_.includeForbidden = true;
    return true;
  }
  bool readLibrary(const std::string&) {
    o_.library = true;
    return true;
  }
  bool checkSimulation();

  // The checks once every option is read, in the order they run.
  bool check();
  bool checkPhaseOrCell();
  bool checkBatchPhases();
  bool checkPatternSource();
  bool checkPatternValues();
  bool checkSearchSettings();
  bool checkGroup();

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  Options o_;
  std::string error_;
  std::bitset<32> given_; ///< kReaders positions already read
};

constexpr unsigned commandBit(Command command) { return 1u << static_cast<unsigned>(command); }
constexpr unsigned kIndex = commandBit(Command::Index), kBatch = commandBit(Command::Batch),
                   kCalc = commandBit(Command::Calc), kPhases = commandBit(Command::Phases),
                   kInfo = commandBit(Command::Info), kSpots = commandBit(Command::Spots),
                   kMeasure = commandBit(Command::Measure),
                   kSimulate = commandBit(Command::Simulate);
constexpr unsigned kAll = kIndex | kBatch | kCalc | kPhases | kInfo | kSpots | kMeasure | kSimulate;
constexpr unsigned kPhaseTakers = kIndex | kBatch | kCalc | kSimulate;
constexpr unsigned kSearches = kIndex | kBatch;

// index and calc take --phase once too, but say so in their own words (checkPhaseOrCell).
const Parser::OptionReader Parser::kReaders[] = {
    {"--help", &Parser::readHelp, kAll, 0},
    {"-h", &Parser::readHelp, kAll, 0},
    {"--format", &Parser::readFormat, kAll, 0},
    {"--phase", &Parser::readPhase, kPhaseTakers, kPhaseTakers},
    {"--record", &Parser::readRecord, kBatch, kBatch},
    {"--cell", &Parser::readCell, kIndex | kCalc | kSimulate, 0},
    {"--lattice", &Parser::readLattice, kIndex | kSimulate, 0},
    {"--d", &Parser::readSpacings, kSearches, 0},
    {"--scale-bar", &Parser::readScaleBar, kSearches | kMeasure, 0},
    {"--lengths", &Parser::readLengths, kSearches, 0},
    {"--numbers", &Parser::readNumbers, kSearches, 0},
    {"--angles", &Parser::readAngles, kSearches, 0},
    {"--planes", &Parser::readPlanes, kCalc, 0},
    {"--range", &Parser::readRange, kSearches, 0},
    {"--d-tol", &Parser::readTolerances, kSearches, 0},
    {"--angle-tol", &Parser::readTolerances, kSearches, 0},
    {"--group", &Parser::readGroup, kSearches, 0},
    {"--picture", &Parser::readPicture, kSearches, 0},
    {"--centre", &Parser::readCentre, kSearches | kMeasure, 0},
    // One CIF phase for index, calc and simulate; batch adds any number, each --block naming a
    // block of the --cif before it (checkPhaseOrCell says the one-only rule in its own words).
    {"--cif", &Parser::readCif, kPhaseTakers, kPhaseTakers},
    {"--block", &Parser::readBlock, kPhaseTakers, kPhaseTakers},
    {"--zone", &Parser::readZone, kSimulate, 0},
    {"--g-max", &Parser::readGMax, kSimulate, 0},
    {"--include-forbidden", &Parser::readIncludeForbidden, kSimulate, 0},
    {"--library", &Parser::readLibrary, kPhases, 0},
};

bool Parser::readCommand() {
  if (!more())
    return fail("no command given (index, batch, calc, phases, info, spots, measure or simulate; "
                "see --help)");
  const std::string command = args_[next_++];
  if (command == "index")
    o_.command = Command::Index;
  else if (command == "batch")
    o_.command = Command::Batch;
  else if (command == "calc")
    o_.command = Command::Calc;
  else if (command == "phases")
    o_.command = Command::Phases;
  else if (command == "info")
    o_.command = Command::Info;
  else if (command == "spots")
    o_.command = Command::Spots;
  else if (command == "measure")
    o_.command = Command::Measure;
  else if (command == "simulate")
    o_.command = Command::Simulate;
  else if (command == "--help" || command == "-h" || command == "help")
    o_.command = Command::Help;
  else
    return fail("unknown command " + QuoteArgument(command) +
                " (index, batch, calc, phases, info, spots, measure or simulate; see --help)");
  return true;
}

bool Parser::option(const std::string& name) {
  for (const OptionReader& reader : kReaders) {
    if (reader.name != name) continue;
    const unsigned command = commandBit(o_.command);
    if (!(reader.takenBy & command)) return refuseOption(name);
    const std::size_t position = static_cast<std::size_t>(&reader - kReaders);
    if (given_[position] && !(reader.repeatableIn & command))
      return fail(name + ": given twice; give each option once");
    given_[position] = true;
    return (this->*reader.read)(name);
  }
  return fail("unknown option " + QuoteArgument(name) + " (see --help)");
}

// An option that exists, but not for this command.
bool Parser::refuseOption(const std::string& name) {
  if (o_.command == Command::Batch && (name == "--cell" || name == "--lattice"))
    return fail("batch takes phases from the database: use --phase or --record");
  return fail(commandName(o_.command) + " does not take " + name + " (see --help)");
}

bool Parser::readHelp(const std::string&) {
  o_.command = Command::Help;
  next_ = args_.size();
  return true;
}

bool Parser::readFormat(const std::string&) {
  if (!more()) return fail("--format needs text, tsv or json");
  const std::string f = args_[next_++];
  const bool noTsv = o_.command == Command::Calc || o_.command == Command::Info ||
                     o_.command == Command::Spots || o_.command == Command::Measure ||
                     o_.command == Command::Simulate;
  if (f == "text")
    o_.format = Format::Text;
  else if (f == "tsv" && !noTsv)
    o_.format = Format::Tsv;
  else if (f == "json")
    o_.format = Format::Json;
  else
    return fail("--format: " + QuoteArgument(f) + " is not one of " +
                (noTsv ? "text, json" : "text, tsv, json"));
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
    return fail("--record: " + QuoteArgument(r) + " is not a record number from 1 to " +
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
  for (LatticeType type : kLatticeTypes)
    if (l.size() == 1 && (l[0] == LatticeLetter(type) || l[0] == LatticeLetter(type) + ('a' - 'A')))
      o_.lattice = type;
  if (!o_.lattice) return fail("--lattice: " + QuoteArgument(l) + " is not one of P, C, I, F, R");
  return true;
}

bool Parser::readRange(const std::string& name) {
  std::array<std::string, 1> r;
  if (!numbers(name, r)) return false;
  o_.range = r[0];
  return true;
}

// One value for all three, or three values: every value up to the next option is counted, so
// two (or four) are refused rather than read as one and an unknown option.
bool Parser::readTolerances(const std::string& name) {
  auto& target = name == "--d-tol" ? o_.dTol : o_.angleTol;
  std::size_t count = 0;
  while (next_ + count < args_.size() && isValue(args_[next_ + count]))
    ++count;
  if (count != 1 && count != 3)
    return fail(name + " takes one or three numbers, got " + std::to_string(count));
  if (count == 1) {
    std::array<std::string, 1> one;
    if (!numbers(name, one)) return false;
    target = {one[0], one[0], one[0]};
    return true;
  }
  return numbers(name, target);
}

bool Parser::readPicture(const std::string& name) {
  if (!more()) return fail(name + " needs a picture file");
  o_.picture = args_[next_++];
  return true;
}

bool Parser::given(std::string_view name) const {
  for (const OptionReader& reader : kReaders)
    if (reader.name == name) return given_[static_cast<std::size_t>(&reader - kReaders)];
  return false;
}

bool Parser::readCif(const std::string&) {
  if (!more()) return fail("--cif needs a CIF file");
  o_.cifs.push_back({args_[next_++], std::nullopt});
  return true;
}

bool Parser::readBlock(const std::string&) {
  if (!more()) return fail("--block needs a data block name");
  if (o_.cifs.empty()) return fail("--block: give it after the --cif whose block it names");
  if (o_.cifs.back().block) return fail("--block: one block for each --cif");
  o_.cifs.back().block = args_[next_++];
  return true;
}

bool Parser::readZone(const std::string& name) { return numbers(name, o_.zone.emplace()); }

bool Parser::readGMax(const std::string& name) {
  std::array<std::string, 1> g;
  if (!numbers(name, g)) return false;
  o_.gMax = g[0];
  return true;
}

bool Parser::checkSimulation() {
  if (!o_.zone) return fail("simulate needs --zone U V W");
  bool allZero = true;
  for (const std::string& z : *o_.zone) {
    const double v = NumericPrefix(z);
    if (v != std::floor(v) || std::fabs(v) > 1000)
      return fail("--zone: indices must be whole numbers from -1000 to 1000, got " +
                  QuoteArgument(z));
    allZero = allZero && v == 0;
  }
  if (allZero) return fail("--zone: [0 0 0] has no direction");
  const double g = NumericPrefix(o_.gMax);
  if (!(g > 0) || g > 1000)
    return fail("--g-max: must be above 0 and at most 1000 (1/nm), got " + QuoteArgument(o_.gMax));
  return true;
}

bool Parser::check() {
  switch (o_.command) {
  case Command::Spots:
    if (o_.picture.empty()) return fail("spots needs a PICTURE file");
    return true;
  case Command::Measure:
    if (o_.picture.empty()) return fail("measure needs a PICTURE file");
    return checkPatternValues();
  case Command::Index:
    return checkPhaseOrCell() && checkPatternSource() && checkPatternValues() &&
           checkSearchSettings() && checkGroup();
  case Command::Batch:
    return checkBatchPhases() && checkPatternSource() && checkPatternValues() &&
           checkSearchSettings() && checkGroup();
  case Command::Calc:
    if (!checkPhaseOrCell()) return false;
    if (!o_.planes) return fail("calc needs --planes H1 K1 L1 H2 K2 L2 H3 K3 L3");
    return true;
  case Command::Info:
    if (o_.picture.empty()) return fail("info needs a picture file");
    return true;
  case Command::Simulate: return checkPhaseOrCell() && checkSimulation();
  case Command::Phases:
  case Command::Help: return true;
  }
  return true;
}

// index and calc: exactly one phase, from the database or as a cell.
bool Parser::checkPhaseOrCell() {
  if (o_.phaseNames.size() > 1) return fail("--phase: give one phase only");
  if (o_.cifs.size() > 1) return fail("--cif: give one file only");
  if (!o_.cifs.empty()) {
    if (!o_.phaseNames.empty() || o_.cell)
      return fail("give the phase with one of --phase, --cell or --cif");
    if (o_.lattice) return fail("--lattice: a CIF phase takes its lattice from its space group");
    return true;
  }
  if (o_.phaseNames.empty() == !o_.cell)
    return fail(o_.cell ? "give either --phase or --cell, not both"
                        : "give the phase with --phase NAME or --cell A B C ALPHA BETA GAMMA");
  if (!o_.phaseNames.empty() && !FindPhaseRecord(o_.phaseNames[0]))
    return fail("--phase: no phase named " + QuoteArgument(o_.phaseNames[0]) +
                " in the database (see the phases command)");
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
  for (const std::string& name : o_.phaseNames)
    if (!FindPhaseRecord(name))
      return fail("--phase: no phase named " + QuoteArgument(name) + " in the database");
  return true;
}

// The spacings either as d values or as a scale bar with lengths; the angles always. Or the
// picture, which measures lengths and angles, with the scale bar.
bool Parser::checkPatternSource() {
  if (given("--picture")) {
    if (o_.spacings || o_.lengths || o_.angles || given("--numbers"))
      return fail("--picture measures the lengths and angles: give it without --d, --lengths, "
                  "--numbers and --angles");
    return true;
  }
  if (o_.centre) return fail("--centre needs --picture FILE");
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
      if (!(value(d) > 0)) return fail("--d: spacings must be above 0 nm, got " + QuoteArgument(d));
  if (o_.angles)
    for (const std::string& a : *o_.angles)
      if (!(value(a) >= 0 && value(a) <= 180))
        return fail("--angles: angles must be from 0 to 180 degrees, got " + QuoteArgument(a));
  if (o_.scaleBar) {
    if (!(value((*o_.scaleBar)[0]) > 0))
      return fail("--scale-bar: the value must be above 0 (1/nm)");
    if (!(value((*o_.scaleBar)[1]) > 0))
      return fail("--scale-bar: the length must be above 0 (px)");
    if (o_.lengths) {
      for (const std::string& l : *o_.lengths)
        if (!(value(l) > 0))
          return fail("--lengths: lengths must be above 0 px, got " + QuoteArgument(l));
      for (const std::string& n : o_.numbers)
        if (!(value(n) > 0))
          return fail("--numbers: numbers of spot spacings must be above 0, got " +
                      QuoteArgument(n));
    }
  }
  return true;
}

bool Parser::checkSearchSettings() {
  // The checks every search makes, in the options' own words; a pattern whose spacings
  // overflow is left to the search, which stops with its message (exit 3).
  const SearchLimits limits;
  const std::optional<SearchFault> fault = CheckMeasurement(PatternBoxes(o_), limits).fault;
  if (fault == SearchFault::NegativeIndexRange)
    return fail("--range: the index range must be 0 or more, got " + QuoteArgument(o_.range));
  if (fault == SearchFault::IndexRangeTooLarge)
    return fail("--range: the index range must be at most " + std::to_string(limits.maxIndexRange));
  for (const std::string& t : o_.dTol)
    if (NumericPrefix(t) < 0)
      return fail("--d-tol: tolerances must be 0 or more, got " + QuoteArgument(t));
  for (const std::string& t : o_.angleTol)
    if (NumericPrefix(t) < 0)
      return fail("--angle-tol: tolerances must be 0 or more, got " + QuoteArgument(t));
  return true;
}

// Families are a table or an object: tsv, one line per row, has no place for them.
bool Parser::checkGroup() {
  if (o_.group && o_.format == Format::Tsv)
    return fail("--group: families are written in text and json only, not tsv");
  return true;
}

ParseResult Parser::run() {
  if (!readCommand()) return {o_, error_};
  while (more() && o_.command != Command::Help) {
    const std::string& arg = args_[next_++];
    // The one argument of info, spots and measure that is not an option: the picture.
    const bool takesPicture = o_.command == Command::Info || o_.command == Command::Spots ||
                              o_.command == Command::Measure;
    if (takesPicture && arg.rfind("--", 0) != 0 && arg != "-h") {
      if (!o_.picture.empty())
        return {o_, commandName(o_.command) + " takes one picture, got " +
                        QuoteArgument(o_.picture) + " and " + QuoteArgument(arg)};
      o_.picture = arg;
      continue;
    }
    if (!option(arg)) return {o_, error_};
  }
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
  } else if (o.scaleBar && (!o.picture.empty() || o.command == Command::Measure)) {
    // Lengths, numbers and angles come from the picture's spots.
    boxes[Box::ScaleBarValue] = (*o.scaleBar)[0];
    boxes[Box::ScaleBarLength] = (*o.scaleBar)[1];
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
  spotindex-cli index  PHASE PATTERN [SEARCH] [--group] [--format text|tsv|json]
  spotindex-cli batch  [--phase NAME]... [--record I]... PATTERN [SEARCH] [--group]
                       [--format text|tsv|json]
  spotindex-cli calc   (--phase NAME | --cell A B C ALPHA BETA GAMMA)
                       --planes H1 K1 L1 H2 K2 L2 H3 K3 L3 [--format text|json]
  spotindex-cli phases [--library] [--format text|tsv|json]
  spotindex-cli info   PICTURE [--format text|json]
  spotindex-cli spots  PICTURE [--format text|json]
  spotindex-cli measure PICTURE [--scale-bar VALUE LENGTH] [--centre X Y] [--format text|json]
  spotindex-cli simulate PHASE --zone U V W [--g-max G] [--include-forbidden]
                       [--format text|json]

  PHASE   = --phase NAME            a record of the built-in database, exact name (e.g. "Fe(α)");
                                    a name held by two records (La2S3) means the first
          | --cell A B C ALPHA BETA GAMMA --lattice P|C|I|F|R      (nm, degrees)
          | --cif FILE [--block NAME]   a phase of a CIF file: its cell, space group and atoms;
                                    --block names the data block of a file that holds several
  PATTERN = (--d D1 D2 D3 | --scale-bar VALUE LENGTH --lengths L1 L2 L3 [--numbers N1 N2 N3])
            --angles A12 A23 A13    (nm; 1/nm and px; degrees; numbers default to 1 1 1)
          | --picture FILE [--scale-bar VALUE LENGTH] [--centre X Y]
  SEARCH  = [--range N] [--d-tol T | --d-tol T1 T2 T3] [--angle-tol T | --angle-tol T1 T2 T3]
            (defaults 5, 0.008 nm, 2 degrees)

  The spacing of Ri is Ni x (scale bar LENGTH / VALUE) / Li. A solution (h1 k1 l1) + (h2 k2 l2)
  = (h3 k3 l3) is listed when |d - di| <= the d tolerance for each spot and each computed angle
  differs from the measured one by less than the angle tolerance. Numbers use "." as the
  decimal point; measured angles lie from 0 to 180 degrees. Each option is given once, except
  --phase and --record of batch; an option that a command does not list is refused.

Commands:
  index   search one phase; rows in search order (R1 candidates, then R2, then R3), numbered
          from 1
  batch   search every database record (or those given by --phase and --record) and list the
          records that have solutions, in database order
  calc    zone axis [u v w] = R1 x R2 (reduced), the angles <R1,R2>, <R2,R3>, <R1,R3> and the
          spacings of three planes
  phases  list the built-in database; with --library the user's own phases (the window's
          "Import CIF...", kept in $XDG_DATA_HOME/SpotIndex/SpotIndex/Phases.cif)
  simulate  the kinematic pattern of zone [U V W]: the reflections h U + k V + l W = 0 up to
          g_max (1/nm, default 10), at x along the shortest allowed reflection of the zone and
          y completing a right-handed frame with the zone axis toward the viewer, with the
          spacing and the intensity |F|^2 (the strongest = 100) from electron scattering
          factors, occupancies and isotropic displacements; a phase without atoms gives every
          allowed reflection 100. Reflections the space group forbids are left out, or listed
          with "absent": "space_group" with --include-forbidden; those the atoms cancel are kept
          with intensity 0 and "absent": "structure".
  info    a picture's format, size, sample type, the min, max and mean of its samples, and
          the calibration, beam energy and camera length its file gives; reads DM3, DM4, MRC
          (the first section), grey TIFF of 16/32-bit integers or 32/64-bit floats, and PNG,
          JPEG, BMP, GIF and other TIFF (colour as its grey); the format is told by content
  spots   the spots of a picture (the formats of info): sub-pixel centre x, y in the picture's
          pixels (the top-left pixel's centre is 0, 0), integrated intensity above the
          background, width (Gaussian sigma, px); brightest first
  measure the pattern measured from all its spots: the centre (the direct beam, or the node
          the spots are symmetric about; --centre gives it) and the 2-D lattice fitted by least
          squares; R1 the shortest lattice vector (of those within 1 % the one with the smallest
          angle from +x, counter-clockwise on the screen), R2 the shortest one not parallel to it
          with <R1,R2> at least 90 degrees, R3 = R1 + R2; lengths (px), spacings from the scale
          bar and angles as the measurement boxes hold them. --picture of index and batch
          measures the pattern so, then searches it. Without --scale-bar the picture's own
          calibration in 1/nm per pixel (DM3, DM4) stands for a bar of 1 1/nm over 1 / scale
          pixels; a picture without one needs --scale-bar

Picture (--picture with --group): each family also gets its agreement with the picture: the
  spots its zone predicts inside the picture, those with a detected spot within a fifth of the
  shorter of R1 and R2 (at least 2 px), the detected spots (direct beam left out) explained by
  a predicted one, and the RMS distance of the pairs. Families are ranked by explained spots,
  then RMS (in steps of 0.01 px), then fewer predicted spots without a detected one, then
  score; families equal in all four share a rank.

  batch takes --cif repeatedly (each --block applies to the --cif before it; without --block
  every phase of the file) and adds those phases to the run. A phase with a space group is
  searched with the reflections its group allows, and its families use the group's Laue class.

Families (--group, text and json only):
  Rows that one symmetry operation of the phase maps onto each other (the lattice's point
  symmetry from its cell and centring, inversion included) form one family. A family is shown
  by its representative (the member with the fewest minus signs, then the lexicographically
  largest h1 k1 l1 h2 k2 l2), its zone axis R1 x R2 (also [u v t w] for hexagonal cells), its
  deviations (computed minus measured d1 d2 d3 in nm and angles in degrees) and its score
  s = sqrt(mean of (deviation / tolerance)^2) over the terms whose tolerance is not 0; ranked
  by score, then fewer rows, then the representative. A search without rows names its nearest
  misses instead: up to 5 families that would pass with every tolerance three times wider,
  with the terms (d1 d2 d3 a12 a23 a13) that break a tolerance. batch --group also lists the
  phases without rows (with their nearest misses) and ranks the phases by their best score.

Formats:
  text    the rows as the results list of the window shows them (No.001 ...)
  tsv     one line per row with the 20 cell texts separated by tabs; batch puts the record
          number and the phase name in front; phases prints the record number and 9 fields
  json    full-precision numbers:
          index: {"phase": {"name", "lattice", "cell"}, "measured": {"d", "angles"}, "count",
                  "results": [{"no", "r1", "r2", "r3", "d", "angles"}]}
          batch: {"measured": {...}, "phases": [{"record", "name", "count", "results"}]}
          --group adds to index and to each batch phase "families": [{"rank", "rows" (their
          "no"), "representative": {"r1", "r2", "r3"}, "zone_axis", "zone_axis_4" (hexagonal
          cells), "deviation": {"d", "angles"}, "score"}], without rows "nearest": [{"r1",
          "r2", "r3", "deviation", "breaks"}]; batch also "ranking": [{"record", "name",
          "best_score"}], best first
          calc:  {"zone_axis", "angles", "d"}
          info:  {"picture", "format", "width", "height", "sample", "min", "max", "mean",
                  "calibration": {"scale" (units per pixel), "units", "origin" (px)} or null,
                  "beam_energy_kev" or null, "camera_length" (as the file gives it) or null}
          spots: {"picture", "width", "height", "spots": [{"x", "y", "intensity", "width"}]}
          measure: {"centre", "r1", "r2", "r3" (px), "lengths" (px), "d" (nm), "angles",
                  "spots_used", "residual_px"}
          --picture with --group adds to each family "picture": {"predicted", "matched",
          "detected", "explained", "rms_px"}
          simulate: {"zone_axis": [u, v, w], "spots": [{"hkl": [h, k, l], "x", "y", "d",
                  "intensity", "absent": null | "space_group" | "structure"}]}
          A CIF phase adds "space_group" to "phase"; its batch entries have "record": null
          and "file".

Exit status: 0 the search ran (also with no row), 2 invalid arguments or input (also a picture
that cannot be read or is empty, and a --centre off the picture), 3 the search stopped on a
fault, a picture has no lattice (fewer than two non-parallel spot vectors) or the output could
not be written (the message says why).

Example:
  spotindex-cli index --cell 0.4 0.4 0.4 90 90 90 --lattice F --range 2 \
      --d 0.2 0.2 0.1414213562 --angles 90 45 45
  spotindex-cli batch --phase Al --phase Cu --phase NaCl \
      --scale-bar 5 100 --lengths 100 100 141.42 --angles 90 45 45
)usage";
}

} // namespace spot::cli
