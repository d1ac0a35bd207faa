// The real web view: Qt WebEngine when the program was built with it and the engine can start
// on this machine, otherwise the desktop's browser.
#pragma once

#include "ui/common/page_view.hpp"

namespace spot {

/// Call in main() before the QApplication exists. The browser engine refuses to run as root
/// with its sandbox on (it ends the process), so for root the sandbox is switched off.
void PrepareEmbeddedBrowser();

/// Whether a Qt WebEngine view can be made here without ending the process.
bool EmbeddedBrowserCanStart();

class EmbeddedBrowserFactory final : public PageViewFactory {
public:
  PageView* create(QWidget* parent) override;
  bool openOutside(const QUrl& address) override;
};

} // namespace spot
