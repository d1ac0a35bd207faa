// The user phase library as a CIF file of our own writing, read back through the CIF import.
#include "crystal/phase_library.hpp"

#include <algorithm> // find_if_not
#include <cctype>    // isdigit
#include <charconv>  // to_chars: "." whatever the locale
#include <cstdlib>   // getenv
#include <system_error>

#include "core/file_writing.hpp"
#include "crystal/cif_import.hpp"

namespace spot {
namespace {

// Enough digits that the value reads back as the same double.
std::string number(double value, int digits = 15) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  return std::string(buffer, result.ptr);
}

// A CIF value in single quotes unless it needs none; a quote followed by a blank would end it,
// so such texts go into a text field.
std::string quoted(const std::string& text) {
  if (text.find('\n') != std::string::npos || text.find("' ") != std::string::npos ||
      (!text.empty() && text.back() == '\''))
    return "\n;" + text + "\n;";
  return "'" + text + "'";
}

// Block names: no blanks, not empty, unique within the file.
std::string blockName(const CrystalPhase& phase, std::size_t index) {
  std::string name;
  for (const char c : phase.block.empty() ? phase.name : phase.block)
    name += (c == ' ' || c == '\t' || c == '\n' || c == '\r') ? '_' : c;
  return "phase" + std::to_string(index + 1) + (name.empty() ? "" : "_" + name);
}

// The block a phase came from, without the "phaseN_" this file put before it: otherwise every
// save would add another.
std::string originalBlock(const std::string& block) {
  if (block.compare(0, 5, "phase") != 0) return block;
  const auto digits = block.begin() + 5;
  const auto after =
      std::find_if_not(digits, block.end(), [](unsigned char c) { return std::isdigit(c); });
  if (after == digits) return block;
  if (after == block.end()) return "";
  return *after == '_' ? std::string(after + 1, block.end()) : block;
}

} // namespace

std::string PhaseLibraryText(const std::vector<CrystalPhase>& phases) {
  std::string text = "# SpotIndex phase library\n";
  for (std::size_t i = 0; i < phases.size(); ++i) {
    const CrystalPhase& p = phases[i];
    text += "\ndata_" + blockName(p, i) + "\n";
    text += "_spotindex_phase_name " + quoted(p.name) + "\n";
    // Angstrom in the file; 12 digits give back the nm value that 0.1 x the file's text gave.
    text += "_cell_length_a " + number(p.cell.a * 10, 12) + "\n";
    text += "_cell_length_b " + number(p.cell.b * 10, 12) + "\n";
    text += "_cell_length_c " + number(p.cell.c * 10, 12) + "\n";
    text += "_cell_angle_alpha " + number(p.cell.alpha, 17) + "\n";
    text += "_cell_angle_beta " + number(p.cell.beta, 17) + "\n";
    text += "_cell_angle_gamma " + number(p.cell.gamma, 17) + "\n";
    if (p.group) {
      text += "_space_group_name_H-M_alt " + quoted(p.group->symbol()) + "\n";
      text += "loop_\n_space_group_symop_operation_xyz\n";
      for (const std::string& op : p.group->triplets())
        text += op + "\n";
    }
    if (!p.atoms.empty()) {
      text += "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n"
              "_atom_site_fract_y\n_atom_site_fract_z\n_atom_site_occupancy\n"
              "_atom_site_B_iso_or_equiv\n";
      for (const AtomSite& a : p.atoms)
        text += quoted(a.label) + " " + a.element + " " + number(a.xyz[0], 17) + " " +
                number(a.xyz[1], 17) + " " + number(a.xyz[2], 17) + " " + number(a.occupancy, 17) +
                " " + number(a.bIsoNm2 * 100, 17) + "\n";
    }
  }
  return text;
}

PhaseLibrary LoadPhaseLibrary(const std::filesystem::path& path) {
  PhaseLibrary library;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec) && !ec) return library;
  const CifImport imported = ImportCifFile(PathText(path));
  library.phases = imported.phases;
  for (CrystalPhase& phase : library.phases)
    phase.block = originalBlock(phase.block);
  // A library that lost a block, or that is no CIF at all, is not ours to overwrite.
  if (!imported.errors.empty()) {
    const bool emptyFile = imported.phases.empty() && std::filesystem::file_size(path, ec) < 64 &&
                           !ec &&
                           imported.errors.front().find("no crystal data") != std::string::npos;
    if (!emptyFile)
      library.error = "The phase library " + PathText(path) +
                      " could not be read whole and is left as it is: " + imported.errors.front();
  }
  return library;
}

std::optional<std::string> SavePhaseLibrary(const std::filesystem::path& path,
                                            const std::vector<CrystalPhase>& phases) {
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  if (const auto failure = ReplaceFile(path, PhaseLibraryText(phases)))
    return "The phase library " + PathText(path) + " could not be written: " + failure->reason;
  return std::nullopt;
}

std::filesystem::path DefaultPhaseLibraryPath() {
  std::filesystem::path base;
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home && *home ? home : ".") / ".local" / "share";
  }
  return base / "SpotIndex" / "SpotIndex" / kPhaseLibraryFileName;
}

} // namespace spot
