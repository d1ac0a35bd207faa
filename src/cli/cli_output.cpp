// The output of spotindex-cli: one buffer, and the result rows in text, tsv and json.
#include "cli/cli_output.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>

#include "indexing/result_text.hpp"

namespace spot::cli {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;

void appendMiller(std::string& out, const MillerIndex& g) {
  char buffer[40];
  out += '[';
  for (int i = 0; i < 3; ++i) {
    const int value = i == 0 ? g.h : i == 1 ? g.k : g.l;
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    if (i < 2) out += ", ";
  }
  out += ']';
}

void appendJsonArray(std::string& out, const std::array<double, 3>& values) {
  out += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out += ", ";
    AppendJsonNumber(out, values[i]);
  }
  out += ']';
}

} // namespace

// BUFFER

OutputBuffer::OutputBuffer(std::ostream& out) : out_(out) { text_.reserve(kBlockSize + 4096); }

void OutputBuffer::appendInteger(long long value) {
  char buffer[24];
  text_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

OutputBuffer& OutputBuffer::handOverIfFull() {
  if (text_.size() >= kBlockSize) handOver();
  return *this;
}

void OutputBuffer::handOver() {
  if (!failed_ && !text_.empty()) {
    errno = 0;
    out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    if (!out_) {
      failed_ = true;
      error_ = errno;
    }
  }
  text_.clear();
}

bool OutputBuffer::finish() {
  handOver();
  if (failed_) return false;
  errno = 0;
  out_.flush(); // buffered bytes reach the device only now, and can fail here
  if (!out_) {
    failed_ = true;
    error_ = errno;
  }
  return !failed_;
}

// ROWS

void WriteTextRows(OutputBuffer& out, const std::vector<IndexingResult>& rows) {
  static constexpr std::size_t widths[kResultColumnCount] = {7, 4, 4, 4,  2,  4,  4, 4, 2, 4,
                                                             4, 4, 2, 11, 11, 11, 2, 9, 9, 9};
  // Pads by code points, so "＝" and "◇" count as one; the first column is left-aligned.
  const auto put = [&](int c, std::string_view cell) {
    std::size_t points = 0;
    for (unsigned char ch : cell)
      points += (ch & 0xC0) != 0x80;
    const std::size_t width = widths[c];
    const std::size_t pad = width > points ? width - points : 0;
    std::string& text = out.text();
    if (c == 0) {
      text += cell;
      text.append(pad, ' ');
    } else {
      text.append(pad + 1, ' ');
      text += cell;
    }
  };
  for (int c = 0; c < kResultColumnCount; ++c)
    put(c, kResultColumns[static_cast<std::size_t>(c)].title);
  out << '\n';
  for (const IndexingResult& row : rows) {
    const auto cells = ResultCellTexts(row);
    for (int c = 0; c < kResultColumnCount; ++c)
      put(c, cells[static_cast<std::size_t>(c)]);
    out << '\n';
  }
}

void WriteTsvRows(OutputBuffer& out, const std::vector<IndexingResult>& rows,
                  std::string_view prefix) {
  for (const IndexingResult& row : rows) {
    std::string& text = out.text();
    text += prefix;
    const auto cells = ResultCellTexts(row);
    for (int c = 0; c < kResultColumnCount; ++c) {
      if (c) text += '\t';
      text += cells[static_cast<std::size_t>(c)];
    }
    out << '\n';
  }
}

void WriteJsonRows(OutputBuffer& out, const std::vector<IndexingResult>& rows,
                   std::string_view indent) {
  out << '[';
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const IndexingResult& r = rows[i];
    std::string& text = out.text();
    text += i ? ",\n" : "\n";
    text += indent;
    text += "  {\"no\": ";
    out.appendInteger(r.rowNumber);
    text += ", \"r1\": ";
    appendMiller(text, r.g1);
    text += ", \"r2\": ";
    appendMiller(text, r.g2);
    text += ", \"r3\": ";
    appendMiller(text, r.g3);
    text += ", \"d\": ";
    appendJsonArray(text, r.d);
    text += ", \"angles\": ";
    appendJsonArray(text, r.angle);
    out << '}';
  }
  if (rows.empty()) {
    out << ']';
  } else {
    out << '\n' << indent << ']';
  }
}

void AppendJsonNumber(std::string& out, double value) {
  char buffer[64];
  const auto [end, error] = std::isfinite(value)
                                ? std::to_chars(buffer, buffer + sizeof buffer, value) // shortest
                                : std::to_chars_result{buffer, std::errc::value_too_large};
  if (error == std::errc{})
    out.append(buffer, end);
  else
    out += "null";
}

std::string JsonNumber(double value) {
  std::string text;
  AppendJsonNumber(text, value);
  return text;
}

} // namespace spot::cli
