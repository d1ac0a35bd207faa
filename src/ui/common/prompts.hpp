// What the windows ask of the desktop: messages, input and file dialogs, the clock, the
// folders they write to, and whether the machine is on line. Tests pass fakes.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace spot {

/// Every message and question of the windows goes through here.
class Prompts {
public:
  virtual ~Prompts() = default;
  /// A message box with an OK button only and an empty title.
  virtual void showMessage(const QString& text) = 0;
  /// An input box: the text the user typed, or nullopt when they cancelled.
  virtual std::optional<QString> askText(const QString& prompt, const QString& title,
                                         const QString& initialText) = 0;
  /// An open-file dialog: the chosen file, or empty text when the user cancelled.
  virtual QString chooseFileToOpen(const QString& title, const QString& folder,
                                   const QString& filter) = 0;
  /// An open-file dialog for several files: those chosen, none when the user cancelled. Without
  /// a dialog of its own, one file through chooseFileToOpen.
  virtual QStringList chooseFilesToOpen(const QString& title, const QString& folder,
                                        const QString& filter) {
    const QString file = chooseFileToOpen(title, folder, filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
  }
  /// A file to write: the chosen path, or empty text when the user cancelled. Without a dialog
  /// of its own, none.
  virtual QString chooseFileToSave(const QString& /*title*/, const QString& /*suggested*/,
                                   const QString& /*filter*/) {
    return {};
  }
};

/// The local date and time, for report names and time stamps.
class Clock {
public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;
};

/// Where files live.
class Places {
public:
  virtual ~Places() = default;
  /// The folder the program runs from.
  virtual QString programFolder() const = 0;
  /// Where reports are written: the program's folder when it is writable, else the documents
  /// folder (which need not exist yet: the report writer creates it).
  virtual QString reportsFolder() const = 0;
  /// The measurement slots file "Store.ini" in the user's application data folder.
  virtual QString slotsFilePath() const = 0;
};

/// Whether the machine has a network connection, asked before opening an online page.
class OnlineCheck {
public:
  virtual ~OnlineCheck() = default;
  virtual bool isOnline() = 0;
};

class PageViewFactory; // ui/page_view.hpp
class ScreenSource;    // ui/magnifier.hpp

/// The services a window is built with. The last three may be left out: the window then uses the
/// desktop's own (the network's state, Qt WebEngine, the real screen). Tests pass fakes, so they
/// never start a browser engine or grab the screen.
struct Environment {
  Prompts& prompts;
  Clock& clock;
  Places& places;
  OnlineCheck* online = nullptr;
  PageViewFactory* pageViews = nullptr;
  ScreenSource* screen = nullptr;
};

// THE DESKTOP'S OWN

/// QMessageBox, QInputDialog and QFileDialog over the active window.
class DesktopPrompts final : public Prompts {
public:
  void showMessage(const QString& text) override;
  std::optional<QString> askText(const QString& prompt, const QString& title,
                                 const QString& initialText) override;
  QString chooseFileToOpen(const QString& title, const QString& folder,
                           const QString& filter) override;
  QStringList chooseFilesToOpen(const QString& title, const QString& folder,
                                const QString& filter) override;
  QString chooseFileToSave(const QString& title, const QString& suggested,
                           const QString& filter) override;
};

class SystemClock final : public Clock {
public:
  QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class SystemPlaces final : public Places {
public:
  /// `programFolder` stands for the folder the program runs from when given (tests).
  explicit SystemPlaces(QString programFolder = {}) : programFolder_(std::move(programFolder)) {}
  QString programFolder() const override;
  QString reportsFolder() const override;
  QString slotsFilePath() const override;

private:
  QString programFolder_;
};

} // namespace spot
