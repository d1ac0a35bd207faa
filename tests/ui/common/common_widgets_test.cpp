// What the panels share: the labels that act as commands (reached with Tab, activated by a click,
// Enter or Space), the place two panels take turns in and the area that scrolls one way.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "ui/common/box_array.hpp"
#include "ui/common/clickable_label.hpp"
#include "ui/common/one_way_scroll_area.hpp"
#include "ui/common/shared_place.hpp"

namespace spot {
namespace {

TEST(ClickableLabel, TakesTheFocusAndAnswersClickEnterAndSpaceButNoOtherKey) {
  QWidget window;
  auto* before = new QLineEdit(&window);
  auto* label =
      new ClickableLabel(QStringLiteral("★"), QStringLiteral("Show the calculator"), &window);
  label->move(0, 40);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QSignalSpy clicks(label, &ClickableLabel::clicked);
  EXPECT_EQ(label->accessibleName(), QStringLiteral("Show the calculator"));
  EXPECT_EQ(label->accessibleDescription(), QStringLiteral("Press Enter or Space to activate"));
  EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor); // it looks like a link

  before->setFocus();
  QTest::keyClick(before, Qt::Key_Tab);
  ASSERT_EQ(window.focusWidget(), label);
  QTest::keyClick(label, Qt::Key_Return);
  QTest::keyClick(label, Qt::Key_Enter, Qt::KeypadModifier);
  QTest::keyClick(label, Qt::Key_Space);
  EXPECT_EQ(clicks.count(), 3);
  // Letters and Enter with a modifier belong to someone else.
  QTest::keyClick(label, Qt::Key_A);
  QTest::keyClick(label, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(clicks.count(), 3);

  // A press that leaves the label before its release is no click.
  QTest::mouseClick(label, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 4);
  QTest::mousePress(label, Qt::LeftButton);
  QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(-5, -5));
  EXPECT_EQ(clicks.count(), 4);
}

TEST(BoxArray, AWrittenValueShowsItsStartUnlessTheUserIsInTheBox) {
  QWidget window;
  BoxArray boxes(&window);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  const QString value = QStringLiteral("0.12345678901234567");
  boxes.setText(Box::Number1, value);
  EXPECT_EQ(boxes.box(Box::Number1)->cursorPosition(), 0);
  // The box the user is in keeps its cursor where the new text leaves it: at the end.
  boxes.box(Box::Number2)->setFocus();
  ASSERT_TRUE(boxes.box(Box::Number2)->hasFocus());
  boxes.setText(Box::Number2, value);
  EXPECT_EQ(boxes.box(Box::Number2)->cursorPosition(), value.size());
}

TEST(SharedPlace, StandsAloneUntilASecondPanelComesThenTakesTurns) {
  QWidget window;
  auto* first = new QLabel(QStringLiteral("first"));
  auto* place = new SharedPlace(first, &window);
  window.show();
  // Alone, the second panel's commands find nothing to do.
  place->toggleSecond();
  place->hideSecond();
  place->showFirst();
  place->installSecond(nullptr);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(place->second(), nullptr);

  QPointer<QWidget> second = new QLabel(QStringLiteral("second"));
  place->installSecond(second);
  place->installSecond(second); // the same panel again is kept, not replaced by itself
  ASSERT_FALSE(second.isNull());
  EXPECT_FALSE(second->isVisible());
  place->toggleSecond();
  EXPECT_TRUE(second->isVisible());
  EXPECT_FALSE(first->isVisible());
  place->toggleFirst();
  EXPECT_TRUE(first->isVisible());
  EXPECT_FALSE(second->isVisible());
  place->toggleFirst();
  EXPECT_FALSE(first->isVisible());

  // A new second panel replaces the old one at once.
  place->installSecond(new QLabel(QStringLiteral("third")));
  EXPECT_TRUE(second.isNull());
}

TEST(OneWayScrollArea, IsAsLargeAsItsContentAcrossAndMakesRoomForItsScrollBar) {
  QWidget window;
  // Content that needs 300 x 40 pixels, as a panel's layout asks for its controls' room.
  auto* content = new QWidget;
  auto* inside = new QVBoxLayout(content);
  inside->setContentsMargins(0, 0, 0, 0);
  auto* control = new QWidget;
  control->setFixedSize(300, 40);
  inside->addWidget(control);
  auto* area = new OneWayScrollArea(Qt::Horizontal, content);
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(area, 0, Qt::AlignTop);
  window.resize(400, 200);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // Across the scrolling: the content's height, and the bar's as well once the window is too
  // narrow for the content. Along it: the content wants all of its width, a few lines suffice.
  EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
  EXPECT_EQ(area->sizeHint(), QSize(300, 40));
  EXPECT_LT(area->minimumSizeHint().width(), 300);
  EXPECT_EQ(area->height(), 40);
  window.resize(100, 200);
  ASSERT_TRUE(QTest::qWaitFor([&] { return area->horizontalScrollBar()->isVisible(); }));
  const int bar = area->horizontalScrollBar()->sizeHint().height();
  EXPECT_EQ(area->sizeHint(), QSize(300, 40 + bar));
  EXPECT_TRUE(QTest::qWaitFor([&] { return area->height() == 40 + bar; })) << area->height();
  control->setFixedSize(300, 60); // the content's needs change: the area follows
  EXPECT_TRUE(QTest::qWaitFor([&] { return area->height() == 60 + bar; })) << area->height();
}

} // namespace
} // namespace spot
