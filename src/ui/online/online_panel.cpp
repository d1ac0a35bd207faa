// The "Discussion" tab and the online pages.
#include "ui/online/online_panel.hpp"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/online/online_pages.hpp"

namespace spot {

OnlinePanel::OnlinePanel(Prompts& prompts, OnlineCheck& online, PageViewFactory& views,
                         QWidget* parent)
    : QWidget(parent), prompts_(prompts), online_(online), views_(views) {
  auto* layout = new QVBoxLayout(this);

  auto* buttons = new QFrame(this);
  buttons->setObjectName(QStringLiteral("Frame15"));
  auto* buttonRow = new QHBoxLayout(buttons);
  buttonRow->setContentsMargins(0, 0, 0, 0);
  auto addButton = [&](const char* objectName, const QString& caption) {
    auto* button = new QPushButton(caption, buttons);
    button->setObjectName(QString::fromLatin1(objectName));
    buttonRow->addWidget(button);
    return button;
  };
  connect(addButton("Command11", QStringLiteral("Crystal Structure Search")), &QPushButton::clicked,
          this, &OnlinePanel::openStructureSearch);
  connect(addButton("Command16", QStringLiteral("Comments")), &QPushButton::clicked, this,
          &OnlinePanel::openComments);
  connect(addButton("Command4", QStringLiteral("扫一扫")), &QPushButton::clicked, this,
          &OnlinePanel::showContactPanel);
  buttonRow->addStretch(1);
  layout->addWidget(buttons);

  // The contact panel and the view take turns in one place.
  pageArea_ = new QWidget(this);
  auto* pageLayout = new QVBoxLayout(pageArea_);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  contactPanel_ = new ContactPanel(pageArea_);
  pageLayout->addWidget(contactPanel_);
  layout->addWidget(pageArea_, 1);
}

void OnlinePanel::openStructureSearch() { openPage(QUrl(StructureSearchPage())); }
void OnlinePanel::openComments() { openPage(QUrl(CommentsPage())); }
void OnlinePanel::openForum() { openPage(QUrl(ForumPage())); }

void OnlinePanel::showContactPanel() {
  contactPanel_->show();
  if (view_) view_->hide();
}

void OnlinePanel::openPage(const QUrl& address) {
  if (!online_.isOnline()) {
    prompts_.showMessage(QString::fromUtf8(kOfflineMessage));
    return;
  }
  if (!ensureView()) {
    openOutside(address);
    return;
  }
  contactPanel_->hide();
  view_->setSilent(true);
  view_->show();
  view_->navigate(address);
  emit pageShown();
}

bool OnlinePanel::ensureView() {
  if (view_) return true;
  if (viewUnavailable_) return false;
  view_ = views_.create(pageArea_);
  if (!view_) {
    viewUnavailable_ = true;
    return false;
  }
  view_->setObjectName(QStringLiteral("WebBrowser1"));
  view_->hide();
  pageArea_->layout()->addWidget(view_);
  connect(view_, &PageView::statusTextChanged, this,
          [this](const QString& text) { lastStatusText_ = text; });
  // Direct: the view waits for the answer before it decides what to do with the new window.
  connect(view_, &PageView::newWindowRequested, this, &OnlinePanel::onNewWindowRequested,
          Qt::DirectConnection);
  connect(view_, &PageView::broken, this, &OnlinePanel::onViewBroken);
  return true;
}

void OnlinePanel::openOutside(const QUrl& address) {
  if (!views_.openOutside(address))
    prompts_.showMessage(QStringLiteral("无法打开网页：") + address.toString());
}

void OnlinePanel::onNewWindowRequested() {
  // A page's new window opens here instead, at the link the mouse was over (possibly none).
  view_->navigate(QUrl(lastStatusText_));
}

void OnlinePanel::onViewBroken(const QUrl& address) {
  // The browser engine stopped: from now on pages open in the desktop's browser.
  view_->hide();
  view_->deleteLater();
  view_ = nullptr;
  viewUnavailable_ = true;
  contactPanel_->show();
  if (!address.isEmpty()) openOutside(address);
}

} // namespace spot
