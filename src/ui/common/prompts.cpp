// The desktop's message boxes, dialogs and folders.
#include "ui/common/prompts.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace spot {

void DesktopPrompts::showMessage(const QString& text) {
  // Messages carry CR LF line breaks; a label shows only the LF.
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(QMessageBox::NoIcon, QString(), shown, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

std::optional<QString> DesktopPrompts::askText(const QString& prompt, const QString& title,
                                               const QString& initialText) {
  bool accepted = false;
  const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                             QLineEdit::Normal, initialText, &accepted);
  if (!accepted) return std::nullopt;
  return text;
}

QString DesktopPrompts::chooseFileToOpen(const QString& title, const QString& folder,
                                         const QString& filter) {
  return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
}

QStringList DesktopPrompts::chooseFilesToOpen(const QString& title, const QString& folder,
                                              const QString& filter) {
  return QFileDialog::getOpenFileNames(QApplication::activeWindow(), title, folder, filter);
}

QString DesktopPrompts::chooseFileToSave(const QString& title, const QString& suggested,
                                         const QString& filter) {
  return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, suggested, filter);
}

QString SystemPlaces::programFolder() const {
  return programFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder_;
}

QString SystemPlaces::reportsFolder() const {
  const QString program = programFolder();
  if (QFileInfo(program).isWritable()) return program;
  // The report writer creates the documents folder when it does not exist yet; a platform
  // without one has the home folder.
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return documents.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
                             : documents;
}

QString SystemPlaces::slotsFilePath() const {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
      .filePath(QStringLiteral("Store.ini"));
}

} // namespace spot
