// The embedded web view WebBrowser1 as the online panel sees it, and the factory that makes it.
// Tests pass a fake view, so they never start a browser engine or reach the network.
#pragma once

#include <QUrl>
#include <QWidget>

namespace spot {

/// A web view placed in the online panel.
class PageView : public QWidget {
  Q_OBJECT
public:
  using QWidget::QWidget;

  virtual void navigate(const QUrl& address) = 0;
  /// In silent mode script errors of a page never reach the user.
  virtual void setSilent(bool silent) = 0;

signals:
  /// The address of the link under the mouse, or empty text when the mouse left the link.
  void statusTextChanged(const QString& text);
  /// A page asked for a new window; the view keeps the page itself, and the handler (connected
  /// directly) says where to go.
  void newWindowRequested();
  /// The view can no longer show pages (its engine stopped); address is the page it was showing.
  void broken(const QUrl& address);
};

/// Makes the web view when it is first needed, and opens pages outside the program when there
/// is none.
class PageViewFactory {
public:
  virtual ~PageViewFactory() = default;
  /// A new view owned by parent, or nullptr when no browser engine can run here.
  virtual PageView* create(QWidget* parent) = 0;
  /// Opens an address in the desktop's own browser; false when the desktop has none.
  virtual bool openOutside(const QUrl& address) = 0;
};

} // namespace spot
