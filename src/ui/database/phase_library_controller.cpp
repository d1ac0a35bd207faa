// The user's phase library behind the database panel.
#include "ui/database/phase_library_controller.hpp"

#include <QStringList>
#include <algorithm>

#include "core/file_writing.hpp"
#include "core/number_format.hpp"
#include "crystal/cif_import.hpp"
#include "crystal/phase_library.hpp"
#include "ui/common/prompts.hpp"
#include "ui/common/qt_text.hpp"
#include "ui/database/database_panel.hpp"

namespace spot {

std::string UserPhaseCaption(const CrystalPhase& phase) {
  const LatticeParameters& c = phase.cell;
  return phase.name + "  " +
         (phase.group ? phase.group->symbol() : std::string(LatticeSelectorText(phase.centring))) +
         "  a=" + FormatGeneral(c.a) + ",b=" + FormatGeneral(c.b) + ",c=" + FormatGeneral(c.c) +
         ",α=" + FormatGeneral(c.alpha) + ",β=" + FormatGeneral(c.beta) +
         ",γ=" + FormatGeneral(c.gamma);
}

PhaseLibraryController::PhaseLibraryController(DatabasePanel& panel, Prompts& prompts,
                                               std::filesystem::path path, QObject* parent)
    : QObject(parent), panel_(panel), prompts_(prompts), path_(std::move(path)) {
  PhaseLibrary library = LoadPhaseLibrary(path_);
  phases_ = std::move(library.phases);
  if (library.error) {
    readOnly_ = true;
    prompts_.showMessage(FromUtf8(*library.error));
  }
  showInPanel();
  connect(&panel_, &DatabasePanel::importRequested, this, &PhaseLibraryController::chooseAndImport);
  connect(&panel_, &DatabasePanel::removeRequested, this, &PhaseLibraryController::remove);
}

void PhaseLibraryController::showInPanel() {
  std::vector<std::string> captions;
  for (const CrystalPhase& p : phases_)
    captions.push_back(UserPhaseCaption(p));
  panel_.setUserPhases(captions);
}

bool PhaseLibraryController::save(std::vector<CrystalPhase> changed) {
  if (readOnly_) {
    prompts_.showMessage(QStringLiteral("The phase library ") + FromUtf8(PathText(path_)) +
                         QStringLiteral(" could not be read whole when SpotIndex started, so it "
                                        "is left as it is; repair or move it, then start again."));
    return false;
  }
  if (const auto failure = SavePhaseLibrary(path_, changed)) {
    prompts_.showMessage(FromUtf8(*failure));
    return false;
  }
  phases_ = std::move(changed);
  showInPanel();
  return true;
}

void PhaseLibraryController::chooseAndImport() {
  const QStringList files = prompts_.chooseFilesToOpen(
      QStringLiteral("Import CIF"), QString(),
      QStringLiteral("Crystallographic files (*.cif *.CIF);;All files (*)"));
  if (!files.isEmpty()) importFiles(files);
}

int PhaseLibraryController::importFiles(const QStringList& files) {
  std::vector<CrystalPhase> changed = phases_;
  QStringList problems;
  int added = 0;
  for (const QString& file : files) {
    const CifImport imported = ImportCifFile(ToUtf8(file));
    for (const std::string& e : imported.errors)
      problems << FromUtf8(e);
    for (const std::string& w : imported.warnings)
      problems << FromUtf8(w);
    for (const CrystalPhase& p : imported.phases) {
      changed.push_back(p);
      ++added;
    }
  }
  if (added > 0 && !save(std::move(changed))) added = 0;
  if (!problems.isEmpty())
    prompts_.showMessage(QStringLiteral("Imported %1 phase(s).\r\n").arg(added) +
                         problems.join(QStringLiteral("\r\n")));
  return added;
}

void PhaseLibraryController::remove(const std::vector<int>& positions) {
  if (positions.empty()) return;
  std::vector<CrystalPhase> changed;
  for (std::size_t i = 0; i < phases_.size(); ++i)
    if (std::find(positions.begin(), positions.end(), static_cast<int>(i) + 1) == positions.end())
      changed.push_back(phases_[i]);
  save(std::move(changed));
}

} // namespace spot
