// What the report writer needs from the desktop: the folders to try, in order, and the local time
// that names the file; plus the conversions between Qt's paths and the writer's.
#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <filesystem>
#include <vector>

#include "database/report_file.hpp"
#include "ui/common/prompts.hpp"

namespace spot {

/// A path as the file system names it: bytes in the local encoding (UTF-8 on Linux) on POSIX,
/// UTF-16 on Windows, so that any character of a folder's name survives.
inline std::filesystem::path FileSystemPath(const QString& path) {
#ifdef _WIN32
  return std::filesystem::path(path.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

inline QString DisplayPath(const std::filesystem::path& path) {
#ifdef _WIN32
  return QString::fromStdWString(path.native());
#else
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

/// The reports folder alone: the program's folder when it is writable, else the documents
/// folder. Chosen before writing, so that an installed program (its folder read-only) never
/// tries its own folder and names that failure beside the documents folder's.
inline std::vector<std::filesystem::path> ReportFolders(const Places& places) {
  return {FileSystemPath(places.reportsFolder())};
}

inline ReportTime ReportTimeOf(const QDateTime& time) {
  return ReportTime{time.date().year(), time.date().month(),  time.date().day(),
                    time.time().hour(), time.time().minute(), time.time().second()};
}

} // namespace spot
