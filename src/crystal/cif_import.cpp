// CIF import through gemmi's CIF parser. The group comes from the listed operations, else the
// Hall symbol, else the Hermann-Mauguin name with its setting, else the number; the sources that
// are given and disagree with the one used are reported.
#include "crystal/cif_import.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include <gemmi/cif.hpp>
#include <gemmi/elem.hpp>
#include <gemmi/numb.hpp>

namespace spot {
namespace {

namespace cif = gemmi::cif;

// gemmi's grammar takes ASCII only; every byte above 127 and the escape character itself are
// written as "^HH" before parsing and restored in the texts we keep, so names stay UTF-8.
constexpr char kEscape = '^';

// Well-formed UTF-8 only: overlong forms, surrogates and values past U+10FFFF make the text
// Latin-1, so nothing malformed reaches names, messages or the library file.
bool isUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80                 ? 0
                : c >= 0xC2 && c <= 0xDF ? 1
                : (c >> 4) == 0xE        ? 2
                : c >= 0xF0 && c <= 0xF4 ? 3
                                         : -1;
    if (extra < 0 || i + extra >= text.size()) return false;
    for (int j = 1; j <= extra; ++j)
      if ((static_cast<unsigned char>(text[i + j]) >> 6) != 0x2) return false;
    // The second byte's range rules out the overlong and surrogate forms of the longer leads.
    const auto second = extra > 0 ? static_cast<unsigned char>(text[i + 1]) : 0;
    if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second >= 0xA0) ||
        (c == 0xF0 && second < 0x90) || (c == 0xF4 && second >= 0x90))
      return false;
    i += 1 + extra;
  }
  return true;
}

std::string latin1ToUtf8(std::string_view text) {
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string parserText(std::string_view raw) {
  if (raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3); // byte-order mark
  const std::string utf8 = isUtf8(raw) ? std::string(raw) : latin1ToUtf8(raw);
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c == '\r') {
      out += '\n';
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else if (c >= 0x80 || c == kEscape || c == 0) {
      out += kEscape;
      out += hex[c >> 4];
      out += hex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string restored(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kEscape && i + 2 < text.size()) {
      const auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
      out += static_cast<char>(digit(text[i + 1]) * 16 + digit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// "F d -3 m:2", or ICSD's "F d -3 m Z" and "R -3 c H".
bool namesSetting(const std::string& name) {
  if (name.find(':') != std::string::npos) return true;
  const std::size_t n = name.size();
  return n > 2 && name[n - 2] == ' ' &&
         std::string_view("ZSHR").find(name[n - 1]) != std::string_view::npos;
}

// A block that goes wrong throws this; the block is then left out.
struct BlockFault : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class BlockReader {
public:
  BlockReader(cif::Block& block, const std::string& source)
      : block_(block), source_(source), name_(restored(block.name)) {}

  CrystalPhase read(std::vector<std::string>& warnings) {
    CrystalPhase phase;
    // The library's own item keeps a name the user knows the phase by; files from elsewhere
    // are named by their formula, else their block.
    const std::string own = text({"_spotindex_phase_name"});
    const std::string formula = text({"_chemical_formula_sum", "_chemical_formula.sum"});
    phase.name = !own.empty() ? own : !formula.empty() ? formula : name_;
    phase.block = name_;
    readCell(phase.cell);
    readGroup(phase, warnings);
    readAtoms(phase, warnings);
    return phase;
  }

  std::string where() const { return "block '" + name_ + "'"; }

private:
  [[noreturn]] void fail(const std::string& what) const {
    throw BlockFault(source_ + ": " + what + " in " + where());
  }

  // The first of the tags present, with its name; null when none is.
  const std::string* find(std::initializer_list<const char*> tags, std::string* tagUsed = nullptr) {
    for (const char* tag : tags)
      if (const std::string* value = block_.find_value(tag)) {
        if (tagUsed) *tagUsed = tag;
        return value;
      }
    return nullptr;
  }

  std::string text(std::initializer_list<const char*> tags, std::string* tagUsed = nullptr) {
    const std::string* value = find(tags, tagUsed);
    if (!value || cif::is_null(*value)) return {};
    std::string s = restored(cif::as_string(*value));
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
      s.pop_back();
    return {std::find_if_not(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); }),
            s.end()};
  }

  double number(const std::string& tag, const std::string& value) const {
    const double x = cif::as_number(cif::as_string(value));
    if (!std::isfinite(x)) fail(tag + " is not a number ('" + restored(value) + "')");
    return x;
  }

  double requiredNumber(const char* tag, const char* ddlmTag) {
    const std::string* value = find({tag, ddlmTag});
    if (!value || cif::is_null(*value)) fail(std::string(tag) + " missing");
    return number(tag, *value);
  }

  void readCell(LatticeParameters& cell) {
    // Angstrom in the file, nm in SpotIndex.
    cell.a = requiredNumber("_cell_length_a", "_cell.length_a") / 10;
    cell.b = requiredNumber("_cell_length_b", "_cell.length_b") / 10;
    cell.c = requiredNumber("_cell_length_c", "_cell.length_c") / 10;
    cell.alpha = requiredNumber("_cell_angle_alpha", "_cell.angle_alpha");
    cell.beta = requiredNumber("_cell_angle_beta", "_cell.angle_beta");
    cell.gamma = requiredNumber("_cell_angle_gamma", "_cell.angle_gamma");
    const std::array<std::pair<const char*, double>, 3> lengths = {
        {{"_cell_length_a", cell.a}, {"_cell_length_b", cell.b}, {"_cell_length_c", cell.c}}};
    for (const auto& [tag, value] : lengths)
      if (!(value > 0 && value <= 100))
        fail(std::string(tag) + " out of range (0 to 1000 Angstrom)");
    if (!IsUsableCell(cell))
      fail("_cell_angle_alpha, _cell_angle_beta and _cell_angle_gamma make no real cell");
  }

  std::vector<std::string> column(std::initializer_list<const char*> tags, std::string* tagUsed) {
    for (const char* tag : tags) {
      cif::Column c = block_.find_values(tag);
      if (c.item()) {
        *tagUsed = tag;
        std::vector<std::string> values;
        for (const std::string& v : c)
          if (!cif::is_null(v)) values.push_back(cif::as_string(v));
        return values;
      }
    }
    return {};
  }

  struct Source {
    std::string description; // "_symmetry_space_group_name_H-M 'P 4/m m m'"
    SpaceGroupPointer group;
  };

  void readGroup(CrystalPhase& phase, std::vector<std::string>& warnings) {
    std::vector<Source> sources;
    std::string tag;
    const std::vector<std::string> ops =
        column({"_space_group_symop_operation_xyz", "_symmetry_equiv_pos_as_xyz",
                "_space_group_symop.operation_xyz"},
               &tag);
    if (!ops.empty()) {
      SpaceGroupLookup lookup = SpaceGroupFromOperations(ops);
      if (!lookup.group) fail(tag + ": " + lookup.error);
      sources.push_back({"the operations of " + tag, lookup.group});
    }
    const std::string hall = text(
        {"_space_group_name_Hall", "_symmetry_space_group_name_Hall", "_space_group.name_Hall"},
        &tag);
    if (!hall.empty()) {
      SpaceGroupLookup lookup = SpaceGroupFromHall(hall);
      if (!lookup.group) fail(tag + " '" + hall + "': " + lookup.error);
      sources.push_back({tag + " '" + hall + "'", lookup.group});
    }
    std::string name = text({"_space_group_name_H-M_alt", "_symmetry_space_group_name_H-M",
                             "_space_group.name_H-M_alt"},
                            &tag);
    const std::string nameTag = tag;
    if (!name.empty()) {
      const std::string setting = text(
          {"_space_group_IT_coordinate_system_code", "_space_group.IT_coordinate_system_code"});
      if (!namesSetting(name) && (setting == "1" || setting == "2" || setting == "H" ||
                                  setting == "R" || setting == "h" || setting == "r"))
        name += ":" + setting;
      SpaceGroupLookup lookup = SpaceGroupFromName(name, phase.cell.alpha, phase.cell.gamma);
      if (!lookup.group) {
        if (sources.empty()) fail(nameTag + " '" + name + "': " + lookup.error);
        warnings.push_back(source_ + ": " + where() + ": " + nameTag + " '" + name +
                           "' is no space group known here; " + sources.front().description +
                           " are used");
      } else {
        lookup.group = choiceOfOrigin(name, lookup.group, phase, warnings);
        sources.push_back({nameTag + " '" + name + "'", lookup.group});
      }
    }
    const std::string numberText = text(
        {"_space_group_IT_number", "_symmetry_Int_Tables_number", "_space_group.IT_number"}, &tag);
    int number = 0;
    if (!numberText.empty()) {
      const double x = cif::as_number(numberText);
      if (!(x >= 1 && x <= 230 && x == std::floor(x)))
        fail(tag + " '" + numberText + "' is not a space-group number (1 to 230)");
      number = static_cast<int>(x);
      if (sources.empty())
        sources.push_back({tag + " " + numberText, SpaceGroupFromNumber(number).group});
    }

    if (sources.empty()) {
      warnings.push_back(source_ + ": " + where() + ": no space group given; P 1 assumed");
      phase.group = TriclinicP1();
      return;
    }
    phase.group = sources.front().group;
    for (std::size_t i = 1; i < sources.size(); ++i)
      if (!sources[i].group->sameOperations(*phase.group))
        warnings.push_back(source_ + ": " + where() + ": " + sources[i].description + " (" +
                           symbolOf(*sources[i].group) + ") disagrees with " +
                           sources.front().description + " (" + symbolOf(*phase.group) +
                           "), which are used");
    if (number != 0 && phase.group->number() != 0 && phase.group->number() != number)
      warnings.push_back(source_ + ": " + where() + ": " + tag + " " + numberText +
                         " disagrees with " + sources.front().description + " (No. " +
                         std::to_string(phase.group->number()) + "), which are used");
    if (phase.group->symbol().empty()) {
      // Operations of a setting no table lists: the name the file gives, else a description.
      const std::string symbol = !name.empty()   ? name
                                 : !hall.empty() ? hall
                                 : number        ? "No. " + std::to_string(number)
                                                 : std::string("(listed operations)");
      phase.group = phase.group->withSymbol(symbol);
    }
  }

  static std::string symbolOf(const SpaceGroup& group) {
    return group.symbol().empty() ? "a setting of No. " + std::to_string(group.number())
                                  : group.symbol();
  }

  // A name with two origin choices and none given: the choice under which the atoms take the
  // fewest sites (they sit on special positions of the right one), origin choice 2 on a tie.
  SpaceGroupPointer choiceOfOrigin(const std::string& name, SpaceGroupPointer chosen,
                                   CrystalPhase& phase, std::vector<std::string>& warnings) {
    // This file is also built as C++17 (see its CMakeLists): no ends_with.
    const std::string symbol = chosen->symbol();
    if (namesSetting(name) || symbol.size() < 2 || symbol.compare(symbol.size() - 2, 2, ":2") != 0)
      return chosen;
    const std::string base = symbol.substr(0, symbol.size() - 2);
    SpaceGroupPointer first =
        SpaceGroupFromName(base + ":1", phase.cell.alpha, phase.cell.gamma).group;
    if (!first) return chosen;
    std::vector<AtomSite> atoms;
    try {
      atoms = atomSites(warnings, /*quiet=*/true);
    } catch (const BlockFault&) {
      return chosen; // the atoms' own fault is reported when they are read
    }
    std::size_t sitesFirst = 0, sitesSecond = 0;
    for (const AtomSite& atom : atoms) {
      sitesFirst += DistinctImages(*first, phase.cell, atom.xyz).size();
      sitesSecond += DistinctImages(*chosen, phase.cell, atom.xyz).size();
    }
    const SpaceGroupPointer result = sitesFirst < sitesSecond ? first : chosen;
    warnings.push_back(source_ + ": " + where() + ": '" + name + "' names no origin choice; " +
                       result->symbol() +
                       " taken, the choice that puts the atoms on the fewest sites");
    return result;
  }

  // "Fe3+", "O2-", "Si1", "SI": the element of the leading letters. A second capital counts
  // only when both are capitals and name an element ("SI"), so "O1A" and "OH" are oxygen.
  static std::string elementOf(const std::string& symbol) {
    const auto end = std::find_if_not(symbol.begin(), symbol.end(),
                                      [](unsigned char c) { return std::isalpha(c); });
    std::string letters = symbol.substr(0, std::min<std::ptrdiff_t>(end - symbol.begin(), 2));
    if (letters.size() == 2) {
      const bool secondSmall = std::islower(static_cast<unsigned char>(letters[1]));
      const bool bothCapital = std::isupper(static_cast<unsigned char>(letters[0])) &&
                               std::isupper(static_cast<unsigned char>(letters[1]));
      if (!((secondSmall || bothCapital) && gemmi::find_element(letters.c_str()) != gemmi::El::X))
        letters.resize(1);
    }
    return letters;
  }

  std::vector<AtomSite> atomSites(std::vector<std::string>& warnings, bool quiet) {
    enum { kX, kY, kZ, kLabel, kSymbol, kOccupancy, kU, kB };
    std::vector<AtomSite> atoms;
    const bool anyAtom = block_.find_values("_atom_site_label").item() ||
                         block_.find_values("_atom_site_type_symbol").item();
    for (const char* required : {"_atom_site_fract_x", "_atom_site_fract_y", "_atom_site_fract_z"})
      if (!block_.find_values(required).item()) {
        if (!anyAtom) return atoms; // a phase given by its cell and group alone
        fail(std::string(required) + " missing");
      }
    // gemmi wants the first tag present; the coordinates are.
    cif::Table table =
        block_.find("_atom_site_", {"fract_x", "?fract_y", "?fract_z", "?label", "?type_symbol",
                                    "?occupancy", "?U_iso_or_equiv", "?B_iso_or_equiv"});
    if (!table.ok() || table.length() == 0) return atoms;
    if (!table.has_column(kLabel) && !table.has_column(kSymbol))
      fail("_atom_site_label and _atom_site_type_symbol missing");
    int row = 0;
    for (auto r : table) {
      ++row;
      AtomSite atom;
      atom.label = r.has2(kLabel) ? restored(r.str(kLabel)) : "";
      const std::string symbol = r.has2(kSymbol) ? r.str(kSymbol) : atom.label;
      atom.element = elementOf(symbol);
      const std::string which =
          " of atom " + (atom.label.empty() ? std::to_string(row) : "'" + atom.label + "'");
      if (atom.element.empty() || gemmi::find_element(atom.element.c_str()) == gemmi::El::X)
        fail((r.has2(kSymbol) ? "_atom_site_type_symbol" : std::string("_atom_site_label")) +
             which + ": no element '" + restored(symbol) + "'");
      if (atom.label.empty()) atom.label = atom.element + std::to_string(row);
      const char* axes[3] = {"_atom_site_fract_x", "_atom_site_fract_y", "_atom_site_fract_z"};
      for (int i = 0; i < 3; ++i) {
        if (!r.has2(kX + i)) fail(std::string(axes[i]) + which + " missing");
        atom.xyz[static_cast<std::size_t>(i)] = number(axes[i] + which, r[kX + i]);
        if (std::fabs(atom.xyz[static_cast<std::size_t>(i)]) > 1e6)
          fail(std::string(axes[i]) + which + " out of range");
      }
      if (r.has2(kOccupancy)) {
        atom.occupancy = number("_atom_site_occupancy" + which, r[kOccupancy]);
        // Refinements leave a full site at 1.002 now and then; that is a full site.
        if (!(atom.occupancy >= 0 && atom.occupancy <= 1.05))
          fail("_atom_site_occupancy" + which + " out of range (0 to 1)");
        atom.occupancy = std::min(atom.occupancy, 1.0);
      }
      // U and B in square Angstrom; B = 8 π² U; stored in nm².
      const double pi = 3.14159265358979323846;
      double b = 0;
      if (r.has2(kU))
        b = 8 * pi * pi * number("_atom_site_U_iso_or_equiv" + which, r[kU]);
      else if (r.has2(kB))
        b = number("_atom_site_B_iso_or_equiv" + which, r[kB]);
      if (std::fabs(b) > 1e4) fail("displacement" + which + " out of range");
      if (b < 0) {
        if (!quiet)
          warnings.push_back(source_ + ": " + where() + ": negative displacement" + which +
                             " taken as 0");
        b = 0;
      }
      atom.bIsoNm2 = b / 100;
      atoms.push_back(atom);
    }
    return atoms;
  }

  void readAtoms(CrystalPhase& phase, std::vector<std::string>& warnings) {
    phase.atoms = atomSites(warnings, false);
    for (AtomSite& atom : phase.atoms) {
      atom.siteMultiplicity =
          static_cast<int>(DistinctImages(*phase.group, phase.cell, atom.xyz).size());
      atom.crystallographicOccupancy =
          atom.occupancy * atom.siteMultiplicity / phase.group->order();
    }
  }

  cif::Block& block_;
  const std::string& source_;
  std::string name_;
};

// A block says nothing about a crystal (a publication block, a global block): skipped quietly.
bool holdsCrystalData(cif::Block& block) {
  for (const char* tag : {"_cell_length_a", "_cell.length_a", "_atom_site_fract_x",
                          "_symmetry_equiv_pos_as_xyz", "_space_group_symop_operation_xyz",
                          "_symmetry_space_group_name_H-M", "_space_group_name_H-M_alt"})
    if (block.find_values(tag).item()) return true;
  return false;
}

} // namespace

CifImport ImportCifText(std::string_view text, const std::string& source) {
  CifImport result;
  cif::Document document;
  try {
    const std::string prepared = parserText(text);
    document = cif::read_memory(prepared.data(), prepared.size(), source.c_str());
  } catch (const std::exception& e) {
    result.errors.push_back(restored(e.what()));
    return result;
  }
  bool any = false;
  for (cif::Block& block : document.blocks) {
    if (!holdsCrystalData(block)) continue;
    any = true;
    BlockReader reader(block, source);
    std::vector<std::string> warnings;
    try {
      result.phases.push_back(reader.read(warnings));
      result.warnings.insert(result.warnings.end(), warnings.begin(), warnings.end());
    } catch (const BlockFault& e) {
      result.errors.push_back(std::string(e.what()) + "; the block is not imported");
    } catch (const std::exception& e) {
      result.errors.push_back(source + ": " + reader.where() + ": " + restored(e.what()) +
                              "; the block is not imported");
    }
  }
  if (!any) result.errors.push_back(source + ": no crystal data (no cell, group or atoms)");
  return result;
}

CifImport ImportCifFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    CifImport result;
    result.errors.push_back(path + ": cannot be read");
    return result;
  }
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxCifBytes) {
      CifImport result;
      result.errors.push_back(path + ": larger than 64 MB, not a crystal structure");
      return result;
    }
  }
  if (in.bad()) {
    CifImport result;
    result.errors.push_back(path + ": cannot be read");
    return result;
  }
  return ImportCifText(text, path);
}

} // namespace spot
