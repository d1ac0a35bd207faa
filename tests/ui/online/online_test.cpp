// The online panel with a fake on-line check and a fake web view: the off-line message, the pages
// and their addresses, new windows, the fallback to the desktop's browser, the contact pictures
// and the "Simulation" tab. Nothing here reaches the network or starts a browser engine.
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <unistd.h> // for geteuid

#include "ui/common/fake_environment.hpp"
#include "ui/online/contact_panel.hpp"
#include "ui/online/embedded_browser.hpp"
#include "ui/online/online_panel.hpp"
#include "ui/online/simulation_panel.hpp"
#include "ui/shell/main_window.hpp"

namespace spot {
namespace {

// The page table: the structure database's search form, and on the project site the comments
// page (query on the root path) and the forum (path "/bbs").
const QUrl kSearchAddress(QStringLiteral("https://www.crystallography.net/cod/search.html"));
const QUrl kCommentsAddress(QStringLiteral("https://spotindex.org/?page_id=532"));
const QUrl kForumAddress(QStringLiteral("https://spotindex.org/bbs"));
const QString kOffline = QStringLiteral("当前没联网");

class FakeOnlineCheck final : public OnlineCheck {
public:
  bool online = true;
  bool isOnline() override { return online; }
};

class FakePageView final : public PageView {
public:
  using PageView::PageView;
  QList<QUrl> addresses;
  bool silent = false;
  void navigate(const QUrl& address) override { addresses.append(address); }
  void setSilent(bool on) override { silent = on; }
};

class FakeViews final : public PageViewFactory {
public:
  bool engineAvailable = true;
  bool desktopBrowserAvailable = true;
  int created = 0;
  FakePageView* last = nullptr;
  QList<QUrl> openedOutside;
  PageView* create(QWidget* parent) override {
    if (!engineAvailable) return nullptr;
    ++created;
    last = new FakePageView(parent);
    return last;
  }
  bool openOutside(const QUrl& address) override {
    openedOutside.append(address);
    return desktopBrowserAvailable;
  }
};

struct OnlineFixture : ::testing::Test {
  testing::FakePrompts prompts;
  FakeOnlineCheck online;
  FakeViews views;
  OnlinePanel panel{prompts, online, views};
  SimulationPanel simulation;

  OnlineFixture() {
    // The window's wiring: the forum button of the "Simulation" tab opens the forum here.
    QObject::connect(&simulation, &SimulationPanel::forumRequested, &panel,
                     &OnlinePanel::openForum);
    panel.show();
  }
  void click(const char* name) {
    auto* button = panel.findChild<QPushButton*>(QString::fromLatin1(name));
    if (!button) button = simulation.findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  QWidget* contactPanel() { return panel.findChild<QWidget*>(QStringLiteral("Frame10")); }
  QWidget* webBrowser() { return panel.findChild<QWidget*>(QStringLiteral("WebBrowser1")); }
};

TEST_F(OnlineFixture, OfflineButtonsShowTheMessageAndChangeNothing) {
  QSignalSpy shown(&panel, &OnlinePanel::pageShown);
  online.online = false;
  for (const char* button : {"Command11", "Command16", "Command12"})
    click(button);
  EXPECT_EQ(prompts.messages, QStringList({kOffline, kOffline, kOffline}));
  EXPECT_EQ(shown.count(), 0); // the window stays on the tab the user is on
  EXPECT_TRUE(contactPanel()->isVisible());
  EXPECT_EQ(views.created, 0); // no view is made for a page that cannot be shown
  EXPECT_EQ(webBrowser(), nullptr);

  // With a page already shown and the contact panel in front again, nothing moves either.
  online.online = true;
  click("Command16");
  click("Command4");
  online.online = false;
  prompts.messages.clear();
  for (const char* button : {"Command11", "Command16", "Command12"})
    click(button);
  EXPECT_EQ(prompts.messages.size(), 3);
  EXPECT_TRUE(contactPanel()->isVisible());
  EXPECT_FALSE(webBrowser()->isVisible());
  EXPECT_EQ(views.last->addresses, QList<QUrl>({kCommentsAddress}));
}

TEST_F(OnlineFixture, OnlineButtonsHideThePanelAndShowTheirPage) {
  const std::pair<const char*, QUrl> pages[] = {
      {"Command11", kSearchAddress}, {"Command16", kCommentsAddress}, {"Command12", kForumAddress}};
  QSignalSpy shown(&panel, &OnlinePanel::pageShown); // the window turns to the page's tab
  for (const auto& [button, address] : pages) {
    click("Command4");
    ASSERT_TRUE(contactPanel()->isVisible());
    click(button);
    EXPECT_FALSE(contactPanel()->isVisible()) << button;
    ASSERT_NE(webBrowser(), nullptr);
    EXPECT_TRUE(webBrowser()->isVisible()) << button;
    EXPECT_TRUE(views.last->silent);
    EXPECT_EQ(views.last->addresses.last(), address) << button;
  }
  EXPECT_EQ(shown.count(), 3);
  EXPECT_TRUE(prompts.messages.isEmpty());
  EXPECT_EQ(views.created, 1); // made on first use, then kept
  EXPECT_TRUE(views.openedOutside.isEmpty());
}

TEST_F(OnlineFixture, NewWindowOpensInTheViewAtTheLastStatusText) {
  click("Command11");
  FakePageView* view = views.last;
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(panel.lastStatusText().isEmpty());

  const QString link = QStringLiteral("https://www.crystallography.net/cod/1000041.html");
  emit view->statusTextChanged(link);
  emit view->newWindowRequested();
  EXPECT_EQ(view->addresses.last(), QUrl(link));

  // The mouse left the link before the page asked: the view goes to the empty text it last had.
  emit view->statusTextChanged(QString());
  emit view->newWindowRequested();
  EXPECT_EQ(view->addresses.size(), 3);
  EXPECT_TRUE(view->addresses.last().isEmpty());
  EXPECT_EQ(views.created, 1); // no second view
}

TEST_F(OnlineFixture, WithoutABrowserEnginePagesOpenInTheDesktopBrowser) {
  views.engineAvailable = false;
  click("Command16");
  click("Command12");
  EXPECT_EQ(views.openedOutside, QList<QUrl>({kCommentsAddress, kForumAddress}));
  EXPECT_TRUE(contactPanel()->isVisible());
  EXPECT_TRUE(prompts.messages.isEmpty());

  views.desktopBrowserAvailable = false;
  click("Command11");
  ASSERT_EQ(prompts.messages.size(), 1);
  EXPECT_TRUE(prompts.messages.first().endsWith(kSearchAddress.toString()));
}

TEST_F(OnlineFixture, ABrokenViewHandsItsPageToTheDesktopBrowser) {
  click("Command11");
  emit views.last->broken(kSearchAddress);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(webBrowser(), nullptr);
  EXPECT_TRUE(contactPanel()->isVisible());
  click("Command16");
  EXPECT_EQ(views.openedOutside, QList<QUrl>({kSearchAddress, kCommentsAddress}));
  EXPECT_EQ(views.created, 1); // a broken engine is not started again
}

TEST_F(OnlineFixture, EachOptionShowsItsOwnPicture) {
  auto image = [this](int number) {
    return panel.findChild<QLabel*>(QStringLiteral("Image%1").arg(number));
  };
  auto shown = [&] {
    QList<int> numbers;
    for (int number : {6, 7, 9, 10})
      if (image(number)->isVisible()) numbers.append(number);
    return numbers;
  };
  EXPECT_TRUE(panel.findChild<QRadioButton*>(QStringLiteral("Option3(0)"))->isChecked());
  EXPECT_EQ(shown(), QList<int>({6}));
  EXPECT_EQ(panel.findChild<QRadioButton*>(QStringLiteral("Option3(2)")), nullptr);
  for (int number : {6, 7, 9, 10})
    EXPECT_EQ(panel.contactPanel()->picture(number), image(number)) << number;
  EXPECT_EQ(panel.contactPanel()->picture(8), nullptr);

  const std::pair<int, int> pictureOfOption[] = {{1, 7}, {3, 10}, {0, 6}};
  for (const auto& [option, number] : pictureOfOption) {
    panel.findChild<QRadioButton*>(QStringLiteral("Option3(%1)").arg(option))->click();
    EXPECT_EQ(shown(), QList<int>({number})) << "option " << option;
  }
  panel.contactPanel()->showOptionPicture(3);
  for (int unknown : {2, -1, 4}) {
    panel.contactPanel()->showOptionPicture(unknown);
    EXPECT_EQ(shown(), QList<int>({10})) << "index " << unknown;
  }
  // The pictures are drawn from different addresses, so they differ.
  EXPECT_NE(image(6)->pixmap().toImage(), image(7)->pixmap().toImage());
  const QImage forum = DrawAddressPicture(kForumAddress.toString(), "SpotIndex 官方社区");
  EXPECT_EQ(image(7)->pixmap().toImage(), QPixmap::fromImage(forum).toImage());
}

TEST(AddressPicture, HasTheThreeCornerSquaresOfAScanCodeAndDependsOnlyOnItsText) {
  const QImage picture = DrawAddressPicture(kForumAddress.toString(), QStringLiteral("Forum"));
  EXPECT_EQ(picture, DrawAddressPicture(kForumAddress.toString(), QStringLiteral("Forum")));
  // The code (above the caption) is drawn from the address alone, and another address changes it.
  const QRect code(0, 0, picture.width(), 14 + 25 * 7);
  const auto codeOf = [&](const QString& address, const QString& caption) {
    return DrawAddressPicture(address, caption).copy(code);
  };
  EXPECT_EQ(codeOf(kForumAddress.toString(), QStringLiteral("Other")), picture.copy(code));
  EXPECT_NE(codeOf(kForumAddress.toString().toUpper(), QStringLiteral("Forum")),
            picture.copy(code));
  // 25 x 25 modules of 7 pixels inside a 14-pixel margin; a module is dark when its middle is.
  const auto dark = [&](int row, int column) {
    return qGray(picture.pixel(14 + 7 * column + 3, 14 + 7 * row + 3)) < 128;
  };
  // A corner square is 7 x 7 modules: a dark ring, a light ring and a dark 3 x 3 middle, so a
  // module at Chebyshev distance 3 or at most 1 from its centre is dark; the light row and column
  // around it (distance 4) part it from the rest.
  for (const QPoint centre : {QPoint(3, 3), QPoint(21, 3), QPoint(3, 21)})
    for (int row = centre.y() - 4; row <= centre.y() + 4; ++row)
      for (int column = centre.x() - 4; column <= centre.x() + 4; ++column) {
        if (row < 0 || column < 0 || row > 24 || column > 24) continue;
        const int distance = std::max(std::abs(row - centre.y()), std::abs(column - centre.x()));
        EXPECT_EQ(dark(row, column), distance == 3 || distance <= 1) << row << "," << column;
      }
  // Between the squares, row 6 and column 6 alternate, dark on even modules.
  for (int i = 8; i <= 16; ++i) {
    EXPECT_EQ(dark(6, i), i % 2 == 0) << i;
    EXPECT_EQ(dark(i, 6), i % 2 == 0) << i;
  }
}

TEST(OnlineInTheWindow, TheForumButtonOpensTheForumOnTheDiscussionTab) {
  testing::FakeEnvironment fake;
  FakeOnlineCheck online;
  FakeViews views;
  MainWindow window(
      Environment{fake.prompts, fake.clock, fake.places, &online, &views, &fake.screen});
  window.show();
  window.tabs()->setCurrentIndex(MainWindow::SimulationTab);
  EXPECT_EQ(window.tabs()->tabText(MainWindow::SimulationTab), QStringLiteral("Simulation"));
  QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command12")), Qt::LeftButton);
  ASSERT_NE(views.last, nullptr);
  EXPECT_EQ(views.last->addresses, QList<QUrl>({kForumAddress}));
  EXPECT_EQ(window.tabs()->currentIndex(), MainWindow::DiscussionTab);
}

TEST(EmbeddedBrowser, StartsOnlyWhereItsHelperProgramAndResourcesAre) {
  // The places the environment names come first; any file stands for the helper program. The
  // sandbox is off, as the engine needs it for root.
  QTemporaryDir dir;
  // As root the engine runs only without its sandbox: the switch joins those given, once.
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--lang=de");
  PrepareEmbeddedBrowser();
  PrepareEmbeddedBrowser();
  EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"),
            geteuid() == 0 ? QByteArray("--lang=de --no-sandbox") : QByteArray("--lang=de"));
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  qputenv("QTWEBENGINEPROCESS_PATH", dir.filePath(QStringLiteral("none")).toUtf8());
  EXPECT_FALSE(EmbeddedBrowserCanStart());
  qputenv("QTWEBENGINEPROCESS_PATH", QCoreApplication::applicationFilePath().toUtf8());
  qputenv("QTWEBENGINE_RESOURCES_PATH", dir.path().toUtf8());
  EXPECT_FALSE(EmbeddedBrowserCanStart()); // no resources there
  ASSERT_TRUE(
      QFile(dir.filePath(QStringLiteral("qtwebengine_resources.pak"))).open(QIODevice::WriteOnly));
#ifdef SPOT_HAVE_WEBENGINE
  EXPECT_TRUE(EmbeddedBrowserCanStart());
  qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
  EXPECT_TRUE(EmbeddedBrowserCanStart()); // the switch among the flags will do as well
#endif
  for (const char* name : {"QTWEBENGINE_DISABLE_SANDBOX", "QTWEBENGINEPROCESS_PATH",
                           "QTWEBENGINE_RESOURCES_PATH", "QTWEBENGINE_CHROMIUM_FLAGS"})
    qunsetenv(name);
}

TEST(SimulationPanel, DrawsThirtySevenSpotsAroundTheCentre) {
  const std::vector<QPointF> spots = SimulatedSpots();
  // A hexagonal net to the third ring holds 1 + 6·(1 + 2 + 3) = 37 points.
  ASSERT_EQ(spots.size(), 37u);
  EXPECT_EQ(spots.front(), QPointF(0, 0));
  // Friedel pairs: every spot at r has its partner at −r, so the positions add up to zero.
  QPointF sum;
  int nearest = 0;
  for (const QPointF& spot : spots) {
    sum += spot;
    if (std::abs(std::hypot(spot.x(), spot.y()) - 1.0) < 1e-9) ++nearest;
  }
  EXPECT_NEAR(sum.x(), 0.0, 1e-9);
  EXPECT_NEAR(sum.y(), 0.0, 1e-9);
  EXPECT_EQ(nearest, 6); // the first ring of a hexagonal net has six spots at one spacing

  SimulationPanel panel;
  EXPECT_EQ(panel.findChild<QLabel*>(QStringLiteral("Label13"))->text(),
            QStringLiteral("给你一首歌的时间，留下你想说的话吧！"));
  EXPECT_NE(panel.findChild<QWidget*>(QStringLiteral("Frame8"))
                ->findChild<QPushButton*>(QStringLiteral("Command12")),
            nullptr);
}

} // namespace
} // namespace spot
