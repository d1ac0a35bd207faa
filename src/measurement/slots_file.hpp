// The measurement slots file: four stored states of the main window's boxes, 42 lines each,
// with the import menu's captions, saving into slot 1 and importing any slot.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/boxes.hpp"

namespace spot {

inline constexpr std::string_view kSlotsFileName = "Store.ini";
inline constexpr int kStoredSlotCount = 4;

/// The lines of one slot, numbered from 1 within the slot; slot k (1..4) starts after
/// (k - 1) · kLinesPerSlot lines of the file.
inline constexpr int kSlotNameLine = 1;     ///< the picture name the slot was saved under
inline constexpr int kSlotFirstBoxLine = 2; ///< Text1(0); Text1(i) stands on line 2 + i
inline constexpr int kSlotLatticeTypeLine = kSlotFirstBoxLine + kBoxCount;   ///< 41: Combo1
inline constexpr int kSlotPhaseNameLine = kSlotLatticeTypeLine + 1;          ///< 42: Text6
inline constexpr int kLinesPerSlot = kSlotPhaseNameLine;                     // 42
inline constexpr int kSlotsFileLineCount = kStoredSlotCount * kLinesPerSlot; // 168
/// Longer files are not a slots file this program wrote: Save and Import leave them alone.
inline constexpr int kSlotsFileMaxLines = 2000;
/// Larger files are not read at all (a slots file this program wrote is well under 100 kB):
/// the menu, Save and Import leave them alone.
inline constexpr std::uintmax_t kSlotsFileMaxBytes = 1 << 20; // 1 MiB

/// `folder`/Store.ini.
std::filesystem::path SlotsFilePathIn(const std::filesystem::path& folder);

// FAILURES

enum class SlotsFileError {
  CannotRead,         ///< the file exists but could not be read
  TooManyLines,       ///< more than kSlotsFileMaxLines lines
  TooLarge,           ///< more than kSlotsFileMaxBytes bytes
  CannotCreateFolder, ///< the folder for the file could not be created
  CannotWrite,        ///< the new file could not be written or put in place
  NoSuchSlot,         ///< a slot number outside 1..4
};

struct SlotsFileFailure {
  SlotsFileError error;
  std::filesystem::path file;
  std::string detail; ///< the system's reason, when there is one
};

/// One sentence for a message box, naming the file.
std::string SlotsFileMessage(const SlotsFileFailure& failure);

// STATE OF ONE SLOT

/// What a slot holds besides its name.
struct SlotContent {
  BoxTexts boxes;        ///< Text1(0)..Text1(38), texts exactly as they stood
  int comboPosition = 0; ///< lattice-type selector position, 0..4 or -1 for none
  std::string phaseName; ///< Text6
};

// MENU

struct SlotsMenu {
  /// "Import:  <name>  data" for slot 1, "Import:  <name> data" for slots 2..4.
  std::array<std::string, kStoredSlotCount> importCaptions;
  std::optional<SlotsFileFailure> failure;
};

/// The import items' captions from the names in the file (its first 2000 lines). A missing file
/// is created empty, with its folder, as the place later saves go to.
SlotsMenu PrepareSlotsMenu(const std::filesystem::path& file);

// SAVE

/// Writes `content` under `name` into slot 1 and moves slots 1..3 down to 2..4 (slot 4 is
/// dropped); the file then has exactly 168 lines. An empty name writes nothing. The new file
/// is written beside the old one and renamed over it, so a failure leaves the old file intact.
/// Line breaks inside a text are stored as blanks: they would shift every following line.
std::optional<SlotsFileFailure> SaveSlot(const std::filesystem::path& file, std::string_view name,
                                         const SlotContent& content);

// IMPORT

struct ImportedSlot {
  std::string name;      ///< the picture name the slot was saved under
  BoxTexts boxes;        ///< texts for Text1(0)..Text1(38)
  std::string phaseName; ///< text for Text6
  /// The selector position; nullopt when the slot's line is not a number or not a position
  /// (an empty slot). Then only the boxes and the phase name are taken: the selector, the
  /// calculator's outputs and the results list stay as they are.
  std::optional<int> comboPosition;
};

struct SlotImport {
  std::optional<ImportedSlot> slot; ///< nullopt when the file could not be used
  std::optional<SlotsFileFailure> failure;
};

/// Reads slot 1..4. A missing file reads as empty slots.
SlotImport ImportSlot(const std::filesystem::path& file, int slot);

} // namespace spot
