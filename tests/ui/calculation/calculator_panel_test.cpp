// The plane calculator built alone over its boxes: what it writes, and the message and focus of a
// refused or stopped calculation.
#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "core/numeric_text.hpp"
#include "ui/calculation/calculator_panel.hpp"
#include "ui/common/fake_environment.hpp"

namespace spot {
namespace {

class CalculatorAlone : public ::testing::Test {
protected:
  void SetUp() override {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (Box b : {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma})
      boxes.setText(b, QString::fromLatin1(b <= Box::C ? "0.4" : "90"));
  }
  void planes(const char* r1, const char* r2, const char* r3) {
    const char* rows[] = {r1, r2, r3};
    for (int r = 0; r < 3; ++r) {
      const QStringList hkl = QString::fromLatin1(rows[r]).split(' ');
      for (int c = 0; c < 3; ++c)
        boxes.setText(static_cast<Box>(BoxNumber(Box::CalcH1) + 3 * c + r), hkl[c]);
    }
  }
  double number(Box box) const { return NumericPrefix(boxes.text(box).toStdString()); }
  QString spacing(int plane) const { return panel.spacingLabel(plane)->text(); }

  QWidget window;
  BoxArray boxes{&window};
  testing::FakePrompts prompts;
  CalculatorPanel panel{boxes, prompts, &window};
};

TEST_F(CalculatorAlone, WritesEachAngleInItsOwnBoxAndStopsAtTheNamedPair) {
  // Cubic a = 0.4, R3 = (1 2 0): <R1,R2> = 90, <R2,R3> = arccos(2/√5) = 26.565°, <R1,R3> =
  // arccos(1/√5) = 63.435°, d3 = 0.4/√5 = 0.1788854 nm; (1 0 0) × (0 1 0) = [0 0 1].
  QStringList captions;
  for (const QLabel* label : panel.findChildren<QLabel*>())
    captions << label->text();
  for (const char* caption : {"R1", "R2", "R3", "<R1,R2>=", "<R2,R3>=", "<R1,R3>="})
    EXPECT_TRUE(captions.contains(QString::fromLatin1(caption))) << caption;
  // The zone axis row starts under the plane rows' captions.
  const QList<QLabel*> labels = panel.findChildren<QLabel*>();
  EXPECT_EQ(labels.at(captions.indexOf("zone axis"))->x(), labels.at(captions.indexOf("R1"))->x());

  // "Clean" stands under "Calculate".
  const QWidget* calculate = panel.findChild<QWidget*>(QStringLiteral("Command5"));
  const QWidget* clean = panel.findChild<QWidget*>(QStringLiteral("Command15"));
  EXPECT_EQ(clean->x(), calculate->x());
  EXPECT_GT(clean->y(), calculate->y());

  QSignalSpy sketch(&panel, &CalculatorPanel::sketchLabelsChanged);
  planes("1 0 0", "0 1 0", "1 2 0");
  panel.calculate();
  EXPECT_TRUE(prompts.messages.isEmpty());
  EXPECT_EQ(boxes.text(Box::CalcZoneU) + boxes.text(Box::CalcZoneV) + boxes.text(Box::CalcZoneW),
            "001");
  EXPECT_EQ(boxes.text(Box::CalcAngle12), "90");
  EXPECT_NEAR(number(Box::CalcAngle23), 26.5650511770780, 1e-12);
  EXPECT_NEAR(number(Box::CalcAngle13), 63.4349488229220, 1e-12);
  EXPECT_EQ(spacing(2), "d3=0.1788854");
  ASSERT_EQ(sketch.count(), 1);
  EXPECT_EQ(sketch.at(0).at(2).toString(), "（1 2 0）");
  EXPECT_EQ(sketch.at(0).at(3).toString(), "Z=[0 0 1]");

  // R1 ∥ R3: <R1,R2> and <R2,R3> stay, <R1,R3> and the spacings show as not calculated, and
  // the focus goes to R3, the second plane of the pair.
  planes("1 0 0", "0 1 0", "-3 0 0");
  panel.calculate();
  ASSERT_EQ(prompts.messages.size(), 1);
  EXPECT_TRUE(prompts.messages.last().startsWith("R1 and R3 are parallel"));
  EXPECT_TRUE(boxes.box(Box::CalcH3)->hasFocus());
  EXPECT_EQ(boxes.text(Box::CalcAngle23), "90");
  EXPECT_EQ(boxes.text(Box::CalcAngle13), "***");
  EXPECT_EQ(spacing(0), "d1= ***");
}

TEST_F(CalculatorAlone, AnIndexTooLargeToMultiplyIsRefusedAndNothingStaysFromBefore) {
  planes("1 0 0", "0 1 0", "1 1 0");
  panel.calculate();
  ASSERT_EQ(boxes.text(Box::CalcAngle13), "45");
  QSignalSpy reset(&panel, &CalculatorPanel::sketchLabelsReset);

  planes("1 0 0", "0 1e200 0", "1 1 0");
  panel.calculate();
  ASSERT_EQ(prompts.messages.size(), 1);
  EXPECT_TRUE(prompts.messages.last().contains("\"R2 k\""))
      << prompts.messages.last().toStdString();
  EXPECT_TRUE(boxes.box(Box::CalcK2)->hasFocus());
  EXPECT_EQ(boxes.box(Box::CalcK2)->selectedText(), "1e200");
  for (Box b : {Box::CalcZoneU, Box::CalcZoneW, Box::CalcAngle12, Box::CalcAngle13})
    EXPECT_EQ(boxes.text(b), "***") << BoxCaption(b);
  EXPECT_EQ(spacing(2), "d3= ***");
  EXPECT_EQ(reset.count(), 1);
}

TEST_F(CalculatorAlone, AHexagonalCellAlsoShowsTheZoneAxisInFourIndices) {
  // (0 1 0) × (0 0 1) = [1 0 0], the a1 direction: [2 -1 -1 0] in four indices, from
  // u = (2U − V)/3, v = (2V − U)/3, t = −(u + v), w = W, made whole.
  boxes.setText(Box::A, QStringLiteral("0.3209"));
  boxes.setText(Box::B, QStringLiteral("0.3209"));
  boxes.setText(Box::C, QStringLiteral("0.5211"));
  boxes.setText(Box::Gamma, QStringLiteral("120"));
  planes("0 1 0", "0 0 1", "0 1 1");
  panel.calculate();
  EXPECT_EQ(panel.fourIndexLabel()->text(), "= [2 -1 -1 0]");
  // Indices with decimals give an axis with decimals, which has no four-index form to show.
  planes("0 0.5 0", "0 0 1", "0 0.5 1");
  panel.calculate();
  EXPECT_EQ(boxes.text(Box::CalcZoneU), "0.5");
  EXPECT_EQ(panel.fourIndexLabel()->text(), "");
  // A cubic cell has none either.
  boxes.setText(Box::Gamma, QStringLiteral("90"));
  boxes.setText(Box::C, QStringLiteral("0.3209"));
  planes("0 1 0", "0 0 1", "0 1 1");
  panel.calculate();
  EXPECT_EQ(panel.fourIndexLabel()->text(), "");
  EXPECT_TRUE(prompts.messages.isEmpty());
}

} // namespace
} // namespace spot
