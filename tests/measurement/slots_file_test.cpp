// The slots file: layout, save order, import, limits, encoding and failed writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#ifdef __unix__
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "measurement/slots_file.hpp"

namespace spot {
namespace {

namespace fs = std::filesystem;

class SlotsFile : public ::testing::Test {
protected:
  void SetUp() override {
    // One folder per process and test: builds of two checkouts may run the suite at once.
    folder_ = fs::temp_directory_path() /
              ("spot-slots-" + std::to_string(::getpid()) + "-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    file_ = SlotsFilePathIn(folder_ / "SpotIndex");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(file_.parent_path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder_, ignored);
  }

  std::string bytes() const {
    std::ifstream in(file_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void writeBytes(const std::string& text) const {
    fs::create_directories(file_.parent_path());
    std::ofstream(file_, std::ios::binary) << text;
  }
  static SlotContent contentNamed(const std::string& tag) {
    SlotContent content;
    for (int i = 0; i < kBoxCount; ++i)
      content.boxes[i] = tag + std::to_string(i);
    content.comboPosition = 3;
    content.phaseName = "phase " + tag;
    return content;
  }

  fs::path folder_, file_;
};

TEST_F(SlotsFile, FirstMenuCreatesFolderAndEmptyFileWithBareCaptions) {
  const SlotsMenu menu = PrepareSlotsMenu(file_);
  EXPECT_FALSE(menu.failure);
  EXPECT_TRUE(fs::exists(file_));
  EXPECT_EQ(bytes(), "");
  EXPECT_EQ(menu.importCaptions[0], "Import:    data"); // four blanks for slot 1
  EXPECT_EQ(menu.importCaptions[3], "Import:   data");  // three for slots 2..4
}

TEST_F(SlotsFile, FiveSavesKeepTheNewestFourIn168CrLfLines) {
  writeBytes("old\nshort file\n"); // 2 lines, LF only
  for (const char* name : {"A", "B", "C", "D", "E"})
    ASSERT_FALSE(SaveSlot(file_, name, contentNamed(name)));
  const std::string text = bytes();
  // Four slots of 42 lines: a name, the 39 boxes, the lattice type and the phase name.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 168);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 168);
  EXPECT_EQ(text.substr(0, 7), "E\r\nE0\r\n");

  const SlotsMenu menu = PrepareSlotsMenu(file_);
  EXPECT_EQ(menu.importCaptions[0], "Import:  E  data");
  EXPECT_EQ(menu.importCaptions[1], "Import:  D data");
  EXPECT_EQ(menu.importCaptions[3], "Import:  B data");

  const SlotImport d = ImportSlot(file_, 2);
  ASSERT_TRUE(d.slot);
  EXPECT_EQ(d.slot->name, "D");
  EXPECT_EQ(d.slot->boxes.text, contentNamed("D").boxes.text);
  EXPECT_EQ(d.slot->phaseName, "phase D");
  EXPECT_EQ(d.slot->comboPosition, 3);
  // The oldest kept slot down to its last line, the file's 168th.
  const SlotImport b = ImportSlot(file_, 4);
  EXPECT_EQ(b.slot->name, "B");
  EXPECT_EQ(b.slot->boxes.text, contentNamed("B").boxes.text);
  EXPECT_EQ(b.slot->phaseName, "phase B");

  ASSERT_FALSE(SaveSlot(file_, "", contentNamed("F"))); // empty name: nothing written
  EXPECT_EQ(bytes(), text);
}

TEST_F(SlotsFile, EmptySlotAndBadSelectorLinesImportOnlyTheTexts) {
  EXPECT_FALSE(ImportSlot(file_, 1).failure); // no file: every slot is empty
  ASSERT_FALSE(SaveSlot(file_, "only", contentNamed("x")));
  const SlotImport empty = ImportSlot(file_, 4);
  ASSERT_TRUE(empty.slot);
  EXPECT_EQ(empty.slot->boxes.text, BoxTexts{}.text);
  EXPECT_EQ(empty.slot->phaseName, "");
  EXPECT_FALSE(empty.slot->comboPosition);
  EXPECT_EQ(ImportSlot(file_, 5).failure->error, SlotsFileError::NoSuchSlot);

  // Line 41 holds the selector position: integer part of a number in -1..4, else nothing.
  const std::string saved = bytes();
  const std::size_t line41 = [&] {
    std::size_t at = 0;
    for (int i = 0; i < 40; ++i)
      at = saved.find('\n', at) + 1;
    return at;
  }();
  for (const auto& [text, expected] :
       std::vector<std::pair<std::string, std::optional<int>>>{{"2.7", 2},
                                                               {"-1", -1},
                                                               {"5", std::nullopt},
                                                               {"x", std::nullopt},
                                                               {"1e300", std::nullopt}}) {
    writeBytes(saved.substr(0, line41) + text + saved.substr(saved.find('\r', line41)));
    EXPECT_EQ(ImportSlot(file_, 1).slot->comboPosition, expected) << text;
  }
}

TEST_F(SlotsFile, MoreThan2000LinesStopSaveAndImportButNotTheMenu) {
  std::string lines;
  for (int i = 1; i <= 2000; ++i)
    lines += "n" + std::to_string(i) + "\r\n";
  writeBytes(lines);
  EXPECT_FALSE(ImportSlot(file_, 1).failure); // exactly 2000 lines is still a slots file
  writeBytes(lines + "one more\r\n");
  EXPECT_EQ(SaveSlot(file_, "A", contentNamed("A"))->error, SlotsFileError::TooManyLines);
  const SlotImport import = ImportSlot(file_, 1);
  EXPECT_FALSE(import.slot);
  EXPECT_EQ(import.failure->error, SlotsFileError::TooManyLines);
  EXPECT_EQ(bytes(), lines + "one more\r\n");
  EXPECT_EQ(PrepareSlotsMenu(file_).importCaptions[1], "Import:  n43 data");
}

TEST_F(SlotsFile, FilesOverOneMebibyteAreNotReadAndStayAsTheyAre) {
  // Exactly 1 MiB is still read: one name line of 2^20 - 2 bytes and its CR LF.
  const std::size_t mebibyte = 1 << 20;
  const std::string largest = std::string(mebibyte - 2, 'n') + "\r\n";
  writeBytes(largest);
  EXPECT_FALSE(PrepareSlotsMenu(file_).failure);
  EXPECT_EQ(ImportSlot(file_, 1).slot->name.size(), mebibyte - 2);

  const std::string tooLarge = largest + "x";
  writeBytes(tooLarge);
  const SlotsMenu menu = PrepareSlotsMenu(file_);
  ASSERT_TRUE(menu.failure);
  EXPECT_EQ(menu.failure->error, SlotsFileError::TooLarge);
  EXPECT_EQ(menu.importCaptions[0], "Import:    data");
  EXPECT_EQ(SlotsFileMessage(*menu.failure), "The slots file " + file_.string() +
                                                 " is larger than 1 MiB and is not used; it was "
                                                 "left unchanged.");
  EXPECT_EQ(SaveSlot(file_, "A", contentNamed("A"))->error, SlotsFileError::TooLarge);
  EXPECT_EQ(ImportSlot(file_, 1).failure->error, SlotsFileError::TooLarge);
  EXPECT_FALSE(ImportSlot(file_, 1).slot);
  EXPECT_EQ(bytes(), tooLarge);
}

TEST_F(SlotsFile, ClassicMacLineEndsReadAsLineEnds) {
  // Slot 1 written with CR alone, one line with CR LF and one with LF among them; the last
  // line without its end.
  std::string text = "mac\r";
  for (int i = 0; i < kBoxCount; ++i)
    text += "m" + std::to_string(i) + (i == 5 ? "\r\n" : i == 6 ? "\n" : "\r");
  text += "2\rphase m\rnext";
  writeBytes(text);
  const SlotImport read = ImportSlot(file_, 1);
  ASSERT_TRUE(read.slot);
  EXPECT_EQ(read.slot->name, "mac");
  EXPECT_EQ(read.slot->boxes[Box::A], "m0");
  EXPECT_EQ(read.slot->boxes[Box::CalcH1], "m6");
  EXPECT_EQ(read.slot->boxes[Box::AngleTol13], "m38");
  EXPECT_EQ(read.slot->comboPosition, 2);
  EXPECT_EQ(read.slot->phaseName, "phase m");
  EXPECT_EQ(PrepareSlotsMenu(file_).importCaptions[1], "Import:  next data");
}

TEST_F(SlotsFile, ByteOrderMarkIsSkippedAndLineBreaksInTextsAreStoredAsBlanks) {
  // An editor's UTF-8 byte-order mark (EF BB BF) before the first name is not part of it.
  writeBytes("\xEF\xBB\xBFmarked\r\n0.4\r\n");
  EXPECT_EQ(ImportSlot(file_, 1).slot->name, "marked");
  EXPECT_EQ(ImportSlot(file_, 1).slot->boxes[Box::A], "0.4");
  EXPECT_EQ(PrepareSlotsMenu(file_).importCaptions[0], "Import:  marked  data");
  // Only at the very start: elsewhere the same bytes are text.
  writeBytes("x\xEF\xBB\xBF\r\n");
  EXPECT_EQ(ImportSlot(file_, 1).slot->name, "x\xEF\xBB\xBF");

  // A line break inside a name, a box or the phase name would shift every line after it.
  fs::remove(file_);
  SlotContent content = contentNamed("b");
  content.boxes[Box::A] = "0.4\n";
  content.boxes[Box::AngleTol13] = "2\r\n3";
  content.phaseName = "Al\rO";
  ASSERT_FALSE(SaveSlot(file_, "two\r\nlines", content));
  ASSERT_FALSE(SaveSlot(file_, "next", contentNamed("n")));
  const std::string text = bytes();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 168);
  const SlotImport second = ImportSlot(file_, 2);
  EXPECT_EQ(second.slot->name, "two  lines");
  EXPECT_EQ(second.slot->boxes[Box::A], "0.4 ");
  EXPECT_EQ(second.slot->boxes[Box::AngleTol13], "2  3");
  EXPECT_EQ(second.slot->comboPosition, 3);
  EXPECT_EQ(second.slot->phaseName, "Al O");
  EXPECT_EQ(ImportSlot(file_, 1).slot->name, "next");

  // A name that itself starts with U+FEFF (pasted) keeps it, and the names after it are intact.
  ASSERT_FALSE(SaveSlot(file_, "\xEF\xBB\xBFpasted", contentNamed("p")));
  EXPECT_EQ(ImportSlot(file_, 1).slot->name, "\xEF\xBB\xBFpasted");
  EXPECT_EQ(PrepareSlotsMenu(file_).importCaptions[1], "Import:  next data");
}

TEST_F(SlotsFile, AFolderInItsPlaceIsNotReadAndAFileInTheFoldersPlaceIsNamed) {
  fs::create_directories(file_);
  EXPECT_EQ(ImportSlot(file_, 1).failure->error, SlotsFileError::CannotRead);
  EXPECT_EQ(SaveSlot(file_, "A", contentNamed("A"))->error, SlotsFileError::CannotRead);
  const SlotsMenu menu = PrepareSlotsMenu(file_);
  ASSERT_TRUE(menu.failure);
  EXPECT_EQ(SlotsFileMessage(*menu.failure),
            "Cannot read the slots file " + file_.string() + " (not a file).");
  EXPECT_TRUE(fs::is_directory(file_));

  fs::remove_all(folder_);
  fs::create_directories(folder_);
  std::ofstream(file_.parent_path()) << "a file"; // where the file's folder should be
  const SlotsMenu blocked = PrepareSlotsMenu(file_);
  ASSERT_TRUE(blocked.failure);
  EXPECT_EQ(blocked.failure->error, SlotsFileError::CannotCreateFolder);
  EXPECT_TRUE(SlotsFileMessage(*blocked.failure)
                  .starts_with("Cannot create the folder for the slots file " + file_.string()));
}

TEST_F(SlotsFile, NonAsciiTextsComeBackUnchanged) {
  SlotContent content = contentNamed("α");
  content.phaseName = "α-Al₂O₃·H₂O 氧化铝";
  content.boxes[Box::A] = "0.4759 nm·α";
  ASSERT_FALSE(SaveSlot(file_, "样品 α·β", content));
  const SlotImport back = ImportSlot(file_, 1);
  EXPECT_EQ(back.slot->name, "样品 α·β");
  EXPECT_EQ(back.slot->phaseName, content.phaseName);
  EXPECT_EQ(back.slot->boxes.text, content.boxes.text);
  EXPECT_EQ(PrepareSlotsMenu(file_).importCaptions[0], "Import:  样品 α·β  data");
}

#ifdef __unix__
TEST_F(SlotsFile, AFailedWriteLeavesTheOldFileAndASaveKeepsLinksAndPermissions) {
  ASSERT_FALSE(SaveSlot(file_, "kept", contentNamed("k")));
  const std::string old = bytes();

  // A file-size limit makes the write of the new file fail halfway, even for root.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &small);
  const std::optional<SlotsFileFailure> failed = SaveSlot(file_, "new", contentNamed("n"));
  setrlimit(RLIMIT_FSIZE, &saved);
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->error, SlotsFileError::CannotWrite);
  EXPECT_NE(SlotsFileMessage(*failed).find(file_.string()), std::string::npos);
  EXPECT_EQ(bytes(), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(file_.parent_path()), {}), 1); // no leftovers

  // Saving keeps the file's permission bits, and a link to the file stays a link.
  const fs::perms privateBits = fs::perms::owner_read | fs::perms::owner_write;
  fs::permissions(file_, privateBits);
  const fs::path link = folder_ / "Store-link.ini";
  fs::create_symlink(file_, link);
  ASSERT_FALSE(SaveSlot(link, "linked", contentNamed("l")));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ImportSlot(file_, 1).slot->name, "linked");
  EXPECT_EQ(ImportSlot(file_, 2).slot->name, "kept");
  EXPECT_EQ(fs::status(file_).permissions(), privateBits);
  EXPECT_EQ(std::distance(fs::directory_iterator(file_.parent_path()), {}), 1);

  // A read-only folder (only meaningful when not root, who may write anyway).
  fs::permissions(file_.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
  if (geteuid() != 0) {
    const std::string saved = bytes();
    EXPECT_EQ(SaveSlot(file_, "new", contentNamed("n"))->error, SlotsFileError::CannotWrite);
    EXPECT_EQ(bytes(), saved);
  }
}
#endif

} // namespace
} // namespace spot
