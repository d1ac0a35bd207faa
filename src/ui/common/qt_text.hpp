// Text between the libraries' UTF-8 std::string and Qt's QString, in one place.
// The libraries speak UTF-8 throughout; the window speaks QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace spot {

inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) { return text.toStdString(); }

} // namespace spot
