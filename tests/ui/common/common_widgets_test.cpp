// What the panels share: the labels that act as commands (reached with Tab, activated by a click,
// Enter or Space) and the place two panels take turns in.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "ui/common/clickable_label.hpp"
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

} // namespace
} // namespace spot
