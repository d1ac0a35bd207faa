// SpotIndex: builds the main window with the desktop's prompts and folders, and shows it.
#include <QApplication>

#include "ui/main_window.hpp"
#include "ui/prompts.hpp"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("SpotIndex"));
  QApplication::setOrganizationName(QStringLiteral("SpotIndex"));

  spot::DesktopPrompts prompts;
  spot::SystemClock clock;
  spot::SystemPlaces places;
  spot::MainWindow window(spot::Environment{prompts, clock, places});
  // Closing the main window ends the program, whatever secondary window is still open.
  QObject::connect(&window, &spot::MainWindow::closed, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  window.show();
  return QApplication::exec();
}
