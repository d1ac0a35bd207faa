// The calculation report: composing its blocks and writing the file whole.
#include "database/report_file.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "core/file_writing.hpp"
#include "core/number_format.hpp"
#include "core/numeric_text.hpp"
#include "indexing/measured_pattern.hpp"

namespace spot {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kPictureLabel = "Valve measured from picture\uFF1A"; // fullwidth colon

// "d1=…nm   d2=…nm   d3=…nm     <R1,R2>=…deg. <R2,R3>=…deg. <R1,R3>=…deg. "
std::string measuredValuesLine(const MeasuredPattern& p) {
  return "d1=" + FormatSpacing(p.d[0]) + "nm   d2=" + FormatSpacing(p.d[1]) +
         "nm   d3=" + FormatSpacing(p.d[2]) + "nm     <R1,R2>=" + FormatAngle(p.angle[0]) +
         "deg. <R2,R3>=" + FormatAngle(p.angle[1]) + "deg. <R1,R3>=" + FormatAngle(p.angle[2]) +
         "deg. ";
}

// The spacings and angles the block writes, or why they cannot be written.
std::optional<ReportProblem> readPattern(const BoxTexts& boxes, MeasuredPattern& pattern) {
  const PatternReading reading = ReadMeasuredPattern(boxes);
  if (reading.fault) return ReportProblem{FaultBox(*reading.fault), FaultMessage(*reading.fault)};
  pattern = reading.pattern;
  // A text such as "1e999" reads as infinity; the file must not show an empty or broken number.
  constexpr Box angles[] = {Box::Angle12, Box::Angle23, Box::Angle13};
  for (int j = 0; j < 3; ++j)
    if (!std::isfinite(pattern.angle[static_cast<std::size_t>(j)]))
      return ReportProblem{angles[j], "The angle in the box \"" + BoxCaption(angles[j]) +
                                          "\" is too large to write in the report. Please "
                                          "check the angle."};
  return std::nullopt;
}

std::string rowLine(const ResultCells& cells) {
  std::string line = cells[0];
  for (std::size_t c = 1; c + 1 < cells.size(); ++c)
    line += "\t" + cells[c];
  return line + " " + cells.back();
}

// WRITING

/// A folder for reports; the documents folder of a new account may not exist yet.
std::optional<FileWriteFailure> prepareFolder(const fs::path& folder) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return std::nullopt;
  fs::create_directories(folder, ec);
  if (ec) return FileWriteFailure{ec.message()};
  return std::nullopt;
}

/// More copies than anyone makes in one second; beyond them something else is wrong.
constexpr int kMaxReportCopies = 1000;

/// Puts a complete report into `folder` as `fileName`: NewFile under the first free numbered
/// name, Append after the content of a file of that name or as a new file.
std::optional<FileWriteFailure> placeReport(PendingFile& report, const fs::path& folder,
                                            const std::string& fileName, ReportWriteMode mode,
                                            fs::path& written) {
  for (int copy = 1; copy <= kMaxReportCopies; ++copy) {
    written = folder / NumberedReportName(fileName, copy);
    std::optional<FileWriteFailure> failure = report.placeNew(written);
    if (!failure || !failure->alreadyExists) return failure;
    if (mode == ReportWriteMode::Append) return report.appendTo(written);
  }
  return FileWriteFailure{"no free name up to \"" + NumberedReportName(fileName, kMaxReportCopies) +
                          "\""};
}

// BATCH BLOCKS

/// Row positions in the list's order after a batch: by the "No." text, ascending, compared
/// byte by byte (No.1000 follows No.100), equal labels in search order.
std::vector<std::size_t> labelOrder(const std::vector<IndexingResult>& rows) {
  std::vector<std::string> labels; // short enough to need no allocation each
  labels.reserve(rows.size());
  for (const IndexingResult& row : rows)
    labels.push_back(RowLabel(row.rowNumber));
  std::vector<std::size_t> order(rows.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&labels](std::size_t x, std::size_t y) { return labels[x] < labels[y]; });
  return order;
}

/// Where the pieces of a block go; a failure ends the block.
using ReportSink = std::function<std::optional<ReportProblem>(std::string_view)>;

/// Bytes gathered before they go to the sink: few writes, little memory.
constexpr std::size_t kReportPiece = 1 << 16;

/// The batch-form block of `phase` when its search ran to its end and listed rows, in pieces of
/// about kReportPiece bytes; each row's texts are made only when its line is written.
std::optional<ReportProblem> writeBatchBlock(const BatchPhaseOutcome& phase,
                                             std::string_view pictureName, const ReportSink& sink) {
  const std::vector<IndexingResult>& rows = phase.outcome.rows;
  if (!phase.outcome.completed || rows.empty()) return std::nullopt;
  ReportText piece = ComposeReportBlock(
      ReportBlockInput{phase.phaseName, phase.boxes, std::string(pictureName), {}},
      ReportForm::Batch);
  if (piece.problem) return piece.problem;
  for (std::size_t index : labelOrder(rows)) {
    piece.text += rowLine(ResultCellTexts(rows[index]));
    piece.text += kLineEnd;
    if (piece.text.size() >= kReportPiece) {
      if (auto problem = sink(piece.text)) return problem;
      piece.text.clear();
    }
  }
  return sink(piece.text);
}

/// The message of a report that could not be written, naming the files tried.
ReportProblem notWritten(const std::string& failures) {
  return ReportProblem{std::nullopt, "The report could not be written.\r\n" + failures};
}

std::string failureLine(const fs::path& file, const FileWriteFailure& failure) {
  return "\"" + PathText(file) + "\": " + failure.reason;
}

} // namespace

// COMPOSING

std::string ReportHeadingLine(const BoxTexts& boxes) {
  const bool wide = NumericPrefix(boxes[Box::Angle12]) > 100;
  return std::string("   No.\t \tR1\t \t \t \tR2\t \t \t \tR3\t \t \td1\t \td2\t \td3\t \t \t") +
         (wide ? "<R1,R2> " : "<R1,R2>") + "\t<R2,R3>\t<R1,R3>";
}

ReportText ComposeReportBlock(const ReportBlockInput& input, ReportForm form) {
  MeasuredPattern pattern;
  if (auto problem = readPattern(input.boxes, pattern)) return {{}, std::move(problem)};

  const BoxTexts& b = input.boxes;
  const bool batch = form == ReportForm::Batch;
  std::string text;
  const auto line = [&text](std::string_view content) {
    text += content;
    text += kLineEnd;
  };
  line("------" + input.phaseName + (batch ? "  Lattice parameters:  " : "Lattice parameters:  "));
  line("a=" + b[Box::A] + "nm   b=" + b[Box::B] + "nm   c=" + b[Box::C] + "nm");
  line("\u03B1=" + b[Box::Alpha] + "deg.  \u03B2=" + b[Box::Beta] +
       "deg.  \u03B3=" + b[Box::Gamma] + "deg.");
  if (batch) {
    line(input.pictureName + std::string(kPictureLabel) + measuredValuesLine(pattern));
  } else {
    line(input.pictureName + std::string(kPictureLabel));
    line(measuredValuesLine(pattern));
  }
  line(input.phaseName + "   The results of selected are as follows:  ");
  line(ReportHeadingLine(b));
  for (const ResultCells& row : input.rows)
    line(rowLine(row));
  return {std::move(text), std::nullopt};
}

std::vector<ResultCells> RowsInLabelOrder(const std::vector<IndexingResult>& rows) {
  std::vector<ResultCells> cells;
  cells.reserve(rows.size());
  for (std::size_t index : labelOrder(rows))
    cells.push_back(ResultCellTexts(rows[index]));
  return cells;
}

ReportText ComposeBatchReport(const std::vector<BatchPhaseOutcome>& outcomes,
                              std::string_view pictureName) {
  ReportText report;
  for (const BatchPhaseOutcome& phase : outcomes) {
    auto problem = writeBatchBlock(phase, pictureName, [&report](std::string_view piece) {
      report.text += piece;
      return std::optional<ReportProblem>();
    });
    if (problem) return {{}, std::move(problem)};
  }
  return report;
}

// FILES

std::string ReportFileName(const ReportTime& t) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return std::string("Calculation Results") + stamp + ".txt";
}

std::string NumberedReportName(const std::string& fileName, int copy) {
  if (copy <= 1) return fileName;
  const std::size_t dot = fileName.rfind('.');
  const std::size_t at = dot == std::string::npos ? fileName.size() : dot;
  return fileName.substr(0, at) + " (" + std::to_string(copy) + ")" + fileName.substr(at);
}

ReportWriteResult WriteReportFile(const std::vector<fs::path>& folders, const std::string& fileName,
                                  std::string_view text, ReportWriteMode mode) {
  std::string failures;
  std::vector<fs::path> tried;
  for (const fs::path& folder : folders) {
    if (folder.empty()) continue;
    const fs::path target = folder / fileName;
    if (std::find(tried.begin(), tried.end(), target.lexically_normal()) != tried.end()) continue;
    tried.push_back(target.lexically_normal());

    fs::path written;
    std::optional<FileWriteFailure> error = prepareFolder(folder);
    if (!error) {
      PendingFile report;
      error = report.open(target);
      if (!error) error = report.write(text);
      if (!error) error = placeReport(report, folder, fileName, mode, written);
    }
    if (!error) return {written, std::nullopt};
    failures += (failures.empty() ? "" : "\r\n") + failureLine(target, *error);
  }
  if (tried.empty())
    return {{},
            ReportProblem{std::nullopt, "The report \"" + fileName +
                                            "\" could not be written: no folder to write "
                                            "it in."}};
  return {{}, notWritten(failures)};
}

ReportWriteResult ExportReport(const ReportBlockInput& input,
                               const std::vector<std::filesystem::path>& folders,
                               const ReportTime& time) {
  ReportText composed = ComposeReportBlock(input, ReportForm::Export);
  if (composed.problem) return {{}, std::move(composed.problem)};
  return WriteReportFile(folders, ReportFileName(time), composed.text, ReportWriteMode::NewFile);
}

// BATCH REPORT

BatchReportWriter::BatchReportWriter(std::vector<fs::path> folders, std::string pictureName)
    : folders_(std::move(folders)), pictureName_(std::move(pictureName)) {}

std::optional<ReportProblem> BatchReportWriter::failed(const fs::path& file,
                                                       const FileWriteFailure& failure) {
  file_ = PendingFile(); // the temporary file goes
  problem_ = notWritten(failureLine(file, failure));
  return problem_;
}

std::optional<ReportProblem> BatchReportWriter::open() {
  std::string failures;
  std::vector<fs::path> tried;
  for (const fs::path& folder : folders_) {
    if (folder.empty()) continue;
    if (std::find(tried.begin(), tried.end(), folder.lexically_normal()) != tried.end()) continue;
    tried.push_back(folder.lexically_normal());
    // The name of the report is known only at the end; the temporary file takes a plain one.
    const fs::path place = folder / "Calculation Results.txt";
    std::optional<FileWriteFailure> error = prepareFolder(folder);
    if (!error) error = file_.open(place);
    if (!error) {
      folder_ = folder;
      return std::nullopt;
    }
    failures += (failures.empty() ? "" : "\r\n") + failureLine(place, *error);
  }
  problem_ = tried.empty() ? ReportProblem{std::nullopt, "The report could not be written: no "
                                                         "folder to write it in."}
                           : notWritten(failures);
  return problem_;
}

std::optional<ReportProblem> BatchReportWriter::addPhase(const BatchPhaseOutcome& phase) {
  if (problem_) return problem_;
  if (!phase.outcome.completed || phase.outcome.rows.empty()) return std::nullopt;
  if (folder_.empty() && open()) return problem_;
  std::optional<ReportProblem> problem =
      writeBatchBlock(phase, pictureName_, [this](std::string_view piece) {
        if (const auto failure = file_.write(piece))
          return failed(folder_ / "Calculation Results.txt", *failure);
        return std::optional<ReportProblem>();
      });
  if (problem && !problem_) {
    file_ = PendingFile();
    problem_ = problem;
  }
  return problem_;
}

ReportWriteResult BatchReportWriter::finish(const ReportTime& time) {
  if (!problem_ && folder_.empty()) open();
  if (problem_) return {{}, problem_};
  const std::string fileName = ReportFileName(time);
  fs::path written;
  if (const auto failure = placeReport(file_, folder_, fileName, ReportWriteMode::Append, written))
    return {{}, failed(folder_ / fileName, *failure)};
  return {written, std::nullopt};
}

ReportWriteResult WriteBatchReport(const std::vector<BatchPhaseOutcome>& outcomes,
                                   std::string_view pictureName, CheckMode mode,
                                   const std::vector<fs::path>& folders, const ReportTime& time) {
  if (mode == CheckMode::Single) return {};
  BatchReportWriter report(folders, std::string(pictureName));
  for (const BatchPhaseOutcome& phase : outcomes)
    if (auto problem = report.addPhase(phase)) return {{}, std::move(problem)};
  return report.finish(time);
}

} // namespace spot
