// SpotIndex: builds the main window with the desktop's services, and shows it; a picture named on
// the command line (as "Open with SpotIndex" passes it) opens on the "Measurement" tab.
#include <QApplication>
#include <QCommandLineParser>

#include "ui/common/prompts.hpp"
#include "ui/measurement/magnifier.hpp"
#include "ui/online/embedded_browser.hpp"
#include "ui/online/network_online_check.hpp"
#include "ui/shell/application_icon.hpp"
#include "ui/shell/main_window.hpp"

namespace {

void DescribeArguments(QCommandLineParser& arguments) {
  arguments.setApplicationDescription(
      QStringLiteral("Indexes electron diffraction spot patterns."));
  arguments.addHelpOption();
  arguments.addVersionOption();
  arguments.addPositionalArgument(
      QStringLiteral("picture"),
      QStringLiteral("A diffraction picture (JPEG, BMP, GIF, TIFF or PNG) to open for measuring."),
      QStringLiteral("[picture]"));
}

void NameApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("SpotIndex"));
  QCoreApplication::setOrganizationName(QStringLiteral("SpotIndex"));
  QCoreApplication::setApplicationVersion(QStringLiteral(SPOT_VERSION));
}

/// --help and --version print their text and end the program without opening a display, so
/// they also work over a plain terminal.
void AnswerTextOnlyOptions(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray argument(argv[i]);
    if (argument == "-h" || argument == "--help" || argument == "--help-all" || argument == "-v" ||
        argument == "--version") {
      QCoreApplication application(argc, argv);
      NameApplication();
      QCommandLineParser arguments;
      DescribeArguments(arguments);
      arguments.process(application); // prints and exits
    }
  }
}

} // namespace

int main(int argc, char* argv[]) {
  AnswerTextOnlyOptions(argc, argv);
  // The browser engine reads its switches when the application starts.
  spot::PrepareEmbeddedBrowser();
  QApplication application(argc, argv);
  NameApplication();
  // Lets the desktop match the windows to the installed desktop entry and its icon.
  QApplication::setDesktopFileName(QStringLiteral("org.spotindex.SpotIndex"));
  QApplication::setWindowIcon(spot::ApplicationIcon());

  QCommandLineParser arguments;
  DescribeArguments(arguments);
  arguments.process(application);

  spot::DesktopPrompts prompts;
  spot::SystemClock clock;
  spot::SystemPlaces places;
  spot::NetworkOnlineCheck online;
  spot::EmbeddedBrowserFactory pageViews;
  spot::DesktopScreen screen;
  spot::MainWindow window(spot::Environment{prompts, clock, places, &online, &pageViews, &screen});
  // Closing the main window ends the program, whatever secondary window is still open.
  QObject::connect(&window, &spot::MainWindow::closed, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  window.show();
  if (!arguments.positionalArguments().isEmpty())
    window.openPicture(arguments.positionalArguments().constFirst());
  return QApplication::exec();
}
