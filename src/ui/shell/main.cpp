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

int main(int argc, char* argv[]) {
  // The browser engine reads its switches when the application starts.
  spot::PrepareEmbeddedBrowser();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("SpotIndex"));
  QApplication::setOrganizationName(QStringLiteral("SpotIndex"));
  QApplication::setApplicationVersion(QStringLiteral(SPOT_VERSION));
  // Lets the desktop match the windows to the installed desktop entry and its icon.
  QApplication::setDesktopFileName(QStringLiteral("org.spotindex.SpotIndex"));
  QApplication::setWindowIcon(spot::ApplicationIcon());

  QCommandLineParser arguments;
  arguments.setApplicationDescription(
      QStringLiteral("Indexes electron diffraction spot patterns."));
  arguments.addHelpOption();
  arguments.addVersionOption();
  arguments.addPositionalArgument(
      QStringLiteral("picture"),
      QStringLiteral("A diffraction picture (JPEG, BMP, GIF, TIFF or PNG) to open for measuring."),
      QStringLiteral("[picture]"));
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
