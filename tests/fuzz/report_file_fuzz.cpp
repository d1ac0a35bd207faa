// Fuzzes the composition of a report block from the texts the user typed (NUL-separated: phase
// name, picture name, the 39 boxes, then result cells, 20 a row). A block is refused with a
// message naming a box, or has its fixed lines and shows the spacings and angles the boxes hold,
// never "inf" or "nan".
#include <cctype>
#include <cmath>

#include "core/numeric_text.hpp"
#include "database/report_file.hpp"
#include "fuzz_check.hpp"

namespace {

using namespace spot;

std::string lowered(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool hasNonFiniteWord(const std::string& text) {
  const std::string low = lowered(text);
  return low.find("inf") != std::string::npos || low.find("nan") != std::string::npos;
}

// A user's text holding one of these letters can spell such a word with the text around it
// ("9.0na" before "nm" reads "nanm"), so only blocks built from other texts are checked.
bool mayFormNonFiniteWord(const std::string& text) {
  return lowered(text).find_first_of("infa") != std::string::npos;
}

std::vector<std::string> linesOf(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string_view::npos; start = end + 2)
    lines.emplace_back(text.substr(start, end - start));
  FUZZ_CHECK(start == text.size(), "every line ends with CR LF");
  return lines;
}

// The number after `label` in `line`, read the way a user would read it (grouping "," dropped).
double numberAfter(const std::string& line, const std::string& label, const std::string& unit) {
  const std::size_t at = line.find(label);
  FUZZ_CHECK(at != std::string::npos, label + " in " + line);
  const std::size_t begin = at + label.size();
  const std::size_t end = line.find(unit, begin);
  FUZZ_CHECK(end != std::string::npos, unit + " after " + label);
  std::string number;
  for (char c : line.substr(begin, end - begin))
    if (c != ',') number.push_back(c);
  FUZZ_CHECK(IsNumeric(number), label + number);
  return NumericPrefix(number);
}

void checkClose(double shown, double value, double halfUnit, const std::string& what) {
  FUZZ_CHECK(std::fabs(shown - value) <= halfUnit * 1.000001 + std::fabs(value) * 4e-15, what);
}

// The measured-value line against the boxes: d = Number × (scale length ÷ scale value) ÷ Length.
void checkMeasuredValues(const std::string& line, const BoxTexts& b) {
  const auto value = [&](Box box) { return NumericPrefix(b[box]); };
  const double ratio = value(Box::ScaleBarLength) / value(Box::ScaleBarValue);
  const Box numbers[] = {Box::Number1, Box::Number2, Box::Number3};
  const Box lengths[] = {Box::Length1, Box::Length2, Box::Length3};
  const Box angles[] = {Box::Angle12, Box::Angle23, Box::Angle13};
  const std::string dLabels[] = {"d1=", "d2=", "d3="};
  const std::string angleLabels[] = {"<R1,R2>=", "<R2,R3>=", "<R1,R3>="};
  for (int j = 0; j < 3; ++j) {
    const double d = value(numbers[j]) * ratio / value(lengths[j]);
    checkClose(numberAfter(line, dLabels[j], "nm"), d, 0.5e-7, dLabels[j]);
    checkClose(numberAfter(line, angleLabels[j], "deg."), value(angles[j]), 0.5e-4, angleLabels[j]);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> parts =
      spot::fuzz::SplitInput(spot::fuzz::AsText(data, size), '\0');
  ReportBlockInput input;
  input.boxes = BoxTexts::Initial();
  std::size_t next = 0;
  const auto take = [&](std::string& into) {
    if (next < parts.size()) into = parts[next++];
  };
  take(input.phaseName);
  take(input.pictureName);
  for (std::string& box : input.boxes.text)
    take(box);
  while (next < parts.size()) {
    ResultCells& row = input.rows.emplace_back();
    for (std::string& cell : row)
      take(cell);
  }

  // The checks of the layout hold when the user's own texts bring no line break of their own.
  bool plainTexts = true;
  bool userNonFinite = false;
  for (const std::string& part : parts) {
    plainTexts = plainTexts && part.find_first_of("\r\n") == std::string::npos;
    userNonFinite = userNonFinite || mayFormNonFiniteWord(part);
  }

  for (const ReportForm form : {ReportForm::Export, ReportForm::Batch}) {
    const ReportText block = ComposeReportBlock(input, form);
    if (block.problem) {
      FUZZ_CHECK(block.text.empty(), "a refused block has no text");
      FUZZ_CHECK(block.problem->box, "a refused block names a box");
      FUZZ_CHECK(!block.problem->message.empty(), "and says why");
      continue;
    }
    FUZZ_CHECK(block.text.starts_with("------" + input.phaseName), "the phase name line");
    FUZZ_CHECK(userNonFinite || !hasNonFiniteWord(block.text), block.text);
    if (!plainTexts) continue;
    const std::vector<std::string> lines = linesOf(block.text);
    const std::size_t fixedLines = form == ReportForm::Export ? 7 : 6;
    FUZZ_CHECK(lines.size() == fixedLines + input.rows.size(), "one line a row");
    FUZZ_CHECK(lines[fixedLines - 1] == ReportHeadingLine(input.boxes), "the heading");
    // The measured values follow the picture label (batch) or stand on their own line (export).
    const std::string& measured = lines[3];
    const std::size_t label = measured.find("\uFF1A", input.pictureName.size());
    FUZZ_CHECK(label != std::string::npos, "the picture label");
    checkMeasuredValues(form == ReportForm::Export ? lines[4] : measured.substr(label),
                        input.boxes);
  }
  return 0;
}
