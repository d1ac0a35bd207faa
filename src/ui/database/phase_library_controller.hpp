// The user's phase library behind the database panel: read at start, "Import CIF..." adds the
// phases of the chosen files, "Remove" takes them out; every change is saved at once.
#pragma once

#include <QObject>
#include <filesystem>
#include <vector>

#include "crystal/crystal_phase.hpp"

namespace spot {

class DatabasePanel;
class Prompts;

class PhaseLibraryController : public QObject {
  Q_OBJECT
public:
  /// Reads the library at `path` and shows its phases in the panel; a library that cannot be
  /// read whole is reported and then never written.
  PhaseLibraryController(DatabasePanel& panel, Prompts& prompts, std::filesystem::path path,
                         QObject* parent = nullptr);

  const std::vector<CrystalPhase>& phases() const { return phases_; }
  const std::filesystem::path& path() const { return path_; }

  /// Imports the files (what "Import CIF..." does after its dialog); returns the phases added.
  int importFiles(const QStringList& files);
  /// Removes the user phases at these 1-based positions.
  void remove(const std::vector<int>& positions);

private:
  void chooseAndImport();
  /// Saves `changed` as the library; on success it becomes the library shown.
  bool save(std::vector<CrystalPhase> changed);
  void showInPanel();

  DatabasePanel& panel_;
  Prompts& prompts_;
  std::filesystem::path path_;
  std::vector<CrystalPhase> phases_;
  bool readOnly_ = false; ///< the file could not be read whole: it is left as it is
};

/// The tree caption of a user phase: "Si  F d -3 m:2  a=0.54307,b=...,γ=90".
std::string UserPhaseCaption(const CrystalPhase& phase);

} // namespace spot
