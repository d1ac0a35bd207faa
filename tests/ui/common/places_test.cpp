// Where the desktop's own places put reports: chosen before any report is written.
#include <gtest/gtest.h>

#include <QStandardPaths>
#include <QTemporaryDir>

#include "ui/common/prompts.hpp"
#include "ui/common/report_places.hpp"

namespace spot {
namespace {

TEST(SystemPlaces, ReportsGoToAWritableProgramFolderElseStraightToTheDocuments) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  using Folders = std::vector<std::filesystem::path>;
  EXPECT_EQ(ReportFolders(SystemPlaces(folder.path())), Folders{FileSystemPath(folder.path())});

  // An installed program's folder cannot be written. Root may write into any existing folder,
  // so a folder that does not exist stands for it. The report writer is never sent there first:
  // a failure there would only be named beside the documents folder's.
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  EXPECT_EQ(ReportFolders(SystemPlaces(folder.filePath(QStringLiteral("bin")))),
            Folders{FileSystemPath(documents)});
}

} // namespace
} // namespace spot
