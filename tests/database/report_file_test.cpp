// The report file: both block forms byte for byte, the heading rule, the batch report over real
// phases, the file name, appending, and writes that fail without leaving anything behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef __unix__
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "database/al_pattern.hpp"
#include "database/batch_run.hpp"
#include "database/report_file.hpp"

namespace spot {
namespace {

namespace fs = std::filesystem;

class ReportFile : public ::testing::Test {
protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("spot-report-" + std::to_string(::getpid()) + "-" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "program");
    fs::create_directories(root_ / "documents");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(root_ / "program", fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
  }
  static std::string bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static long entries(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), {});
  }
  fs::path program() const { return root_ / "program"; }
  fs::path documents() const { return root_ / "documents"; }

  fs::path root_;
};

// A measurement chosen so every number is exact by hand: k = 100 px / 10 (1/nm) = 10;
// d = Number·k/Length: 2·10/50 = 0.4, 1·10/40 = 0.25, 1·10/0.001 = 10000 (grouped "10,000").
ReportBlockInput handInput() {
  ReportBlockInput input;
  input.phaseName = "Al  FaceCenter\tc/a1.00000 "; // blanks and a tab, written unchanged
  BoxTexts& b = input.boxes;
  b = BoxTexts::Initial();
  b[Box::A] = "0.40500";
  b[Box::B] = "0.405";
  b[Box::C] = " 0.405"; // as typed, not reformatted
  b[Box::Alpha] = "90";
  b[Box::Beta] = "90.0";
  b[Box::Gamma] = "90.00000";
  b[Box::ScaleBarValue] = "10";
  b[Box::ScaleBarLength] = "100";
  b[Box::Length1] = "50";
  b[Box::Length2] = "40";
  b[Box::Length3] = "0.001";
  b[Box::Number1] = "2";
  b[Box::Number2] = "1";
  b[Box::Number3] = "1";
  b[Box::Angle12] = "90";
  b[Box::Angle23] = "45.5";
  b[Box::Angle13] = "44.51234"; // four decimals: 44.5123
  input.pictureName = "saed 01.jpg";
  input.rows = {{"No.001",    "2",         "0",      "0",       "+",       "0",      "2",
                 "0",         "\uFF1D",    "2",      "2",       "0",       "\u25C7", "0.2025000",
                 "0.2025000", "0.1431891", "\u25C7", "90.0000", "45.0000", "45.0000"},
                {"No.002",    "0",         "2",      "0",       "+",       "-2",     "0",
                 "0",         "\uFF1D",    "-2",     "2",       "0",       "\u25C7", "0.2025000",
                 "0.2025000", "0.1431891", "\u25C7", "90.0000", "45.0000", "45.0000"}};
  return input;
}

const std::string kHeading =
    "   No.\t \tR1\t \t \t \tR2\t \t \t \tR3\t \t \td1\t \td2\t \td3\t \t \t"
    "<R1,R2>\t<R2,R3>\t<R1,R3>\r\n";
const std::string kValues = "d1=0.4000000nm   d2=0.2500000nm   d3=10,000.0000000nm     "
                            "<R1,R2>=90.0000deg. <R2,R3>=45.5000deg. <R1,R3>=44.5123deg. ";
const std::string kRows =
    "No.001\t2\t0\t0\t+\t0\t2\t0\t\uFF1D\t2\t2\t0\t\u25C7\t0.2025000\t0.2025000\t0.1431891\t"
    "\u25C7\t90.0000\t45.0000 45.0000\r\n"
    "No.002\t0\t2\t0\t+\t-2\t0\t0\t\uFF1D\t-2\t2\t0\t\u25C7\t0.2025000\t0.2025000\t0.1431891\t"
    "\u25C7\t90.0000\t45.0000 45.0000\r\n";

TEST_F(ReportFile, BothBlockFormsByteForByte) {
  const ReportBlockInput input = handInput();
  const std::string exported = "------Al  FaceCenter\tc/a1.00000 Lattice parameters:  \r\n"
                               "a=0.40500nm   b=0.405nm   c= 0.405nm\r\n"
                               "\u03B1=90deg.  \u03B2=90.0deg.  \u03B3=90.00000deg.\r\n"
                               "saed 01.jpgValve measured from picture\uFF1A\r\n" +
                               kValues + "\r\n" +
                               "Al  FaceCenter\tc/a1.00000    The results of selected are as "
                               "follows:  \r\n" +
                               kHeading + kRows;
  const ReportText e = ComposeReportBlock(input, ReportForm::Export);
  ASSERT_FALSE(e.problem);
  EXPECT_EQ(e.text, exported);

  const std::string batch = "------Al  FaceCenter\tc/a1.00000   Lattice parameters:  \r\n"
                            "a=0.40500nm   b=0.405nm   c= 0.405nm\r\n"
                            "\u03B1=90deg.  \u03B2=90.0deg.  \u03B3=90.00000deg.\r\n"
                            "saed 01.jpgValve measured from picture\uFF1A" +
                            kValues + "\r\n" +
                            "Al  FaceCenter\tc/a1.00000    The results of selected are as "
                            "follows:  \r\n" +
                            kHeading + kRows;
  EXPECT_EQ(ComposeReportBlock(input, ReportForm::Batch).text, batch);
}

TEST_F(ReportFile, HeadingKeepsATrailingBlankOnlyAbove100Degrees) {
  BoxTexts boxes = BoxTexts::Initial();
  boxes[Box::Angle12] = "120";
  EXPECT_NE(ReportHeadingLine(boxes).find("\t<R1,R2> \t<R2,R3>"), std::string::npos);
  boxes[Box::Angle12] = "100"; // not greater than 100
  EXPECT_NE(ReportHeadingLine(boxes).find("\t<R1,R2>\t<R2,R3>"), std::string::npos);
}

TEST_F(ReportFile, ExportOfAnEmptyListWritesSevenLinesAndNeverReplacesAReport) {
  ReportBlockInput input = handInput();
  input.rows.clear();
  const ReportWriteResult written =
      ExportReport(input, {program(), documents()}, ReportTime{2019, 10, 13, 9, 5, 1});
  ASSERT_TRUE(written.ok()) << written.problem->message;
  EXPECT_EQ(written.path, program() / "Calculation Results2019-10-13 090501.txt");
  const std::string text = bytes(written.path);
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[6] + "\r\n", kHeading);
  EXPECT_TRUE(text.ends_with("\r\n"));

  // Further exports in the same second never replace it: they take " (2)", " (3)" before ".txt".
  const std::string first = text;
  for (const char* copy : {" (2)", " (3)"}) {
    input.phaseName = copy;
    const ReportWriteResult again =
        ExportReport(input, {program()}, ReportTime{2019, 10, 13, 9, 5, 1});
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.path,
              program() / ("Calculation Results2019-10-13 090501" + std::string(copy) + ".txt"));
    EXPECT_TRUE(bytes(again.path).starts_with("------" + std::string(copy) + "Lattice"));
  }
  EXPECT_EQ(bytes(written.path), first);
  EXPECT_EQ(entries(program()), 3);
  EXPECT_EQ(NumberedReportName("a.b.txt", 12), "a.b (12).txt");
}

TEST_F(ReportFile, ZeroDivisorsAndUnwritableNumbersAreRefusedNamingTheBox) {
  const struct {
    Box box;
    std::string text;
  } cases[] = {{Box::ScaleBarValue, "0"},
               {Box::Length2, "abc"},
               {Box::Angle12, "1e999"},
               {Box::Angle13, "-1e999"}};
  for (const auto& c : cases) {
    ReportBlockInput input = handInput();
    input.boxes[c.box] = c.text;
    const ReportWriteResult r = ExportReport(input, {program()}, ReportTime{});
    ASSERT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.problem->box, c.box);
    EXPECT_NE(r.problem->message.find(BoxCaption(c.box)), std::string::npos) << r.problem->message;
    EXPECT_EQ(entries(program()), 0);
    // The same in a batch: the phase with rows is refused before anything is written.
    BatchPhaseOutcome phase;
    phase.phaseName = "refused";
    phase.boxes = input.boxes;
    phase.outcome.completed = true;
    phase.outcome.rows.resize(1);
    const ReportWriteResult batch =
        WriteBatchReport({phase}, "p.tif", CheckMode::Multiple, {program()}, ReportTime{});
    ASSERT_FALSE(batch.ok()) << c.text;
    EXPECT_EQ(batch.problem->box, c.box);
    EXPECT_EQ(entries(program()), 0);
  }
}

TEST_F(ReportFile, BatchOverAlCuNaClWritesBlocksInOrderAndAppendsWithinOneSecond) {
  // Al and NaCl index the pattern, Cu does not. Written back, d1 = 10/49.3827 = 0.2025001.
  const std::vector<BatchPhaseOutcome> outcomes =
      RunBatch(testing::AlPattern(), {2, 34, 80}).phases;
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(outcomes[1].outcome.rows.size(), 0u);
  const std::size_t rowCount = outcomes[0].outcome.rows.size() + outcomes[2].outcome.rows.size();
  ASSERT_GT(outcomes[0].outcome.rows.size(), 0u);
  ASSERT_GT(outcomes[2].outcome.rows.size(), 0u);

  const ReportTime time{2024, 2, 29, 23, 59, 58};
  const ReportWriteResult first =
      WriteBatchReport(outcomes, "p.tif", CheckMode::Multiple, {program()}, time);
  ASSERT_TRUE(first.ok()) << first.problem->message;
  const std::string text = bytes(first.path);

  std::istringstream in(text);
  std::vector<std::string> titles, nameLines;
  std::size_t rows = 0;
  std::string previousLabel;
  for (std::string line; std::getline(in, line);) {
    ASSERT_TRUE(line.ends_with("\r")) << line;
    if (line.starts_with("------")) {
      titles.push_back(line);
      previousLabel.clear();
    } else if (line.starts_with("No.")) {
      ++rows;
      const std::string label = line.substr(0, line.find('\t'));
      EXPECT_LT(previousLabel, label); // the list's order after a batch: by "No." text
      previousLabel = label;
      EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 18) << line;
    } else if (line.starts_with("p.tifValve measured from picture\uFF1Ad1=0.2025001nm")) {
      nameLines.push_back(line);
    }
  }
  EXPECT_EQ(titles, std::vector<std::string>(
                        {"------Al  FaceCenter  c/a1.00000  Lattice parameters:  \r",
                         "------NaCl  FaceCenter  c/a1.00000  Lattice parameters:  \r"}));
  EXPECT_EQ(nameLines.size(), 2u);
  EXPECT_EQ(rows, rowCount);

  // A second run in the same second appends to the same file; Single mode writes nothing.
  ASSERT_TRUE(WriteBatchReport(outcomes, "p.tif", CheckMode::Multiple, {program()}, time).ok());
  EXPECT_EQ(bytes(first.path), text + text);
  const ReportWriteResult single =
      WriteBatchReport(outcomes, "p.tif", CheckMode::Single, {program()}, ReportTime{});
  EXPECT_TRUE(single.ok());
  EXPECT_TRUE(single.path.empty());
  EXPECT_EQ(entries(program()), 1);
  // Multiple mode without any rows still leaves its (empty) report.
  const ReportWriteResult none =
      WriteBatchReport({outcomes[1]}, "p.tif", CheckMode::Multiple, {program()}, ReportTime{});
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(bytes(none.path), "");
  EXPECT_EQ(entries(program()), 2);
}

TEST_F(ReportFile, BatchReportGoesToDiskPhaseByPhaseAndAFailureLeavesNothing) {
  // A phase of 10,000 rows, about 1 MB of report: written as its block is made, not held.
  BatchPhaseOutcome big;
  big.phaseName = "big";
  big.boxes = handInput().boxes;
  big.outcome.completed = true;
  for (int n = 10000; n >= 1; --n) { // search order backwards: the block sorts by "No." text
    IndexingResult row;
    row.rowNumber = n;
    row.g1 = {2, 0, 0};
    row.g2 = {0, 2, 0};
    row.g3 = {2, 2, 0};
    row.d = {0.2025, 0.2025, 0.1431891};
    row.angle = {90, 45, 45};
    big.outcome.rows.push_back(row);
  }
  const std::string whole = ComposeBatchReport({big, big}, "p.tif").text;
  // A phase without rows, or stopped, has no block.
  BatchPhaseOutcome empty = big, stopped = big;
  empty.outcome.rows.clear();
  stopped.outcome.completed = false;
  EXPECT_EQ(ComposeBatchReport({empty, big, stopped, big}, "p.tif").text, whole);
  const auto temporaries = [this] {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(program()))
      if (entry.path().extension() == ".tmp") bytes += entry.file_size();
    return bytes;
  };

  const ReportTime time{2024, 2, 29, 23, 59, 58};
  {
    BatchReportWriter report({program()}, "p.tif");
    ASSERT_FALSE(report.addPhase(big));
    EXPECT_GT(temporaries(), whole.size() / 2 - (1 << 16)); // on disk but for the last piece
    ASSERT_FALSE(report.addPhase(big));
    EXPECT_FALSE(fs::exists(program() / ReportFileName(time))); // nobody sees a part of it
    const ReportWriteResult written = report.finish(time);
    ASSERT_TRUE(written.ok()) << written.problem->message;
    EXPECT_EQ(bytes(written.path), whole);
    EXPECT_EQ(entries(program()), 1);
  }
  // A run dropped part-way (stopped, or over the row limit) leaves nothing.
  {
    BatchReportWriter dropped({program()}, "p.tif");
    ASSERT_FALSE(dropped.addPhase(big));
    // A phase refused for its boxes ends the run and takes the temporary file at once.
    BatchPhaseOutcome refused = big;
    refused.boxes[Box::Length2] = "abc";
    ASSERT_TRUE(dropped.addPhase(refused));
    EXPECT_EQ(temporaries(), 0u);
  }
  EXPECT_EQ(entries(program()), 1);

#ifdef __unix__
  // A write that fails part-way ends the run with a message naming the file, and the report of
  // the same second keeps its bytes: the temporary file is removed, the append is cut back.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = whole.size() + whole.size() / 4;
  setrlimit(RLIMIT_FSIZE, &limited);
  BatchReportWriter tooLong({program()}, "p.tif");
  std::optional<ReportProblem> problem;
  for (int i = 0; i < 3 && !problem; ++i)
    problem = tooLong.addPhase(big);
  const std::optional<ReportProblem> again = tooLong.addPhase(big); // stays failed, same words
  ReportWriteResult failed = tooLong.finish(time);
  BatchReportWriter appended({program()}, "p.tif");
  ASSERT_FALSE(appended.addPhase(big));
  const ReportWriteResult cutBack = appended.finish(time); // 2.5 times the limit together
  setrlimit(RLIMIT_FSIZE, &saved);
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->message.find(PathText(program())), std::string::npos) << problem->message;
  EXPECT_FALSE(failed.ok());
  EXPECT_EQ(failed.problem->message, problem->message); // the same failure, told once more
  EXPECT_EQ(again->message, problem->message);
  EXPECT_FALSE(cutBack.ok());
  EXPECT_EQ(bytes(program() / ReportFileName(time)), whole);
  EXPECT_EQ(entries(program()), 1);
#endif
}

TEST_F(ReportFile, RowsFollowTheListsTextOrder) {
  std::vector<IndexingResult> rows(4);
  rows[0].rowNumber = 1000;
  rows[1].rowNumber = 101;
  rows[2].rowNumber = 2;
  rows[3].rowNumber = 100;
  std::vector<std::string> labels;
  for (const ResultCells& cells : RowsInLabelOrder(rows))
    labels.push_back(cells[0]);
  // Compared as text: "No.100" < "No.1000" < "No.101".
  EXPECT_EQ(labels, std::vector<std::string>({"No.002", "No.100", "No.1000", "No.101"}));
}

TEST_F(ReportFile, UnwritableFolderFallsBackToDocumentsCreatedWhenMissingAndFailureLeavesNothing) {
  const std::string name = ReportFileName(ReportTime{2019, 1, 2, 3, 4, 5});
  EXPECT_EQ(name, "Calculation Results2019-01-02 030405.txt");

  // A folder below a regular file cannot take a file, even for root, who ignores permissions.
  std::ofstream(root_ / "plain") << "x";
  const fs::path blocked = root_ / "plain" / "program";
  // The documents folder of a new account may not exist yet: it is created.
  const fs::path newDocuments = root_ / "home" / "Documents";
  ReportWriteResult r =
      WriteReportFile({blocked, newDocuments}, name, "abc\r\n", ReportWriteMode::NewFile);
  ASSERT_TRUE(r.ok()) << r.problem->message;
  EXPECT_EQ(r.path, newDocuments / name);
  EXPECT_EQ(bytes(r.path), "abc\r\n");

  r = WriteReportFile({blocked, root_ / "plain" / "documents"}, name, "abc",
                      ReportWriteMode::Append);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.problem->message.find((blocked / name).string()), std::string::npos);
  EXPECT_NE(r.problem->message.find((root_ / "plain" / "documents" / name).string()),
            std::string::npos);
  // A folder named twice is tried once, and said once.
  const auto once = [](const std::string& message, const fs::path& file) {
    const std::size_t at = message.find(file.string());
    return at != std::string::npos && at == message.rfind(file.string());
  };
  r = WriteReportFile({blocked, blocked / "."}, name, "abc", ReportWriteMode::Append);
  EXPECT_TRUE(once(r.problem->message, blocked / name)) << r.problem->message;

  // A batch report falls back the same way, and fails the same way.
  BatchPhaseOutcome phase;
  phase.phaseName = "p";
  phase.boxes = handInput().boxes;
  phase.outcome.completed = true;
  phase.outcome.rows.resize(1);
  const ReportWriteResult batch = WriteBatchReport({phase}, "p.tif", CheckMode::Multiple,
                                                   {blocked, root_ / "batch"}, ReportTime{});
  ASSERT_TRUE(batch.ok()) << batch.problem->message;
  EXPECT_EQ(batch.path.parent_path(), root_ / "batch");
  const ReportWriteResult nowhere =
      WriteBatchReport({phase}, "p.tif", CheckMode::Multiple, {blocked, blocked}, ReportTime{});
  ASSERT_FALSE(nowhere.ok());
  EXPECT_TRUE(once(nowhere.problem->message, blocked / "Calculation Results.txt"))
      << nowhere.problem->message;

  // A directory standing where the file should go is not replaced either; nor is a batch report
  // of the same second, while a batch appends to it.
  fs::create_directory(program() / name);
  r = WriteReportFile({program()}, name, "abc", ReportWriteMode::NewFile);
  EXPECT_EQ(r.path, program() / NumberedReportName(name, 2));
  EXPECT_EQ(
      WriteReportFile({program()}, NumberedReportName(name, 2), "+", ReportWriteMode::Append).path,
      program() / NumberedReportName(name, 2));
  EXPECT_EQ(bytes(program() / NumberedReportName(name, 2)), "abc+");
  EXPECT_EQ(entries(program()), 2); // no temporary left
  fs::remove(program() / name);
  fs::remove(program() / NumberedReportName(name, 2));

#ifdef __unix__
  if (geteuid() != 0) {
    fs::permissions(program(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(WriteReportFile({program(), documents()}, name, "new", ReportWriteMode::Append).path,
              documents() / name);
    EXPECT_EQ(entries(program()), 0);
    fs::permissions(program(), fs::perms::owner_all);
  }

  // A file-size limit stops a write halfway, even for root: the old content stays byte for byte.
  const fs::path file = program() / name;
  std::ofstream(file, std::ios::binary) << "old line\r\n";
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &small);
  const std::string longText(500, 'y');
  const ReportWriteResult appended =
      WriteReportFile({program()}, name, longText, ReportWriteMode::Append);
  const ReportWriteResult numbered =
      WriteReportFile({program()}, name, longText, ReportWriteMode::NewFile);
  const ReportWriteResult created =
      WriteReportFile({program()}, "new.txt", longText, ReportWriteMode::Append);
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(appended.ok());
  EXPECT_FALSE(numbered.ok());
  EXPECT_FALSE(created.ok());
  EXPECT_EQ(bytes(file), "old line\r\n");
  EXPECT_EQ(entries(program()), 1); // no temporary, no half-written new file
#endif
}

} // namespace
} // namespace spot
