// The user's own phases, kept in one CIF file beside the slots file: written whole to a new file
// and renamed over the old one; a file that cannot be read is reported and never overwritten.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "crystal/crystal_phase.hpp"

namespace spot {

/// "Phases.cif", the name of the library file in the application-data folder.
inline constexpr const char* kPhaseLibraryFileName = "Phases.cif";

struct PhaseLibrary {
  std::vector<CrystalPhase> phases;
  /// Set when the file exists but could not be read whole: the phases hold what could be read,
  /// and the file must not be replaced (it would lose the rest).
  std::optional<std::string> error;
};

/// Reads the library; a missing file is an empty library.
PhaseLibrary LoadPhaseLibrary(const std::filesystem::path& path);

/// The library as CIF text, one data block per phase, numbers written so they read back exactly.
std::string PhaseLibraryText(const std::vector<CrystalPhase>& phases);

/// Writes the whole library; on failure the old file stays as it was and the reason is returned.
std::optional<std::string> SavePhaseLibrary(const std::filesystem::path& path,
                                            const std::vector<CrystalPhase>& phases);

/// Where the window keeps it for the command line: $XDG_DATA_HOME (else ~/.local/share) followed
/// by SpotIndex/SpotIndex/Phases.cif, the folder the window's slots file is in.
std::filesystem::path DefaultPhaseLibraryPath();

} // namespace spot
