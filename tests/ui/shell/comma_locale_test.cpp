// The window on a comma-decimal desktop: a picture measured through the "Measure" dialog, the
// search, a tolerance slider, the calculator and the export show and read exactly the texts
// they show in the C locale.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <cmath> // for sqrt
#include <string>

#include "core/numeric_text.hpp"
#include "support/scoped_locale.hpp"
#include "ui/calculation/calculator_panel.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/calculation/tolerance_panel.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/measurement/measure_dialog.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/shell/main_window.hpp"

namespace spot {
namespace {

/// Qt's default locale for one scope, as QApplication takes it from a German desktop.
class ScopedQtLocale {
public:
  explicit ScopedQtLocale(const QLocale& locale) { QLocale::setDefault(locale); }
  ~ScopedQtLocale() { QLocale::setDefault(previous_); }

private:
  QLocale previous_;
};

void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

/// What the user sees on the way.
struct Shown {
  QStringList dialogCaptions;   ///< one a measured line
  QStringList measurementBoxes; ///< in kPictureMeasurementBoxes order
  QString spacingTolerance1, count, summary;
  QStringList rows; ///< colour and cells, "|" between them
  QStringList calculator;
  QString report;
  QStringList messages;

  /// Everything, one text a line, for a readable difference.
  std::string all() const {
    return (dialogCaptions + measurementBoxes + QStringList{spacingTolerance1, count, summary} +
            rows + calculator + QStringList{report} + messages)
        .join(QLatin1Char('\n'))
        .toStdString();
  }
};

/// Measures a picture with the mouse, searches a = 0.4 nm face-centred, moves the first spacing
/// slider one step past its default, runs the calculator on (111) and (200) and exports the
/// list.
Shown measureSearchAndReport() {
  QTemporaryDir folder;
  testing::FakeEnvironment fake;
  fake.places.setFolder(folder.path());
  MainWindow window(fake.environment());
  window.show();
  Shown shown;
  if (!QTest::qWaitForWindowExposed(&window)) return shown;
  const auto box = [&](Box b) { return window.boxArray().text(b); };

  // Spots 100 px apart around the centre (200, 200) of a 400 px picture; a 100 px scale bar.
  QImage image(400, 400, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  for (int i = 0; i < 9; ++i)
    painter.fillRect(94 + 100 * (i % 3), 94 + 100 * (i / 3), 12, 12, Qt::white);
  painter.fillRect(50, 368, 100, 4, Qt::white);
  painter.end();
  const QString picture = folder.filePath(QStringLiteral("pattern.png"));
  image.save(picture);
  window.tabs()->setCurrentIndex(MainWindow::MeasurementTab);
  fake.prompts.files.push_back(picture);
  click(window.findChild<QWidget*>(QStringLiteral("Command2")));
  click(window.findChild<QWidget*>(QStringLiteral("Command9")));
  PictureView* view = window.pictureView();
  MeasureDialog* dialog = window.measureDialog();
  const QPoint origin = view->imageRect().topLeft().toPoint();
  const QPoint centre(200, 200);
  const std::pair<QPoint, QPoint> lines[] = {
      {{50, 370}, {150, 370}}, {centre, {300, 200}}, {centre, {200, 100}}, {centre, {300, 100}}};
  for (int role = 0; role < 4; ++role) {
    QTest::mousePress(view, Qt::LeftButton, {}, origin + lines[role].first);
    QTest::mouseMove(view, origin + lines[role].second);
    QTest::mouseRelease(view, Qt::LeftButton, {}, origin + lines[role].second);
    click(dialog->roleOption(role));
    shown.dialogCaptions << dialog->lengthCaption()->text();
    dialog->entryBox()->setText(role == 0 ? QStringLiteral("5") : QStringLiteral("1"));
    click(dialog->okButton());
  }
  for (Box b : kPictureMeasurementBoxes)
    shown.measurementBoxes << box(b);

  window.tabs()->setCurrentIndex(MainWindow::CalculationTab);
  window.phasePanel()->unlock();
  for (Box b : {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma})
    window.boxArray().setText(b, b <= Box::C ? QStringLiteral("0.4") : QStringLiteral("90"));
  window.boxArray().setText(Box::IndexRange, QStringLiteral("2"));
  window.phasePanel()->latticeTypeSelector()->setCurrentIndex(3);
  click(window.phasePanel()->calculateButton());
  window.resultsPanel()->tolerancePanel()->slider(1)->setValue(14);
  shown.spacingTolerance1 = box(Box::DTol1);
  shown.count = window.resultsPanel()->countLabel()->text();
  shown.summary = window.resultsPanel()->summaryLabel()->text();
  const ResultsModel& model = *window.resultsPanel()->model();
  for (int r = 0; r < model.rowCount(); ++r) {
    QStringList cells{model.rowColour(r).name()};
    for (int c = 0; c < kResultColumnCount; ++c)
      cells << QString::fromStdString(model.cellText(r, c));
    shown.rows << cells.join(QLatin1Char('|'));
  }

  const std::pair<Box, const char*> planes[] = {
      {Box::CalcH1, "1"}, {Box::CalcK1, "1"}, {Box::CalcL1, "1"},
      {Box::CalcH2, "2"}, {Box::CalcK2, "0"}, {Box::CalcL2, "0"},
      {Box::CalcH3, "3"}, {Box::CalcK3, "1"}, {Box::CalcL3, "1"}};
  for (const auto& [b, text] : planes)
    window.boxArray().setText(b, QString::fromLatin1(text));
  window.calculatorPanel()->calculate();
  for (Box b : {Box::CalcAngle12, Box::CalcAngle23, Box::CalcAngle13, Box::CalcZoneU,
                Box::CalcZoneV, Box::CalcZoneW})
    shown.calculator << box(b);
  for (int plane = 0; plane < 3; ++plane)
    shown.calculator << window.calculatorPanel()->spacingLabel(plane)->text();

  window.resultsPanel()->view()->exportAction()->trigger();
  const QStringList reports =
      QDir(folder.path()).entryList({QStringLiteral("Calculation Results*")}, QDir::Files);
  QFile report(QDir(folder.path()).filePath(reports.value(0)));
  if (report.open(QIODevice::ReadOnly)) shown.report = QString::fromUtf8(report.readAll());
  shown.messages = fake.prompts.messages;
  return shown;
}

TEST(CommaLocale, MeasuringSearchFilterCalculatorAndReportShowWhatTheCLocaleShows) {
  testing::ScopedLocale locale;
  locale.useClassic();
  const Shown classic = measureSearchAndReport();
  if (!locale.useCommaDecimal()) GTEST_SKIP() << testing::kNoCommaLocale;
  const ScopedQtLocale german(QLocale(QLocale::German, QLocale::Germany));
  const Shown comma = measureSearchAndReport();
  EXPECT_EQ(comma.all(), classic.all());

  // The texts themselves: scale bar 150 - 50 = 100 px; R3 from (200, 200) to (300, 100) is
  // 100·√2 = 141.42 px to two decimals, and its box reads back as that length; slider 14 of 100
  // over 0.06 nm is 0.0084 nm; the angle between (111) and (200) is arccos(1/√3) =
  // 54.7356103172453°; the first row's R1 plane is a {200} of a = 0.4 nm: 0.4/2 nm, and within
  // the tolerances it is blue.
  ASSERT_EQ(comma.dialogCaptions.size(), 4);
  EXPECT_EQ(comma.dialogCaptions[0].toStdString(), "Scale bar length is 100px");
  EXPECT_EQ(comma.dialogCaptions[3].toStdString(), "R3 length is 141.42px");
  EXPECT_EQ(comma.measurementBoxes.value(1).toStdString(), "100");
  EXPECT_NEAR(NumericPrefix(comma.measurementBoxes.value(4).toStdString()), 100 * std::sqrt(2.0),
              1e-4);
  EXPECT_EQ(comma.spacingTolerance1.toStdString(), "0.0084");
  EXPECT_EQ(comma.count.toInt(), comma.rows.size());
  ASSERT_FALSE(comma.rows.isEmpty());
  EXPECT_TRUE(comma.rows[0].startsWith(QStringLiteral("#0000ff|No.001|")))
      << comma.rows[0].toStdString();
  EXPECT_TRUE(comma.rows[0].contains(QStringLiteral("|0.2000000|"))) << comma.rows[0].toStdString();
  EXPECT_EQ(comma.calculator.value(0).toStdString(), "54.7356103172453");
  // The export writes the row's cells as shown, tabs between them and a space before the last.
  QStringList cells = comma.rows[0].split(QLatin1Char('|')).mid(1);
  const QString last = cells.takeLast();
  EXPECT_TRUE(comma.report.contains(cells.join(QLatin1Char('\t')) + QLatin1Char(' ') + last));
  EXPECT_TRUE(comma.messages.isEmpty()) << comma.messages.join(QLatin1Char('\n')).toStdString();
}

} // namespace
} // namespace spot
