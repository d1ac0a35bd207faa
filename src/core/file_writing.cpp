// Writing files whole: temporary file and rename, or an append that is taken back on failure.
#include "core/file_writing.hpp"

#include <cerrno>
#include <functional>
#include <random>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h> // _commit, _fileno
#include <windows.h>
#else
#include <fcntl.h>  // AT_FDCWD
#include <unistd.h> // fsync, link, unlink
#endif

namespace spot {

namespace fs = std::filesystem;

namespace {

FileWriteFailure failureOf(std::error_code error) { return {error.message(), false}; }
FileWriteFailure failureOf(int error) {
  return failureOf(std::error_code(error != 0 ? error : EIO, std::generic_category()));
}

/// The data handed to the file system, and from there to the disk, before the file counts as
/// written: a rename after a crash must not put an empty file in the place of a good one.
int flushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return errno != 0 ? errno : EIO;
#ifdef _WIN32
  if (_commit(_fileno(file)) != 0) return errno != 0 ? errno : EIO;
#else
  if (fsync(fileno(file)) != 0 && errno != EINVAL) return errno; // EINVAL: cannot be synced
#endif
  return 0;
}

/// Renames `from` to `to` unless `to` exists, without a moment in which another program could
/// create `to` between the look and the rename where the system allows it.
std::error_code renameNoReplace(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
    return std::make_error_code(std::errc::file_exists);
  return {static_cast<int>(error), std::system_category()};
#else
#ifdef RENAME_NOREPLACE
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
    return {errno, std::generic_category()};
#endif
  // A hard link fails when the name exists; then the temporary name goes.
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return {};
  }
  if (errno == EEXIST) return {EEXIST, std::generic_category()};
  // A file system without hard links: look, then rename.
  std::error_code ec;
  if (fs::symlink_status(to, ec).type() != fs::file_type::not_found)
    return std::make_error_code(std::errc::file_exists);
  fs::rename(from, to, ec);
  return ec;
#endif
}

/// Appends what `writeAll` writes (0 or the errno of its failure) to `target`, and takes it all
/// back when any part fails.
std::optional<FileWriteFailure> appendWithRollBack(const fs::path& target,
                                                   const std::function<int(std::FILE*)>& writeAll) {
  const fs::path file = ResolvedFile(target);
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  const bool existed = status.type() != fs::file_type::not_found; // not found also sets ec
  if (ec && existed) return failureOf(ec);
  std::uintmax_t sizeBefore = 0;
  if (existed) {
    sizeBefore = fs::file_size(file, ec);
    if (ec) return failureOf(ec);
  }

  errno = 0;
  std::FILE* out = OpenFile(file, "ab");
  if (out == nullptr) return failureOf(errno);
  int error = writeAll(out);
  if (error == 0) error = flushToDisk(out);
  if (std::fclose(out) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (error == 0) return std::nullopt;

  // Take back whatever part reached the file.
  std::error_code ignored;
  if (existed)
    fs::resize_file(file, sizeBefore, ignored);
  else
    fs::remove(file, ignored);
  return failureOf(error);
}

int writeBytes(std::FILE* out, std::string_view bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size()) return 0;
  return errno != 0 ? errno : EIO;
}

} // namespace

std::FILE* OpenFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(path.c_str(), wideMode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path ResolvedFile(const fs::path& path) {
  fs::path current = path;
  for (int hop = 0; hop < 40; ++hop) { // as many as the system follows; a loop then fails to open
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(current, ec)) || ec) return current;
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) return current;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current;
}

// PENDING FILE

PendingFile::~PendingFile() { discard(); }

PendingFile::PendingFile(PendingFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), temporary_(std::move(other.temporary_)),
      size_(other.size_), failure_(std::move(other.failure_)) {
  other.temporary_.clear();
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
  if (this != &other) {
    discard();
    file_ = std::exchange(other.file_, nullptr);
    temporary_ = std::move(other.temporary_);
    other.temporary_.clear();
    size_ = other.size_;
    failure_ = std::move(other.failure_);
  }
  return *this;
}

std::optional<FileWriteFailure> PendingFile::open(const fs::path& target) {
  discard();
  size_ = 0;
  failure_.reset();
  // Beside the file the target finally names, so that the rename stays on one file system.
  const fs::path place = ResolvedFile(target);
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path name = ".";
    name += place.filename();
    name += "." + std::to_string(random() % 1000000) + ".tmp";
    temporary_ = place.parent_path() / name;
    errno = 0;
    file_ = OpenFile(temporary_, "wbx"); // "x": a new file, never one that exists
    if (file_ != nullptr) return std::nullopt;
    if (errno != EEXIST) break;
  }
  temporary_.clear();
  failure_ = failureOf(errno);
  return failure_;
}

std::optional<FileWriteFailure> PendingFile::write(std::string_view bytes) {
  if (failure_) return failure_;
  if (file_ == nullptr) return failure_ = failureOf(EBADF);
  if (const int error = writeBytes(file_, bytes)) return failure_ = failureOf(error);
  size_ += bytes.size();
  return std::nullopt;
}

std::optional<FileWriteFailure> PendingFile::finish() {
  if (failure_ || file_ == nullptr) return failure_;
  int error = flushToDisk(file_);
  if (std::fclose(file_) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  file_ = nullptr;
  if (error != 0) failure_ = failureOf(error);
  return failure_;
}

void PendingFile::discard() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) {
    std::error_code ignored;
    fs::remove(temporary_, ignored);
    temporary_.clear();
  }
}

std::optional<FileWriteFailure> PendingFile::replace(const fs::path& target) {
  if (temporary_.empty() && !failure_) failure_ = failureOf(EBADF);
  if (finish()) {
    discard();
    return failure_;
  }
  const fs::path place = ResolvedFile(target);
  std::error_code ec;
  // A file the user made private (or shared) stays so after the save.
  const fs::file_status old = fs::status(place, ec);
  if (!ec && fs::exists(old)) fs::permissions(temporary_, old.permissions(), ec);
  fs::rename(temporary_, place, ec);
  if (ec) {
    discard();
    return failureOf(ec);
  }
  temporary_.clear();
  return std::nullopt;
}

std::optional<FileWriteFailure> PendingFile::placeNew(const fs::path& target) {
  if (temporary_.empty() && !failure_) failure_ = failureOf(EBADF);
  if (finish()) {
    discard();
    return failure_;
  }
  if (const std::error_code ec = renameNoReplace(temporary_, target)) {
    if (ec == std::errc::file_exists) return FileWriteFailure{ec.message(), true};
    discard();
    return failureOf(ec);
  }
  temporary_.clear();
  return std::nullopt;
}

std::optional<FileWriteFailure> PendingFile::appendTo(const fs::path& target) {
  if (temporary_.empty() && !failure_) failure_ = failureOf(EBADF);
  if (finish()) {
    discard();
    return failure_;
  }
  std::optional<FileWriteFailure> result =
      appendWithRollBack(target, [this](std::FILE* out) -> int {
        errno = 0;
        std::FILE* in = OpenFile(temporary_, "rb");
        if (in == nullptr) return errno != 0 ? errno : EIO;
        char buffer[1 << 16];
        int error = 0;
        std::uintmax_t copied = 0;
        while (error == 0) {
          const std::size_t read = std::fread(buffer, 1, sizeof buffer, in);
          if (read == 0) break;
          error = writeBytes(out, std::string_view(buffer, read));
          copied += read;
        }
        if (error == 0 && (std::ferror(in) || copied != size_)) error = EIO;
        std::fclose(in);
        return error;
      });
  discard();
  return result;
}

// WHOLE TEXTS

std::optional<FileWriteFailure> ReplaceFile(const fs::path& target, std::string_view text) {
  PendingFile file;
  if (auto failure = file.open(target)) return failure;
  if (auto failure = file.write(text)) return failure;
  return file.replace(target);
}

std::optional<FileWriteFailure> WriteNewFile(const fs::path& target, std::string_view text) {
  PendingFile file;
  if (auto failure = file.open(target)) return failure;
  if (auto failure = file.write(text)) return failure;
  return file.placeNew(target);
}

std::optional<FileWriteFailure> AppendToFile(const fs::path& target, std::string_view text) {
  return appendWithRollBack(target, [text](std::FILE* out) { return writeBytes(out, text); });
}

} // namespace spot
