// Reading and writing the measurement slots file.
#include "measurement/slots_file.hpp"

#include <cerrno>
#include <cmath>   // for floor
#include <cstring> // for strerror
#include <fstream>
#include <system_error>

#include "core/file_writing.hpp"
#include "core/lattice.hpp"
#include "core/numeric_text.hpp"

namespace spot {

namespace fs = std::filesystem;

fs::path SlotsFilePathIn(const fs::path& folder) { return folder / fs::path(kSlotsFileName); }

namespace {

SlotsFileFailure failure(SlotsFileError error, const fs::path& file, std::string detail = {}) {
  return {error, file, std::move(detail)};
}

// READING

/// The file's lines numbered from 1; a line the file does not have reads as empty.
struct FileLines {
  std::vector<std::string> lines;
  bool tooMany = false; // more than kSlotsFileMaxLines; `lines` holds the first ones
  std::optional<SlotsFileFailure> failure;

  const std::string& line(int number) const {
    static const std::string empty;
    if (number < 1 || number > static_cast<int>(lines.size())) return empty;
    return lines[static_cast<std::size_t>(number - 1)];
  }
};

/// Splits `text` at CR LF, LF and a CR alone (classic Mac OS); a last line without its end
/// counts. Stops after kSlotsFileMaxLines lines, marking a file that has more.
void splitLines(std::string_view text, FileLines& result) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (static_cast<int>(result.lines.size()) == kSlotsFileMaxLines) {
      result.tooMany = true;
      return;
    }
    result.lines.emplace_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

/// Reads up to kSlotsFileMaxLines lines of a file of at most kSlotsFileMaxBytes. A missing file
/// has no lines.
FileLines readLines(const fs::path& file) {
  FileLines result;
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (status.type() == fs::file_type::not_found) return result;
  if (ec || !fs::is_regular_file(status)) {
    result.failure = failure(SlotsFileError::CannotRead, file, ec ? ec.message() : "not a file");
    return result;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    result.failure = failure(SlotsFileError::CannotRead, file, std::strerror(errno));
    return result;
  }
  // Reading past the limit tells a file that is too large, also one that grew meanwhile. Read
  // in blocks, so that a file of a few kB (every real one) costs no 1 MiB buffer.
  std::string text;
  char block[16 * 1024];
  while (text.size() <= kSlotsFileMaxBytes) {
    in.read(block, sizeof block);
    text.append(block, static_cast<std::size_t>(in.gcount()));
    if (!in) break;
  }
  if (in.bad()) {
    result.failure = failure(SlotsFileError::CannotRead, file, std::strerror(errno));
    return result;
  }
  if (text.size() > kSlotsFileMaxBytes) {
    result.failure = failure(SlotsFileError::TooLarge, file);
    return result;
  }
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3); // a byte-order mark left by an editor
  splitLines(text, result);
  return result;
}

// WRITING

/// Writes the lines, each ended by CR LF, as the file's whole new content: the old file is either
/// untouched or wholly replaced.
std::optional<SlotsFileFailure> writeLines(const fs::path& file,
                                           const std::vector<std::string>& lines) {
  std::error_code ec;
  const fs::path folder = file.parent_path();
  if (!folder.empty()) {
    fs::create_directories(folder, ec);
    if (ec) return failure(SlotsFileError::CannotCreateFolder, file, ec.message());
  }
  std::string text;
  for (const std::string& line : lines)
    text += line + "\r\n";
  if (const std::optional<FileWriteFailure> written = ReplaceFile(file, text))
    return failure(SlotsFileError::CannotWrite, file, written->reason);
  return std::nullopt;
}

std::string singleLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

} // namespace

std::string SlotsFileMessage(const SlotsFileFailure& failure) {
  const std::string name = PathText(failure.file);
  const std::string reason = failure.detail.empty() ? "" : " (" + failure.detail + ")";
  switch (failure.error) {
  case SlotsFileError::CannotRead: return "Cannot read the slots file " + name + reason + ".";
  case SlotsFileError::TooManyLines:
    return "The slots file " + name + " has more than " + std::to_string(kSlotsFileMaxLines) +
           " lines and is not used; it was left unchanged.";
  case SlotsFileError::TooLarge:
    return "The slots file " + name + " is larger than " +
           std::to_string(kSlotsFileMaxBytes >> 20) +
           " MiB and is not used; it was left unchanged.";
  case SlotsFileError::CannotCreateFolder:
    return "Cannot create the folder for the slots file " + name + reason + ".";
  case SlotsFileError::CannotWrite:
    return "Cannot write the slots file " + name + reason +
           "; the data stored before were left unchanged.";
  case SlotsFileError::NoSuchSlot: return "The slots file " + name + " has no such slot.";
  }
  return {};
}

SlotsMenu PrepareSlotsMenu(const fs::path& file) {
  SlotsMenu menu;
  std::error_code ec;
  const FileLines read = readLines(file);
  if (read.failure) {
    menu.failure = read.failure;
  } else if (fs::status(file, ec).type() == fs::file_type::not_found) {
    menu.failure = writeLines(file, {});
  }
  for (int k = 0; k < kStoredSlotCount; ++k) {
    const std::string& name = read.line(k * kLinesPerSlot + kSlotNameLine);
    menu.importCaptions[static_cast<std::size_t>(k)] =
        "Import:  " + name + (k == 0 ? "  data" : " data");
  }
  return menu;
}

std::optional<SlotsFileFailure> SaveSlot(const fs::path& file, std::string_view name,
                                         const SlotContent& content) {
  if (name.empty()) return std::nullopt;
  const FileLines old = readLines(file);
  if (old.failure) return old.failure;
  if (old.tooMany) return failure(SlotsFileError::TooManyLines, file);

  // The new slot 1, then slots 1..3 as they were, moved down one slot.
  std::vector<std::string> lines(kSlotsFileLineCount);
  const auto slotLine = [&lines](int line) -> std::string& {
    return lines[static_cast<std::size_t>(line - 1)];
  };
  slotLine(kSlotNameLine) = singleLine(std::string(name));
  // A name that starts with U+FEFF would be read as an editor's byte-order mark and lose it:
  // a mark in front of it keeps it.
  if (slotLine(kSlotNameLine).starts_with("\xEF\xBB\xBF"))
    slotLine(kSlotNameLine).insert(0, "\xEF\xBB\xBF");
  for (int i = 0; i < kBoxCount; ++i)
    slotLine(kSlotFirstBoxLine + i) = singleLine(content.boxes[i]);
  slotLine(kSlotLatticeTypeLine) = std::to_string(content.comboPosition);
  slotLine(kSlotPhaseNameLine) = singleLine(content.phaseName);
  for (int j = kLinesPerSlot + 1; j <= kSlotsFileLineCount; ++j)
    slotLine(j) = old.line(j - kLinesPerSlot);
  return writeLines(file, lines);
}

SlotImport ImportSlot(const fs::path& file, int slot) {
  SlotImport result;
  if (slot < 1 || slot > kStoredSlotCount) {
    result.failure = failure(SlotsFileError::NoSuchSlot, file);
    return result;
  }
  const FileLines read = readLines(file);
  if (read.failure) {
    result.failure = read.failure;
    return result;
  }
  if (read.tooMany) {
    result.failure = failure(SlotsFileError::TooManyLines, file);
    return result;
  }

  const int before = kLinesPerSlot * (slot - 1); // lines of the slots above this one
  ImportedSlot imported;
  imported.name = read.line(before + kSlotNameLine);
  for (int i = 0; i < kBoxCount; ++i)
    imported.boxes[i] = read.line(before + kSlotFirstBoxLine + i);
  imported.phaseName = read.line(before + kSlotPhaseNameLine);
  const std::string& position = read.line(before + kSlotLatticeTypeLine);
  if (IsNumeric(position)) {
    const double whole = std::floor(NumericPrefix(position));
    if (whole >= -1 && whole < kLatticeTypeCount) imported.comboPosition = static_cast<int>(whole);
  }
  result.slot = std::move(imported);
  return result;
}

} // namespace spot
