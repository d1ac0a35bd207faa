// Fuzzes the slots file: any bytes as Store.ini. Reading never changes the file; a refused file
// is left byte-identical by a save; an accepted one, once saved into, reads back what was
// written in slot 1 and the old slots 1 to 3 in slots 2 to 4.
#include <algorithm>
#include <cstdlib> // for mkdtemp
#include <filesystem>
#include <fstream>
#include <unistd.h> // for access

#include "fuzz_check.hpp"
#include "measurement/slots_file.hpp"

namespace {

using namespace spot;
namespace fs = std::filesystem;

// One folder for the whole run, removed when libFuzzer exits. A run writes the file thousands of
// times a second: in memory (/dev/shm) where the system has it.
const fs::path& slotsFile() {
  static const fs::path file = [] {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    std::string pattern = (base / "spot-slots-fuzz-XXXXXX").string();
    FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr, "a temporary folder");
    static const fs::path folder = pattern;
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(folder, ignored);
    });
    return SlotsFilePathIn(folder);
  }();
  return file;
}

std::string bytesOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A saved text holds no line break: each would shift every line after it.
std::string asSaved(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

bool sameSlot(const ImportedSlot& x, const ImportedSlot& y) {
  return x.name == y.name && x.boxes.text == y.boxes.text && x.phaseName == y.phaseName &&
         x.comboPosition == y.comboPosition;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& file = slotsFile();
  const std::string original(spot::fuzz::AsText(data, size));
  std::ofstream(file, std::ios::binary | std::ios::trunc) << original;

  const SlotsMenu menu = PrepareSlotsMenu(file);
  FUZZ_CHECK(!menu.failure, "an existing readable file opens the menu");
  for (const std::string& caption : menu.importCaptions)
    FUZZ_CHECK(caption.find_first_of("\r\n") == std::string::npos, "a caption is one line");
  std::array<SlotImport, kStoredSlotCount> before;
  for (int slot = 1; slot <= kStoredSlotCount; ++slot)
    before[slot - 1] = ImportSlot(file, slot);
  FUZZ_CHECK(bytesOf(file) == original, "reading leaves the file alone");

  // The content saved: what slot 2 holds, so that odd texts are written too.
  SlotContent content;
  std::string name = "picture";
  if (before[1].slot) {
    content.boxes = before[1].slot->boxes;
    content.phaseName = before[1].slot->phaseName;
    content.comboPosition = before[1].slot->comboPosition.value_or(2);
    name = before[1].slot->name;
    FUZZ_CHECK(!SaveSlot(file, "", content), "an empty name saves nothing");
    FUZZ_CHECK(bytesOf(file) == original, "an empty name leaves the file alone");
    if (name.empty()) name = "picture";
  }

  const std::optional<SlotsFileFailure> saved = SaveSlot(file, name, content);
  if (!before[0].slot) {
    FUZZ_CHECK(saved, "a file that cannot be imported is not saved into either");
    FUZZ_CHECK(!SlotsFileMessage(*saved).empty(), "a message");
    FUZZ_CHECK(bytesOf(file) == original, "a refused file stays byte-identical");
    return 0;
  }
  FUZZ_CHECK(!saved, saved ? SlotsFileMessage(*saved) : "");

  const std::string written = bytesOf(file);
  FUZZ_CHECK(std::count(written.begin(), written.end(), '\n') == kSlotsFileLineCount, "168 lines");
  FUZZ_CHECK(written.ends_with("\r\n"), "CR LF line ends");

  const SlotImport first = ImportSlot(file, 1);
  FUZZ_CHECK(first.slot, "the saved slot imports");
  FUZZ_CHECK(first.slot->name == asSaved(name), name + " read back as " + first.slot->name);
  for (int i = 0; i < kBoxCount; ++i)
    FUZZ_CHECK(first.slot->boxes[i] == asSaved(content.boxes[i]), "box " + std::to_string(i));
  FUZZ_CHECK(first.slot->phaseName == asSaved(content.phaseName), "phase name");
  FUZZ_CHECK(first.slot->comboPosition == content.comboPosition, "selector position");
  for (int slot = 2; slot <= kStoredSlotCount; ++slot) {
    const SlotImport moved = ImportSlot(file, slot);
    FUZZ_CHECK(moved.slot && before[slot - 2].slot, "slots import after a save");
    FUZZ_CHECK(sameSlot(*moved.slot, *before[slot - 2].slot),
               "slot " + std::to_string(slot - 1) + " moves down unchanged");
  }
  return 0;
}
