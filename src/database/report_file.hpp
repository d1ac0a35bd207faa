// The calculation report: its block in the export and batch forms, the file name from the local
// time, and writing the file whole (replaced or appended) so that a failure leaves nothing behind.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/boxes.hpp"
#include "core/file_writing.hpp"
#include "database/batch_run.hpp"
#include "database/phase_tree.hpp"
#include "indexing/result_text.hpp"

namespace spot {

/// The 20 cell texts of one row of the results list.
using ResultCells = std::array<std::string, kResultColumnCount>;

/// "Export calculated results" writes the list as it stands; the batch writes one block per phase
/// that has rows. The two differ in line 1 and in the measured-value lines.
enum class ReportForm { Export, Batch };

/// What one block is made of.
struct ReportBlockInput {
  std::string phaseName;         ///< the name box's text, written unchanged
  BoxTexts boxes;                ///< a..γ as typed, and the measurement boxes
  std::string pictureName;       ///< the picture last opened; empty when none was
  std::vector<ResultCells> rows; ///< the list's rows in the order it shows them
};

/// Why no report was written: the box to look at, or the file that could not be written.
struct ReportProblem {
  std::optional<Box> box;
  std::string message;
};

/// A composed report text, or the reason it could not be composed.
struct ReportText {
  std::string text;
  std::optional<ReportProblem> problem;
};

/// The block, every line ending CR LF. A scale bar value or length of 0, or a number too large to
/// write, is refused with a message naming the box: the file never shows inf or NaN.
ReportText ComposeReportBlock(const ReportBlockInput& input, ReportForm form);

/// The column heading line without its CR LF; "<R1,R2> " keeps a trailing blank when the angle
/// <R1,R2> is above 100 degrees.
std::string ReportHeadingLine(const BoxTexts& boxes);

/// The rows in the order the list shows them after a batch: by the "No." text, ascending, compared
/// byte by byte as the list sorts (so No.1000 follows No.100).
std::vector<ResultCells> RowsInLabelOrder(const std::vector<IndexingResult>& rows);

/// The batch report in memory: one batch-form block for each searched phase that listed rows,
/// in the order of `outcomes`. Empty when no phase listed any. Byte for byte what
/// BatchReportWriter writes.
ReportText ComposeBatchReport(const std::vector<BatchPhaseOutcome>& outcomes,
                              std::string_view pictureName);

/// Local date and time of a report's name.
struct ReportTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

/// "Calculation Results" + "YYYY-MM-DD HHNNSS" + ".txt", e.g. "Calculation Results2019-10-13
/// 090501.txt". Two reports in the same second share the name.
std::string ReportFileName(const ReportTime& time);

/// The name a report takes when `fileName` and its copies before it are taken: copy 1 is
/// `fileName` itself, copy n >= 2 has " (n)" before ".txt" ("Calculation Results2019-10-13
/// 090501 (2).txt").
std::string NumberedReportName(const std::string& fileName, int copy);

/// NewFile: a new file that never replaces another; when the name is taken, the first free one
/// of " (2)", " (3)" ... (export).
/// Append: added after what a file of the name already holds, or a new file when there is none
/// (batch: runs within one second share one report).
enum class ReportWriteMode { NewFile, Append };

struct ReportWriteResult {
  std::filesystem::path path; ///< the file written; empty when nothing was written
  std::optional<ReportProblem> problem;
  bool ok() const { return !problem; }
};

/// Writes `text` as `fileName` into the first of `folders` that takes it, creating a folder that
/// does not exist yet (a new account's documents folder). The text is written whole to a temporary
/// file first; a new file is then renamed into place, and an append that fails is cut back, so
/// a failure never leaves part of a report. A failure names the files tried.
ReportWriteResult WriteReportFile(const std::vector<std::filesystem::path>& folders,
                                  const std::string& fileName, std::string_view text,
                                  ReportWriteMode mode);

/// "Export calculated results": composes the export block, then writes it as a new file named by
/// `time` (or a numbered copy of the name).
ReportWriteResult ExportReport(const ReportBlockInput& input,
                               const std::vector<std::filesystem::path>& folders,
                               const ReportTime& time);

/// The batch report written block by block as the phases finish, into a temporary file in the
/// first of `folders` that takes one (created when missing), and added whole to the report file
/// at the end: memory stays bounded by a write buffer and one row's texts whatever the number of
/// rows, and a run that fails or is dropped leaves nothing behind. Free of Qt and of shared
/// state: one writer per batch, used by the thread that runs it.
class BatchReportWriter {
public:
  BatchReportWriter(std::vector<std::filesystem::path> folders, std::string pictureName);

  /// The phase's batch-form block, rows in the list's order after a batch, when its search ran
  /// to its end and listed rows; nothing otherwise. The first call creates the temporary file.
  /// The first failure is kept: every later call and `finish` return it.
  std::optional<ReportProblem> addPhase(const BatchPhaseOutcome& phase);

  /// Adds the report to the file named by `time` in the folder written to: appended after a
  /// file of that name (a batch of the same second), cut back if that fails; otherwise renamed
  /// into place as a new file. A run without blocks still leaves its (empty) report.
  ReportWriteResult finish(const ReportTime& time);

private:
  std::optional<ReportProblem> open();
  std::optional<ReportProblem> failed(const std::filesystem::path& file,
                                      const FileWriteFailure& failure);

  std::vector<std::filesystem::path> folders_;
  std::string pictureName_;
  PendingFile file_;
  std::filesystem::path folder_; ///< where the temporary file is; empty before the first block
  std::optional<ReportProblem> problem_;
};

/// The batch's report through a BatchReportWriter, for a run whose outcomes are all at hand. In
/// Single mode the report would be deleted right after the run, so nothing is written and the
/// path stays empty. In Multiple mode a run without rows still creates the (empty) file.
ReportWriteResult WriteBatchReport(const std::vector<BatchPhaseOutcome>& outcomes,
                                   std::string_view pictureName, CheckMode mode,
                                   const std::vector<std::filesystem::path>& folders,
                                   const ReportTime& time);

} // namespace spot
