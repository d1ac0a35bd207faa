// The output of spotindex-cli: composed in one buffer that goes to the stream in large blocks, and
// the result rows in text, tsv and json, their cells as the results list has them.
#pragma once

#include <concepts>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "indexing/search.hpp"

namespace spot::cli {

/// Text for one stream, handed over in blocks of about 64 KiB. A failed write is kept: finish()
/// reports it, and nothing more is written after it.
class OutputBuffer {
public:
  explicit OutputBuffer(std::ostream& out);
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  OutputBuffer& operator<<(std::string_view text) {
    text_.append(text);
    return handOverIfFull();
  }
  OutputBuffer& operator<<(char c) {
    text_.push_back(c);
    return handOverIfFull();
  }
  template <std::integral T>
  requires(!std::same_as<T, char> && !std::same_as<T, bool>) OutputBuffer& operator<<(T value) {
    appendInteger(static_cast<long long>(value));
    return handOverIfFull();
  }

  /// Hands the rest to the stream and flushes it; false when any byte could not be written.
  bool finish();
  /// errno of the write that failed (0 when the stream did not say).
  int writeError() const { return error_; }

  /// The text not yet handed over, for appending with the formatting helpers.
  std::string& text() { return text_; }
  void appendInteger(long long value);

private:
  OutputBuffer& handOverIfFull();
  void handOver();

  std::ostream& out_;
  std::string text_;
  bool failed_ = false;
  int error_ = 0;
};

/// The header line and one line per row, cells padded into the columns of the results list.
void WriteTextRows(OutputBuffer& out, const std::vector<IndexingResult>& rows);
/// One line per row: `prefix`, then the 20 cells separated by tabs.
void WriteTsvRows(OutputBuffer& out, const std::vector<IndexingResult>& rows,
                  std::string_view prefix = {});
/// The rows as a json array, one object a line, each line starting with `indent`.
void WriteJsonRows(OutputBuffer& out, const std::vector<IndexingResult>& rows,
                   std::string_view indent);
/// Shortest text that reads back as the same double ("null" when not finite).
void AppendJsonNumber(std::string& out, double value);
/// The same as a string of its own.
std::string JsonNumber(double value);

} // namespace spot::cli
