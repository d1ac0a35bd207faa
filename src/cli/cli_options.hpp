// The options of spotindex-cli, parsed from the argument list into one struct.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/boxes.hpp"
#include "core/lattice.hpp"

namespace spot::cli {

enum class Command { Index, Batch, Calc, Phases, Info, Help, Spots, Measure, Simulate };
enum class Format { Text, Tsv, Json };

/// Everything the command line said. Numbers stay text, exactly as typed, so that they reach
/// the search the same way a typed box does.
struct Options {
  Command command = Command::Help;
  Format format = Format::Text;

  std::vector<std::string> phaseNames;            ///< --phase (index and calc: exactly one)
  std::vector<int> records;                       ///< --record (batch)
  std::optional<std::array<std::string, 6>> cell; ///< --cell a b c alpha beta gamma
  std::optional<LatticeType> lattice;             ///< --lattice P|C|I|F|R
  /// --cif FILE [--block NAME]: index, calc and simulate take one, batch any number.
  struct CifSource {
    std::string path;
    std::optional<std::string> block;
  };
  std::vector<CifSource> cifs;

  // Pattern: either spacings, or the scale bar with lengths and numbers.
  std::optional<std::array<std::string, 3>> spacings; ///< --d
  std::optional<std::array<std::string, 2>> scaleBar; ///< --scale-bar value length
  std::optional<std::array<std::string, 3>> lengths;  ///< --lengths
  std::array<std::string, 3> numbers{"1", "1", "1"};  ///< --numbers
  std::optional<std::array<std::string, 3>> angles;   ///< --angles

  std::string range = "5"; ///< --range
  std::array<std::string, 3> dTol{"0.008", "0.008", "0.008"};
  std::array<std::string, 3> angleTol{"2", "2", "2"};

  std::optional<std::array<std::string, 9>> planes; ///< --planes h1 k1 l1 h2 k2 l2 h3 k3 l3

  bool group = false; ///< --group: families of equivalent rows, nearest misses (text and json)

  /// info, spots and measure: the picture file; index and batch: --picture FILE, which measures
  /// the lengths and angles from the picture's spots (with --scale-bar for the spacings). Empty:
  /// none given.
  std::string picture;
  std::optional<std::array<std::string, 2>> centre; ///< --centre x y (px)
  std::optional<std::array<std::string, 3>> zone;   ///< simulate --zone U V W
  std::string gMax = "10";                          ///< simulate --g-max (1/nm)
  bool includeForbidden = false;                    ///< simulate --include-forbidden
  bool library = false;                             ///< phases --library: the user's phases
};

struct ParseResult {
  Options options;
  std::string error; ///< empty when the arguments are valid; else names the option and the fault
};

/// An argument as messages quote it: in double quotes, at most its first 80 characters (then
/// "…"); bytes that are not UTF-8 and control characters are written as \xNN.
std::string QuoteArgument(std::string_view text);

/// Parses the arguments after the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

/// The boxes of the main window as these options would fill them: phase boxes from --cell or the
/// database record, pattern from --d (as Number = d over a unit scale) or the scale bar.
BoxTexts PatternBoxes(const Options& options);

/// The usage text printed by --help.
const char* UsageText();

} // namespace spot::cli
