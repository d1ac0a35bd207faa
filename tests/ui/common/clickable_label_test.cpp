// The labels that act as commands: reached with Tab, activated by a click, Enter or Space.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "ui/common/clickable_label.hpp"

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

} // namespace
} // namespace spot
