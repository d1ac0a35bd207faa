// Writing files whole: replace through links with the old permission bits, new files that never
// replace, appends taken back on failure, and nothing left behind by a write that fails.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <tuple>

#ifdef __unix__
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "core/file_writing.hpp"

namespace spot {
namespace {

namespace fs = std::filesystem;

class FileWriting : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("spot-files-" + std::to_string(::getpid()) + "-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  static std::string bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void put(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
  }
  long entries() const { return std::distance(fs::directory_iterator(folder_), {}); }

#ifdef __unix__
  /// Runs `write` with files limited to `limit` bytes: a write beyond fails halfway, even for
  /// root.
  template <class Write> static auto withSizeLimit(rlim_t limit, Write write) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = write();
    setrlimit(RLIMIT_FSIZE, &saved);
    return result;
  }
#endif

  fs::path folder_;
};

TEST_F(FileWriting, ReplaceGoesThroughLinksAndKeepsThePermissionBits) {
  const fs::path file = folder_ / "样品 α.ini"; // a name beyond ASCII
  put(file, "old");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_FALSE(ReplaceFile(file, "new\r\n"));
  EXPECT_EQ(bytes(file), "new\r\n");
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // A relative link in another folder: the link stays a link, its target gets the new text.
  fs::create_directory(folder_ / "links");
  const fs::path link = folder_ / "links" / "Store.ini";
  fs::create_symlink(fs::path("..") / file.filename(), link);
  ASSERT_FALSE(ReplaceFile(link, "through"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(bytes(file), "through");
  EXPECT_EQ(ResolvedFile(link), folder_ / "links" / ".." / file.filename());
  // A link whose target does not exist yet creates the target.
  fs::create_symlink("later.ini", folder_ / "dangling.ini");
  ASSERT_FALSE(ReplaceFile(folder_ / "dangling.ini", "x"));
  EXPECT_EQ(bytes(folder_ / "later.ini"), "x");
  EXPECT_TRUE(fs::is_symlink(folder_ / "dangling.ini"));
  EXPECT_EQ(entries(), 4); // the file, links/, the link and its new target: no temporaries

  // A directory where the file should go: the rename fails and no temporary stays.
  fs::create_directory(folder_ / "busy");
  EXPECT_TRUE(ReplaceFile(folder_ / "busy", "x"));
  EXPECT_EQ(entries(), 5);
}

TEST_F(FileWriting, ANewFileNeverReplacesOneThatExists) {
  const fs::path file = folder_ / "report.txt";
  ASSERT_FALSE(WriteNewFile(file, "first"));
  const std::optional<FileWriteFailure> second = WriteNewFile(file, "second");
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->alreadyExists);
  EXPECT_EQ(bytes(file), "first");
  EXPECT_EQ(entries(), 1);

  // A pending file refused one name takes the next one.
  PendingFile pending;
  ASSERT_FALSE(pending.open(file));
  ASSERT_FALSE(pending.write("block 1;"));
  ASSERT_FALSE(pending.write("block 2"));
  EXPECT_EQ(pending.size(), 15u);
  EXPECT_TRUE(pending.placeNew(file)->alreadyExists);
  ASSERT_FALSE(pending.placeNew(folder_ / "report (2).txt"));
  EXPECT_EQ(bytes(folder_ / "report (2).txt"), "block 1;block 2");
  EXPECT_EQ(entries(), 2);

  // A pending file that is dropped leaves nothing, not even an open file.
  const auto openFiles = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
  };
  const bool proc = fs::exists("/proc/self/fd");
  const auto filesBefore = proc ? openFiles() : 0;
  {
    PendingFile dropped;
    ASSERT_FALSE(dropped.open(file));
    ASSERT_FALSE(dropped.write("lost"));
    EXPECT_EQ(entries(), 3);
  }
  EXPECT_EQ(entries(), 2);
  if (proc) {
    EXPECT_EQ(openFiles(), filesBefore);
  }

  // Moved into another, a pending file is written by that one; moved into itself, it stays.
  PendingFile original;
  ASSERT_FALSE(original.open(file));
  ASSERT_FALSE(original.write("moved"));
  PendingFile constructed(std::move(original)), assigned;
  assigned = std::move(constructed);
  PendingFile& same = assigned;
  assigned = std::move(same);
  ASSERT_FALSE(assigned.placeNew(folder_ / "moved.txt"));
  EXPECT_EQ(bytes(folder_ / "moved.txt"), "moved");
  EXPECT_EQ(entries(), 3);

  // A pending file never opened puts nothing anywhere, whichever way it is placed, and says why.
  const std::string badDescriptor = std::generic_category().message(EBADF);
  PendingFile idle;
  EXPECT_EQ(idle.write("x")->reason, badDescriptor);
  for (const auto& place :
       {&PendingFile::replace, &PendingFile::placeNew, &PendingFile::appendTo}) {
    PendingFile never;
    const std::optional<FileWriteFailure> failed = (never.*place)(folder_ / "never.txt");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->reason, badDescriptor);
    EXPECT_FALSE(failed->alreadyExists);
  }
  EXPECT_EQ(entries(), 3);
}

#ifdef __unix__
TEST_F(FileWriting, AFailedWriteLeavesEveryFileAsItWas) {
  const fs::path file = folder_ / "old.txt";
  put(file, "old line\r\n");
  const std::string longText(500, 'y');
  EXPECT_TRUE(withSizeLimit(100, [&] { return ReplaceFile(file, longText); }));
  EXPECT_TRUE(withSizeLimit(100, [&] { return AppendToFile(file, longText); }));
  EXPECT_TRUE(withSizeLimit(100, [&] { return AppendToFile(folder_ / "new.txt", longText); }));
  EXPECT_EQ(bytes(file), "old line\r\n");
  EXPECT_EQ(entries(), 1);
  // Once a write has failed, every later one says so, even one that would fit, and placing the
  // file fails and takes its temporary away at once.
  const auto failures = withSizeLimit(100, [&] {
    PendingFile broken;
    broken.open(file);
    const bool first = broken.write(std::string(100000, 'z')).has_value();
    const bool later = broken.write("x").has_value();
    return std::tuple{first, later, broken.replace(file).has_value(), entries()};
  });
  EXPECT_EQ(failures, std::tuple(true, true, true, 1));
  EXPECT_EQ(entries(), 1);

  // A pending file appended to an existing one: whole, or cut back to the old length. Its own
  // 95 bytes fit the limit, the 10 + 95 of the report do not.
  PendingFile pending;
  ASSERT_FALSE(pending.open(file));
  ASSERT_FALSE(pending.write(std::string(50, 'a')));
  ASSERT_FALSE(pending.write(std::string(45, 'b')));
  EXPECT_TRUE(withSizeLimit(100, [&] { return pending.appendTo(file); }));
  EXPECT_EQ(bytes(file), "old line\r\n");
  EXPECT_EQ(entries(), 1);
  ASSERT_FALSE(pending.open(file));
  ASSERT_FALSE(pending.write("more"));
  ASSERT_FALSE(pending.appendTo(file));
  EXPECT_EQ(bytes(file), "old line\r\nmore");
  EXPECT_EQ(entries(), 1);
  // Without a failure an append creates the file and then adds to it.
  ASSERT_FALSE(AppendToFile(folder_ / "new.txt", "a"));
  ASSERT_FALSE(AppendToFile(folder_ / "new.txt", "b"));
  EXPECT_EQ(bytes(folder_ / "new.txt"), "ab");
}
#endif

} // namespace
} // namespace spot
