// The icon from the program's resources.
#include "ui/shell/application_icon.hpp"

#include <QDir>

// The resource lives in a static library: nothing refers to it, so the linker would drop it
// unless it is initialised by name (outside any namespace).
static void InitialiseIconResource() { Q_INIT_RESOURCE(application_icon); }

namespace spot {

QIcon ApplicationIcon() {
  InitialiseIconResource();
  QIcon icon;
  for (const QString& file : QDir(QStringLiteral(":/icons")).entryList(QDir::Files))
    icon.addFile(QStringLiteral(":/icons/") + file);
  return icon;
}

} // namespace spot
