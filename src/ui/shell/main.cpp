// SpotIndex: builds the main window with the desktop's services, and shows it.
#include <QApplication>

#include "ui/online/embedded_browser.hpp"
#include "ui/measurement/magnifier.hpp"
#include "ui/shell/main_window.hpp"
#include "ui/online/network_online_check.hpp"
#include "ui/common/prompts.hpp"

int main(int argc, char* argv[]) {
  // The browser engine reads its switches when the application starts.
  spot::PrepareEmbeddedBrowser();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("SpotIndex"));
  QApplication::setOrganizationName(QStringLiteral("SpotIndex"));

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
  return QApplication::exec();
}
