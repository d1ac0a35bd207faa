// The popup menu pop3 of the "Picture measurement" frame: "Save Calculated Data" and the four
// "Import:" items of the measurement slots file.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <array>
#include <filesystem>

#include "measurement/slots_file.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/prompts.hpp"

class QComboBox;

namespace spot {

class SlotsMenuController : public QObject {
  Q_OBJECT
public:
  /// Saves and imports the boxes, the phase name Text6 and the lattice type Combo1.
  SlotsMenuController(BoxArray& boxes, QLineEdit& phaseName, QComboBox& latticeType,
                      Prompts& prompts, Places& places, QObject* parent = nullptr);
  ~SlotsMenuController() override;

  /// Refreshes the import items from the slots file and pops the menu up at `globalPosition`
  /// without waiting for a choice.
  void showSlotsMenu(QPoint globalPosition);

  /// Opens the menu on a right press on the frame itself; the window installs this object as
  /// an event filter on Frame3(0). Presses on the boxes inside are theirs.
  bool eventFilter(QObject* watched, QEvent* event) override;

  /// Reads the names in the file into the import items' captions (a missing file is created
  /// empty); a file that cannot be read or created is reported.
  void refreshCaptions();
  /// "Save Calculated Data" (pop30): asks for a picture name and saves the window into slot 1.
  void save();
  /// "Import:" (pop31..pop34): slot 1..4 back into the window.
  void importSlot(int slot);

  QMenu* menu() const { return menu_; }
  QAction* saveAction() const { return saveAction_; }
  QAction* importAction(int slot) const {
    return importActions_.at(static_cast<std::size_t>(slot - 1));
  }

signals:
  /// A slot with a lattice type was imported: the phase panel shows the imported caption, the
  /// calculator's outputs, the results and the summary go back to empty.
  void phaseImported();

private:
  std::filesystem::path slotsFile() const;
  void report(const SlotsFileFailure& failure);

  BoxArray& boxes_;
  QLineEdit& phaseName_;
  QComboBox& latticeType_;
  Prompts& prompts_;
  Places& places_;
  QMenu* menu_;
  QAction* saveAction_;
  std::array<QAction*, kStoredSlotCount> importActions_{};
};

} // namespace spot
