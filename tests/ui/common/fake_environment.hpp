// Fakes of the desktop services for window tests: prompts that record every message and answer
// questions from a script, a fixed clock, folders under a temporary directory, no network, no
// web view and a still grey screen; and the measurement most window tests enter.
#pragma once

#include <QDateTime>
#include <QDir>
#include <QPixmap>
#include <QStringList>
#include <deque>
#include <optional>

#include "measurement/pattern_vectors.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/page_view.hpp"
#include "ui/common/prompts.hpp"
#include "ui/measurement/magnifier.hpp"

namespace spot::testing {

class FakePrompts final : public Prompts {
public:
  QStringList messages;
  QStringList questions;
  /// Answers of the next input boxes, in order; nullopt stands for Cancel.
  std::deque<std::optional<QString>> answers;
  /// Answers of the next open-file dialogs, in order; empty text stands for Cancel.
  std::deque<QString> files;

  void showMessage(const QString& text) override { messages.append(text); }
  std::optional<QString> askText(const QString& prompt, const QString&, const QString&) override {
    questions.append(prompt);
    if (answers.empty()) return std::nullopt;
    // Taken apart rather than copied: GCC 12 warns about copying an optional QString here.
    const bool cancelled = !answers.front().has_value();
    const QString text = answers.front().value_or(QString());
    answers.pop_front();
    if (cancelled) return std::nullopt;
    return text;
  }
  QString chooseFileToOpen(const QString& title, const QString&, const QString&) override {
    questions.append(title);
    if (files.empty()) return {};
    QString file = files.front();
    files.pop_front();
    return file;
  }
};

class FakeClock final : public Clock {
public:
  QDateTime time{QDate(2024, 3, 5), QTime(14, 7, 9)};
  QDateTime now() const override { return time; }
};

class FakePlaces final : public Places {
public:
  explicit FakePlaces(QString folder) : folder_(std::move(folder)) {}
  void setFolder(QString folder) { folder_ = std::move(folder); }
  /// A documents folder apart from the program's; by default both are the one folder.
  void setReportsFolder(QString folder) { reports_ = std::move(folder); }
  QString programFolder() const override { return folder_; }
  QString reportsFolder() const override { return reports_.isEmpty() ? folder_ : reports_; }
  QString slotsFilePath() const override {
    return QDir(folder_).filePath(QStringLiteral("Store.ini"));
  }

private:
  QString folder_;
  QString reports_;
};

class OfflineCheck final : public OnlineCheck {
public:
  bool isOnline() override { return false; }
};

/// No browser engine and no desktop browser: nothing is ever opened.
class NoPageViews final : public PageViewFactory {
public:
  PageView* create(QWidget*) override { return nullptr; }
  bool openOutside(const QUrl&) override { return false; }
};

/// A grey screen with the cursor at a fixed place.
class StillScreen final : public ScreenSource {
public:
  QPoint cursorPosition() const override { return {100, 100}; }
  QPixmap grab(const QRect& rect) override {
    QPixmap pixmap(rect.size());
    pixmap.fill(Qt::gray);
    return pixmap;
  }
};

/// Everything a window needs, faked, in one object that outlives the window.
struct FakeEnvironment {
  FakePrompts prompts;
  FakeClock clock;
  FakePlaces places{QDir::tempPath()};
  OfflineCheck online;
  NoPageViews pageViews;
  StillScreen screen;
  Environment environment() {
    return Environment{prompts, clock, places, &online, &pageViews, &screen};
  }
};

/// The face-centred example measured on a picture: scale bar 5 1/nm over 100 px, R1 and R2
/// 100 px at 90 degrees, R3 100·√2 px: d = 0.2, 0.2, 0.2/√2 nm, angles 90, 45, 45 degrees.
inline void EnterFaceCentredMeasurement(BoxArray& boxes) {
  const char* texts[] = {"5", "100", "100", "100", "141.4213562", "1", "1", "1", "90", "45", "45"};
  int i = 0;
  for (Box box : kPictureMeasurementBoxes)
    boxes.setText(box, QString::fromLatin1(texts[i++]));
}

} // namespace spot::testing
