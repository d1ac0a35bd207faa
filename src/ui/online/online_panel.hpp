// The "Discussion" tab: "Crystal Structure Search", "Comments" and "扫一扫" over one place that
// shows either the embedded web view WebBrowser1 or the contact panel Frame10.
#pragma once

#include <QPushButton>
#include <QUrl>

#include "ui/common/page_view.hpp"
#include "ui/common/prompts.hpp"
#include "ui/online/contact_panel.hpp"

namespace spot {

class OnlinePanel : public QWidget {
  Q_OBJECT
public:
  static constexpr const char* kOfflineMessage = "当前没联网";

  /// The view is made through views on first use, so building the panel starts no browser.
  OnlinePanel(Prompts& prompts, OnlineCheck& online, PageViewFactory& views,
              QWidget* parent = nullptr);

  ContactPanel* contactPanel() const { return contactPanel_; }
  /// WebBrowser1, or nullptr before the first page or when no browser engine can run here.
  PageView* view() const { return view_; }
  /// The address of the link the mouse was last over in the view; empty at start.
  const QString& lastStatusText() const { return lastStatusText_; }

public slots:
  void openStructureSearch();
  void openComments();
  void openForum();
  /// "扫一扫": shows the contact panel instead of the view; needs no connection.
  void showContactPanel();

signals:
  /// A page went to the embedded view; the window may bring this tab to the front.
  void pageShown();

private:
  void openPage(const QUrl& address);
  /// Makes the view on first use; false when there is none.
  bool ensureView();
  void openOutside(const QUrl& address);
  void onNewWindowRequested();
  void onViewBroken(const QUrl& address);

  Prompts& prompts_;
  OnlineCheck& online_;
  PageViewFactory& views_;
  QWidget* pageArea_ = nullptr;
  ContactPanel* contactPanel_ = nullptr;
  PageView* view_ = nullptr;
  bool viewUnavailable_ = false;
  QString lastStatusText_;
};

} // namespace spot
