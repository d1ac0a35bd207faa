// The desktop's own services: where its places put reports (chosen before any report is
// written), and its dialogs answering with what the user did in them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

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

/// Acts in the next modal dialog as the user would, once it is open.
void InNextDialog(std::function<void(QDialog*)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(dialog);
  });
}

TEST(DesktopPrompts, AnswerWithWhatTheUserDidInTheDialog) {
  DesktopPrompts prompts;
  InNextDialog([](QDialog* dialog) {
    auto* input = qobject_cast<QInputDialog*>(dialog);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->textValue(), QStringLiteral("start"));
    input->setTextValue(QStringLiteral("typed"));
    input->accept();
  });
  EXPECT_EQ(prompts.askText(QStringLiteral("Name?"), QString(), QStringLiteral("start")),
            std::optional<QString>(QStringLiteral("typed")));
  InNextDialog([](QDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(prompts.askText(QStringLiteral("Name?"), QString(), QStringLiteral("start")),
            std::nullopt);

  // Messages carry CR LF line breaks; the box shows plain ones.
  QString shown;
  InNextDialog([&shown](QDialog* dialog) {
    shown = qobject_cast<QMessageBox*>(dialog)->text();
    dialog->accept();
  });
  prompts.showMessage(QStringLiteral("first\r\nsecond"));
  EXPECT_EQ(shown, QStringLiteral("first\nsecond"));
}

} // namespace
} // namespace spot
