// The real web view, built on Qt WebEngine when the program has it.
#include "ui/online/embedded_browser.hpp"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QVBoxLayout>
#include <functional>

#ifdef Q_OS_UNIX
#include <unistd.h> // for geteuid
#endif

#ifdef SPOT_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

namespace spot {

namespace {

bool RunningAsRoot() {
#ifdef Q_OS_UNIX
  return geteuid() == 0;
#else
  return false;
#endif
}

bool SandboxSwitchedOffInEnvironment() {
  return qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") != 0 ||
         qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox");
}

#ifdef SPOT_HAVE_WEBENGINE

// The engine ends the process when it cannot find its helper program or its resources, so both
// are looked for where it looks before a view is made.
bool AnyExists(const QStringList& candidates) {
  for (const QString& candidate : candidates)
    if (QFileInfo::exists(candidate)) return true;
  return false;
}

bool HelperProgramFound() {
  const QString fromEnvironment = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
  if (!fromEnvironment.isEmpty()) return QFileInfo::exists(fromEnvironment);
  const QString name = QStringLiteral("QtWebEngineProcess");
  return AnyExists({QDir(QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath)).filePath(name),
                    QDir(QCoreApplication::applicationDirPath()).filePath(name)});
}

bool ResourcesFound() {
  const QString pak = QStringLiteral("qtwebengine_resources.pak");
  const QString fromEnvironment = qEnvironmentVariable("QTWEBENGINE_RESOURCES_PATH");
  if (!fromEnvironment.isEmpty()) return QFileInfo::exists(QDir(fromEnvironment).filePath(pak));
  return AnyExists({QDir(QLibraryInfo::path(QLibraryInfo::DataPath))
                        .filePath(QStringLiteral("resources/") + pak),
                    QDir(QCoreApplication::applicationDirPath()).filePath(pak)});
}

class SilentPage final : public QWebEnginePage {
public:
  SilentPage(std::function<void()> onNewWindow, QObject* parent)
      : QWebEnginePage(parent), onNewWindow_(std::move(onNewWindow)) {}

  bool silent = false;

protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int line, const QString& source) override {
    if (silent) return;
    QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
  }

  QWebEnginePage* createWindow(WebWindowType) override {
    onNewWindow_();
    // Handing back this page keeps the new "window" inside the view: no second window opens.
    return this;
  }

private:
  std::function<void()> onNewWindow_;
};

class WebEngineView final : public PageView {
public:
  explicit WebEngineView(QWidget* parent) : PageView(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QWebEngineView(this);
    page_ = new SilentPage([this] { emit newWindowRequested(); }, view_);
    view_->setPage(page_);
    layout->addWidget(view_);
    connect(page_, &QWebEnginePage::linkHovered, this, &PageView::statusTextChanged);
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
              if (status != QWebEnginePage::NormalTerminationStatus) emit broken(page_->url());
            });
  }

  void navigate(const QUrl& address) override { page_->setUrl(address); }
  void setSilent(bool silent) override { page_->silent = silent; }

private:
  QWebEngineView* view_ = nullptr;
  SilentPage* page_ = nullptr;
};

#endif

} // namespace

void PrepareEmbeddedBrowser() {
  if (!RunningAsRoot() || SandboxSwitchedOffInEnvironment()) return;
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.isEmpty()) flags += ' ';
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + "--no-sandbox");
}

bool EmbeddedBrowserCanStart() {
#ifdef SPOT_HAVE_WEBENGINE
  // The engine also takes its switches from the program's arguments.
  const bool sandboxOff = SandboxSwitchedOffInEnvironment() ||
                          QCoreApplication::arguments().contains(QStringLiteral("--no-sandbox"));
  if (RunningAsRoot() && !sandboxOff) return false;
  return HelperProgramFound() && ResourcesFound();
#else
  return false;
#endif
}

PageView* EmbeddedBrowserFactory::create(QWidget* parent) {
#ifdef SPOT_HAVE_WEBENGINE
  if (EmbeddedBrowserCanStart()) return new WebEngineView(parent);
#endif
  Q_UNUSED(parent);
  return nullptr;
}

bool EmbeddedBrowserFactory::openOutside(const QUrl& address) {
  return QDesktopServices::openUrl(address);
}

} // namespace spot
