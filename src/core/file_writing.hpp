// Writing files so that a failure never leaves a part of one behind: a new file under a
// temporary name in the same folder, put into place whole; an append cut back when it fails.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace spot {

/// Why a file could not be written, in the system's words ("No space left on device").
struct FileWriteFailure {
  std::string reason;
  bool alreadyExists = false; ///< a file of the name stood where a new one was to go
};

/// std::fopen for any path: POSIX paths are bytes (UTF-8 here), Windows needs the wide form.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

/// A path as UTF-8 text, for messages (path::string() may throw on Windows).
std::string PathText(const std::filesystem::path& path);

/// The file `path` finally names, symbolic links followed (also a link whose target does not
/// exist yet); `path` itself when it is no link.
std::filesystem::path ResolvedFile(const std::filesystem::path& path);

/// A file written under a temporary name (".<name>.<random>.tmp") in the folder of its final
/// place and put there only when it is complete, so no reader ever sees part of it. What has not
/// been put in place is removed when the object goes. Not shared between threads; separate
/// objects may be used from any thread.
class PendingFile {
public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(PendingFile&& other) noexcept;
  PendingFile& operator=(PendingFile&& other) noexcept;
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  /// Creates the temporary file beside `target`. The final steps below take a target in the
  /// same folder.
  std::optional<FileWriteFailure> open(const std::filesystem::path& target);
  /// Adds bytes at the end. After the first failure nothing more is written, and every later
  /// call and the final step return that failure.
  std::optional<FileWriteFailure> write(std::string_view bytes);
  /// Bytes written so far.
  std::uintmax_t size() const { return size_; }

  /// Puts the file in the place of `target` (through symbolic links: a link stays a link and
  /// its target is replaced), with the permission bits of the file it replaces.
  std::optional<FileWriteFailure> replace(const std::filesystem::path& target);
  /// Puts the file at `target` only when no file of that name exists; otherwise fails with
  /// alreadyExists and the temporary file stays for another try.
  std::optional<FileWriteFailure> placeNew(const std::filesystem::path& target);
  /// Adds the whole content at the end of `target` (created when missing); on failure `target`
  /// is cut back to its old length, or removed when it was new.
  std::optional<FileWriteFailure> appendTo(const std::filesystem::path& target);

private:
  std::optional<FileWriteFailure> finish(); // flush to the disk and close
  void discard();

  std::FILE* file_ = nullptr;
  std::filesystem::path temporary_;
  std::uintmax_t size_ = 0;
  std::optional<FileWriteFailure> failure_;
};

/// `text` as the whole new content of `target`, which is either replaced whole or left as it
/// was (PendingFile::replace).
std::optional<FileWriteFailure> ReplaceFile(const std::filesystem::path& target,
                                            std::string_view text);
/// `text` as a new file `target`; an existing file of that name is never replaced
/// (PendingFile::placeNew).
std::optional<FileWriteFailure> WriteNewFile(const std::filesystem::path& target,
                                             std::string_view text);
/// `text` added at the end of `target` (created when missing) in one write, cut back to the old
/// length, or removed when new, if it fails.
std::optional<FileWriteFailure> AppendToFile(const std::filesystem::path& target,
                                             std::string_view text);

} // namespace spot
