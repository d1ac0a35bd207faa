// Fakes of the desktop services for window tests: prompts that record every message and answer
// questions from a script, a fixed clock and folders under a temporary directory.
#pragma once

#include <QDateTime>
#include <QDir>
#include <QStringList>
#include <deque>
#include <optional>

#include "ui/prompts.hpp"

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
    auto answer = answers.front();
    answers.pop_front();
    return answer;
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
  QString programFolder() const override { return folder_; }
  QString reportsFolder() const override { return folder_; }
  QString slotsFilePath() const override {
    return QDir(folder_).filePath(QStringLiteral("Store.ini"));
  }

private:
  QString folder_;
};

/// Everything a window needs, faked, in one object that outlives the window.
struct FakeEnvironment {
  FakePrompts prompts;
  FakeClock clock;
  FakePlaces places{QDir::tempPath()};
  Environment environment() { return Environment{prompts, clock, places}; }
};

} // namespace spot::testing
