// Phases from CIF files: cell, space group, atoms. Every data block with crystal data is a phase;
// a block with a fault imports nothing of itself and is named in an error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "crystal/crystal_phase.hpp"

namespace spot {

struct CifImport {
  std::vector<CrystalPhase> phases;
  std::vector<std::string> warnings; ///< "FILE: block 'x': ..." each
  std::vector<std::string> errors;   ///< "FILE: _cell_angle_beta missing in block 'x'" each
};

/// Reads CIF text (UTF-8 or Latin-1, LF or CR LF). `source` names the file in every message.
CifImport ImportCifText(std::string_view text, const std::string& source);

/// Reads a file; a file that cannot be read is one error naming it.
CifImport ImportCifFile(const std::string& path);

/// Largest CIF file read, in bytes: far above any crystal structure.
inline constexpr std::size_t kMaxCifBytes = 64u << 20;

} // namespace spot
