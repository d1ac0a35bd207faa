// The whole window: the database batch and its report, the export, and a picture measured with
// the mouse through the "Measure" dialog and indexed; the secondary windows closing with the tab
// change and the window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <cmath> // for pow
#include <memory>

#include "core/numeric_text.hpp"
#include "database/batch_run.hpp"
#include "database/report_file.hpp"
#include "measurement/pattern_vectors.hpp"
#include "ui/calculation/calculator_panel.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/common/report_places.hpp"
#include "ui/common/shared_place.hpp"
#include "ui/database/best_phases_view.hpp"
#include "ui/database/database_panel.hpp"
#include "ui/measurement/magnifier.hpp"
#include "ui/measurement/measure_dialog.hpp"
#include "ui/measurement/measurement_boxes_panel.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/measurement/slots_menu_controller.hpp"
#include "ui/shell/application_icon.hpp"
#include "ui/shell/main_window.hpp"
#include "ui/shell/report_commands.hpp"

namespace spot {
namespace {

class WholeWindow : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    fake.places.setFolder(folder.path());
    window = std::make_unique<MainWindow>(fake.environment());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
  /// Clicks a button that may start a batch, and waits until the batch has ended.
  void clickAndWait(QWidget* widget) {
    click(widget);
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return !window->reportCommands()->isBatchRunning(); }, 60'000));
  }
  QStringList reports() const {
    return QDir(folder.path()).entryList({QStringLiteral("Calculation Results*")}, QDir::Files);
  }
  QStringList reportLines() const {
    QFile file(QDir(folder.path()).filePath(reportName));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
  }
  /// h² + k² + l² of the plane of a row in R1 (first = 1) or R3 (first = 9).
  int squares(int row, int first) const {
    int sum = 0;
    for (int c = first; c < first + 3; ++c)
      sum += static_cast<int>(
          std::pow(NumericPrefix(window->resultsPanel()->model()->cellText(row, c)), 2));
    return sum;
  }
  void enterMeasurement() { testing::EnterFaceCentredMeasurement(window->boxArray()); }
  /// Ticks the records in the tree (in Multiple mode through their phase nodes, which tick
  /// their parameter nodes) and runs the batch.
  DatabasePanel& runBatch(std::initializer_list<const char*> records, bool multiple) {
    if (!window->phaseDatabase()->isVisible()) window->sharedPlace()->toggleSecond();
    DatabasePanel& panel = *window->phaseDatabase();
    click(multiple ? panel.multipleOption() : panel.singleOption());
    for (const char* key : records) {
      QTreeWidgetItem* item = panel.itemWithKey(QString::fromLatin1(key));
      (multiple ? item->parent() : item)->setCheckState(0, Qt::Checked);
    }
    clickAndWait(panel.calculateButton());
    return panel;
  }

  QTemporaryDir folder;
  testing::FakeEnvironment fake;
  std::unique_ptr<MainWindow> window;
  const QString reportName =
      QStringLiteral("Calculation Results2024-03-05 140709.txt"); // FakeClock
};

TEST_F(WholeWindow, BatchOverAlCuNaClWritesOneReportAndLeavesNaClInThePanel) {
  enterMeasurement();
  window->boxArray().setText(Box::Number1, QStringLiteral("one"));
  // Al, Cu and NaCl are records 2, 34 and 80.
  DatabasePanel& panel = runBatch({"bb2", "bb34", "bb80"}, true);
  ASSERT_EQ(panel.selectedRecords(), (std::vector<int>{2, 34, 80}));
  // A measurement box that is no number stops the run once, not once per phase.
  EXPECT_EQ(fake.prompts.messages, QStringList{QString::fromUtf8(kMessageMeasurementBoxes.data())});
  EXPECT_EQ(window->focusWidget(), window->boxArray().box(Box::Number1));
  EXPECT_TRUE(reports().isEmpty());

  fake.prompts.messages.clear();
  window->boxArray().setText(Box::Number1, QStringLiteral("1"));
  clickAndWait(panel.calculateButton());
  EXPECT_TRUE(fake.prompts.messages.isEmpty());
  ASSERT_EQ(reports(), QStringList{reportName});
  // Cu (a = 0.361 nm) has no solution: d111 = 0.2084 and d200 = 0.1805 nm miss 0.2 nm by more
  // than 0.008 nm. The file is the library's batch report as it stands: the window adds or
  // drops nothing.
  const QStringList lines = reportLines();
  EXPECT_EQ(
      lines.filter(QStringLiteral("------")),
      QStringList({QStringLiteral("------Al  FaceCenter  c/a1.00000  Lattice parameters:  "),
                   QStringLiteral("------NaCl  FaceCenter  c/a1.00000  Lattice parameters:  ")}));
  EXPECT_EQ(lines.join(QStringLiteral("\r\n")).toStdString(),
            ComposeBatchReport(RunBatch(window->boxArray().texts(), {2, 34, 80}).phases, "").text);
  EXPECT_EQ(window->statusBar()->currentMessage(),
            "Report written: " + folder.filePath(reportName));

  EXPECT_EQ(window->phasePanel()->nameBox()->text(),
            QStringLiteral("NaCl  FaceCenter  c/a1.00000"));
  EXPECT_EQ(window->phasePanel()->latticeTypeSelector()->currentText(),
            QStringLiteral("F-Face Centred"));
  EXPECT_TRUE(window->phasePanel()->isLocked());
  EXPECT_FALSE(panel.isVisible());
  EXPECT_EQ(panel.calculateButton()->text(), QStringLiteral("Calculate selected items"));
  // NaCl, a = 0.564 nm: only {220} (0.1994 nm) fits 0.2 nm and only {400} (0.141 nm) fits
  // 0.1414 nm: 12 planes for R1 times the 2 perpendicular {220} whose sum is a {400}. Al has
  // 6 {200} for R1 times 4 perpendicular {200} (their sums are {220}). Rows sorted by "No.".
  ResultsModel& model = *window->resultsPanel()->model();
  ASSERT_EQ(model.rowCount(), 12 * 2);
  EXPECT_EQ(lines.filter(QStringLiteral("No.")).size(), 6 * 4 + 12 * 2 + 2); // and 2 headings
  for (int r = 0; r < model.rowCount(); ++r) {
    EXPECT_EQ(squares(r, 1), 8);
    EXPECT_EQ(squares(r, 9), 16);
    if (r > 0) {
      EXPECT_LE(model.cellText(r - 1, 0), model.cellText(r, 0));
    }
  }

  // A report that cannot be written (folders under a regular file, even for root) ends the run
  // with a message; the panel and the list stay as they are.
  QFile plain(folder.filePath(QStringLiteral("plain")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  fake.places.setFolder(plain.fileName() + QStringLiteral("/reports"));
  window->phasePanel()->nameBox()->setText(QStringLiteral("mine"));
  const int rows = model.rowCount();
  runBatch({}, true);
  ASSERT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_TRUE(fake.prompts.messages[0].contains(plain.fileName()));
  EXPECT_EQ(window->phasePanel()->nameBox()->text(), QStringLiteral("mine"));
  EXPECT_EQ(model.rowCount(), rows);
  EXPECT_TRUE(panel.isVisible());
  // The status bar no longer names the earlier run's report.
  EXPECT_EQ(window->statusBar()->currentMessage(), QString());
}

TEST_F(WholeWindow, BestPhasesRankTheBatchAndShowTheChosenPhase) {
  enterMeasurement();
  BestPhasesView& best = *window->bestPhases();
  EXPECT_FALSE(best.isVisible());
  runBatch({"bb2", "bb34", "bb80"}, true);
  ASSERT_TRUE(best.isVisible());
  // Cu has no rows, so it is not listed. The angles fit both exactly; NaCl's spacings miss by
  // 0.0006 and 0.0004 nm (d220 = 0.1994, d400 = 0.1410 nm), Al's by 0.0025 and 0.0017 nm
  // (a = 0.4049 nm: d200 = 0.2025, d220 = 0.1432 nm), so NaCl's best family scores lower.
  QTreeWidget& list = *best.list();
  ASSERT_EQ(list.topLevelItemCount(), 2);
  const auto text = [&list](int row, int column) { return list.topLevelItem(row)->text(column); };
  EXPECT_EQ(text(0, BestPhasesView::PhaseColumn), QStringLiteral("NaCl  FaceCenter  c/a1.00000"));
  EXPECT_EQ(text(1, BestPhasesView::PhaseColumn), QStringLiteral("Al  FaceCenter  c/a1.00000"));
  EXPECT_LT(text(0, BestPhasesView::ScoreColumn).toDouble(),
            text(1, BestPhasesView::ScoreColumn).toDouble());
  // 12 x 2 rows for NaCl and 6 x 4 for Al (see the batch test above).
  EXPECT_EQ(text(0, BestPhasesView::RowsColumn), QStringLiteral("24"));
  EXPECT_EQ(text(1, BestPhasesView::RowsColumn), QStringLiteral("24"));
  // The list takes nothing from the panel: the last record stays as the batch left it.
  EXPECT_EQ(window->phasePanel()->nameBox()->text(), text(0, BestPhasesView::PhaseColumn));

  // Choosing Al shows it as the batch shows its last record: its cell, its type, its rows.
  window->boxArray().setText(Box::A, QStringLiteral("9"));
  ResultsView& view = *window->resultsPanel()->view();
  view.sortResults(column::kH1, Qt::DescendingOrder); // as a click on "h1" leaves it
  list.setCurrentItem(list.topLevelItem(1));
  const std::vector<BatchPhaseOutcome> al = RunBatch(window->boxArray().texts(), {2}).phases;
  ASSERT_EQ(al.size(), 1u);
  EXPECT_EQ(window->phasePanel()->nameBox()->text(), QStringLiteral("Al  FaceCenter  c/a1.00000"));
  EXPECT_EQ(window->boxArray().text(Box::A).toStdString(), al[0].boxes[Box::A]);
  EXPECT_EQ(window->phasePanel()->latticeTypeSelector()->currentText(),
            QStringLiteral("F-Face Centred"));
  EXPECT_TRUE(window->phasePanel()->isLocked());
  ResultsModel& model = *window->resultsPanel()->model();
  ASSERT_EQ(model.rowCount(), 24);
  EXPECT_EQ(view.sortColumn(), column::kRowLabel); // sorted by "No." again
  EXPECT_EQ(view.sortOrder(), Qt::AscendingOrder);
  for (int r = 0; r < model.rowCount(); ++r) {
    EXPECT_EQ(squares(r, 1), 4); // {200}
    EXPECT_EQ(squares(r, 9), 8); // {220}
    if (r > 0) {
      EXPECT_LE(model.cellText(r - 1, 0), model.cellText(r, 0));
    }
  }

  // The next batch empties the list when it starts; Cu alone has no rows to rank.
  DatabasePanel& panel = *window->phaseDatabase();
  window->sharedPlace()->toggleSecond();
  for (const char* key : {"bb2", "bb80"}) // Cu stays ticked
    panel.itemWithKey(QString::fromLatin1(key))->parent()->setCheckState(0, Qt::Unchecked);
  ASSERT_EQ(panel.selectedRecords(), std::vector<int>{34});
  click(panel.calculateButton());
  EXPECT_EQ(list.topLevelItemCount(), 0);
  ASSERT_TRUE(
      QTest::qWaitFor([this] { return !window->reportCommands()->isBatchRunning(); }, 60'000));
  EXPECT_EQ(list.topLevelItemCount(), 0);
  EXPECT_FALSE(best.isVisible());
}

TEST_F(WholeWindow, SingleModeKeepsNoReportAndTheExportWritesTheListAsShown) {
  enterMeasurement();
  runBatch({"bb80"}, false);
  EXPECT_TRUE(reports().isEmpty());
  EXPECT_EQ(window->phasePanel()->nameBox()->text(),
            QStringLiteral("NaCl  FaceCenter  c/a1.00000"));
  ResultsModel& model = *window->resultsPanel()->model();
  ASSERT_GT(model.rowCount(), 0);

  window->resultsPanel()->view()->sortResults(column::kR1, Qt::DescendingOrder);
  window->resultsPanel()->view()->exportAction()->trigger();
  const QStringList lines = reportLines();
  ASSERT_EQ(lines.size(), 7 + model.rowCount() + 1); // seven lines, the rows, the final CR LF
  for (int r = 0; r < model.rowCount(); ++r)
    EXPECT_TRUE(lines[7 + r].startsWith(QString::fromStdString(model.cellText(r, 0) + "\t")));
  EXPECT_EQ(window->statusBar()->currentMessage(),
            "Report written: " + folder.filePath(reportName));
  // A second export in the same second keeps the first and names its own file.
  const QString second = QString::fromStdString(NumberedReportName(reportName.toStdString(), 2));
  window->resultsPanel()->view()->exportAction()->trigger();
  EXPECT_EQ(reports(), QStringList({second, reportName})); // " (" sorts before "."
  EXPECT_EQ(window->statusBar()->currentMessage(), "Report written: " + folder.filePath(second));
  QFile(folder.filePath(second)).remove();

  // A scale bar of 0 would divide by zero: the box is named and gets the focus.
  window->boxArray().setText(Box::ScaleBarValue, QStringLiteral("0"));
  window->resultsPanel()->view()->exportAction()->trigger();
  EXPECT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_EQ(window->focusWidget(), window->boxArray().box(Box::ScaleBarValue));
  // Neither folder can be written: one message naming the files tried, and no new file.
  window->boxArray().setText(Box::ScaleBarValue, QStringLiteral("5"));
  fake.places.setFolder(folder.filePath(reportName) + QStringLiteral("/reports"));
  fake.clock.time = fake.clock.time.addSecs(1);
  window->resultsPanel()->view()->exportAction()->trigger();
  ASSERT_EQ(fake.prompts.messages.size(), 2);
  EXPECT_TRUE(fake.prompts.messages[1].contains(folder.filePath(reportName)));
  EXPECT_EQ(reports(), QStringList{reportName});

  // The program's folder cannot be written and the documents folder does not exist yet: it is
  // created, and the status bar says where the report went.
  const QString documents = folder.filePath(QStringLiteral("home/Documents"));
  fake.places.setReportsFolder(documents);
  window->resultsPanel()->view()->exportAction()->trigger();
  EXPECT_EQ(fake.prompts.messages.size(), 2);
  const QString written = QDir(documents).filePath(
      QString::fromStdString(ReportFileName(ReportTimeOf(fake.clock.time))));
  EXPECT_TRUE(QFile::exists(written));
  EXPECT_EQ(window->statusBar()->currentMessage(),
            "Report written to the documents folder, as the program's folder cannot be written: " +
                written);
}

TEST_F(WholeWindow, APictureMeasuredWithTheMouseIsIndexedAndTheWindowsCloseWithTheMainWindow) {
  // Spots 100 px apart around the centre (200, 200) of a 400 px picture; a 100 px scale bar.
  QImage image(400, 400, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  for (int i = 0; i < 9; ++i)
    painter.fillRect(94 + 100 * (i % 3), 94 + 100 * (i / 3), 12, 12, Qt::white);
  painter.fillRect(50, 368, 100, 4, Qt::white);
  painter.end();
  const QString picture = folder.filePath(QStringLiteral("pattern.png"));
  ASSERT_TRUE(image.save(picture));

  window->tabs()->setCurrentIndex(MainWindow::MeasurementTab);
  fake.prompts.files.push_back(picture);
  click(window->findChild<QWidget*>(QStringLiteral("Command2")));
  click(window->findChild<QWidget*>(QStringLiteral("Command9")));
  PictureView* view = window->pictureView();
  MeasureDialog* dialog = window->measureDialog();
  const QPoint origin = view->imageRect().topLeft().toPoint(); // whole pixels: 400 is even
  const auto drag = [&](QPoint from, QPoint to) {
    QTest::mousePress(view, Qt::LeftButton, {}, origin + from);
    QTest::mouseMove(view, origin + to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, origin + to);
  };
  const QPoint centre(200, 200);
  const std::pair<QPoint, QPoint> lines[] = {
      {{50, 370}, {150, 370}}, {centre, {300, 200}}, {centre, {200, 100}}, {centre, {300, 100}}};
  for (int role = 0; role < 4; ++role) {
    drag(lines[role].first, lines[role].second);
    ASSERT_TRUE(dialog->isVisible());
    click(dialog->roleOption(role));
    dialog->entryBox()->setText(role == 0 ? QStringLiteral("5") : QStringLiteral("1"));
    click(dialog->okButton());
  }
  EXPECT_TRUE(window->magnifier()->isOpen()); // the pointer moved over the picture
  EXPECT_EQ(window->boxArray().text(Box::ScaleBarLength), QStringLiteral("100"));
  EXPECT_NEAR(NumericPrefix(window->boxArray().text(Box::Angle12).toStdString()), 90, 1e-9);
  EXPECT_NEAR(NumericPrefix(window->boxArray().text(Box::Angle13).toStdString()), 45, 1e-9);

  // a = 0.4 nm, face-centred: {200} (0.2 nm) for R1 and R2, {220} (0.1414 nm) for R3.
  window->tabs()->setCurrentIndex(MainWindow::CalculationTab);
  window->phasePanel()->unlock();
  for (Box box : {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma})
    window->boxArray().setText(box, box <= Box::C ? QStringLiteral("0.4") : QStringLiteral("90"));
  window->phasePanel()->latticeTypeSelector()->setCurrentIndex(3);
  click(window->phasePanel()->calculateButton());
  EXPECT_FALSE(window->magnifier()->isOpen()); // "Calculate" closes it
  ASSERT_GT(window->resultsPanel()->model()->rowCount(), 0);
  for (int r = 0; r < window->resultsPanel()->model()->rowCount(); ++r) {
    EXPECT_EQ(squares(r, 1), 4);
    EXPECT_EQ(squares(r, 9), 8);
  }
  window->resultsPanel()->view()->exportAction()->trigger();
  EXPECT_EQ(reportLines().at(3),
            "pattern.png" + QString::fromUtf8("Valve measured from picture："));

  // A new line opens the dialog; the tab change closes it. The window closes the magnifier.
  window->tabs()->setCurrentIndex(MainWindow::MeasurementTab);
  drag(centre, {100, 200});
  ASSERT_TRUE(dialog->isOpen());
  ASSERT_TRUE(window->magnifier()->isVisible());
  window->tabs()->setCurrentIndex(MainWindow::SimulationTab);
  EXPECT_FALSE(dialog->isVisible());
  window->close();
  EXPECT_FALSE(window->magnifier()->isVisible());
  EXPECT_FALSE(window->magnifier()->isOpen());
  EXPECT_TRUE(fake.prompts.messages.isEmpty());
}

TEST_F(WholeWindow, AnImportedSlotResetsWhatDependsOnThePhase) {
  // A search and a calculation stand in the window; the slot is saved from it.
  enterMeasurement();
  window->phasePanel()->unlock();
  for (Box box : {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma})
    window->boxArray().setText(box, QString::fromLatin1(box <= Box::C ? "0.4" : "90"));
  window->boxArray().setText(Box::IndexRange, QStringLiteral("2"));
  window->phasePanel()->latticeTypeSelector()->setCurrentIndex(3);
  click(window->phasePanel()->calculateButton());
  ASSERT_EQ(window->resultsPanel()->model()->rowCount(), 24);
  ResultsView* view = window->resultsPanel()->view();
  view->setCurrentIndex(view->model()->index(0, 1));
  window->resultsPanel()->handOverSelectedRow();
  ASSERT_NE(window->boxArray().text(Box::CalcZoneU), QStringLiteral("***"));
  fake.prompts.answers = {QStringLiteral("fcc")};
  window->slotsMenu()->save();

  window->slotsMenu()->importSlot(1);
  EXPECT_EQ(window->phasePanel()->title(), QString::fromUtf8(PhasePanel::kImportedCaption));
  for (Box box : {Box::CalcZoneU, Box::CalcZoneW, Box::CalcAngle12, Box::CalcAngle13})
    EXPECT_EQ(window->boxArray().text(box), QStringLiteral("***")) << BoxNumber(box);
  EXPECT_EQ(window->calculatorPanel()->spacingLabel(2)->text(), QStringLiteral("d3= ***"));
  EXPECT_EQ(window->resultsPanel()->model()->rowCount(), 0);
  EXPECT_EQ(window->resultsPanel()->countLabel()->text(), QStringLiteral("0"));
  EXPECT_EQ(window->resultsPanel()->summaryLabel()->text(),
            QString::fromUtf8(kEmptySummary.data(), kEmptySummary.size()));
  EXPECT_EQ(window->boxArray().text(Box::ScaleBarValue), QStringLiteral("5"));
  EXPECT_TRUE(fake.prompts.messages.isEmpty());
}

TEST_F(WholeWindow, EveryControlAndWindowCarriesItsName) {
  // Tests and tools find them by name; a list's header is a part of its list.
  for (const QWidget* w : window->findChildren<QWidget*>()) {
    const bool named =
        qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
        qobject_cast<const QComboBox*>(w) || qobject_cast<const QGroupBox*>(w) || w->isWindow() ||
        (qobject_cast<const QAbstractItemView*>(w) && !qobject_cast<const QHeaderView*>(w));
    EXPECT_TRUE(!named || !w->objectName().isEmpty())
        << w->metaObject()->className() << " in " << w->parent()->objectName().toStdString();
  }
  // What the user reads, word for word: titles, tooltips and what a screen reader says.
  const char* const captions[][3] = {
      {"Form1", "windowTitle", "SpotIndex"},
      {"Frame7", "title", "Lattice Database"},
      {"Text6", "accessibleName", "Phase name"},
      {"Text1(0)", "accessibleName", "a"},
      {"Label20", "toolTip", "Click to unlock or lock the lattice parameters"},
      {"Label18", "toolTip", "Show or hide the calculator of interfacial angle and zone axis"},
      {"Label22", "toolTip", "Rows within the tolerances; click to restore the default tolerances"},
      {"ImportCif", "toolTip", "Add the phases of CIF files to your phase library"},
      {"RemoveUserPhase", "toolTip",
       "Remove the chosen (or the ticked) user phases from your library"},
      {"ZoneAxis4Label", "toolTip", "The zone axis in four indices [u v t w] of a hexagonal cell"},
      {"SolutionsList", "toolTip",
       "Rows that a symmetry operation of the lattice maps onto each other form one family; "
       "choose one to select its rows and calculate its zone axis"},
      {"FindSpotsButton", "toolTip",
       "Find the diffraction spots; line ends then snap to their centres (hold Shift to place an "
       "end freely)"},
      {"MeasurePatternButton", "toolTip",
       "Write the centre and R1, R2, R3 fitted to all the spots into the boxes, as three "
       "confirmed lines; the scale bar stays yours to measure"},
      {"OverlayCheckBox", "toolTip",
       "Rings where the result row or family chosen on the \"Calculation\" tab puts its spots: "
       "green with a spot found there, dashed orange without; crossed circles are spots it does "
       "not explain"},
      {"DisplayMapping", "toolTip",
       "How a picture deeper than 8 bits is shown; measuring and spot finding always read its "
       "full values"},
      {"DisplayAuto", "toolTip", "Linear from the 0.5 % to the 99.9 % percentile"},
      {"Text1(22)", "toolTip", "Scale bar value (1/nm)"},
  };
  for (const auto& [name, property, text] : captions) {
    const QObject* shown = QString::fromLatin1(name) == window->objectName()
                               ? window.get()
                               : window->findChild<QObject*>(QString::fromLatin1(name));
    ASSERT_NE(shown, nullptr) << name;
    EXPECT_EQ(shown->property(property).toString(), QString::fromUtf8(text)) << name;
  }
  // Every caption, title and button text of each tab, in the order the panels build them.
  const auto shownTexts = [](const QWidget* page) {
    QStringList texts;
    for (const QWidget* w : page->findChildren<QWidget*>()) {
      QString text;
      if (const auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
      if (const auto* group = qobject_cast<const QGroupBox*>(w)) text = group->title();
      if (const auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
      if (!text.isEmpty()) texts << text;
    }
    return texts.join(u'|');
  };
  const char* const tabTexts[] = {
      "Tools|Open|Zoom in|Zoom out|Initial|Measure|Clean|Find spots|"
      "Measure pattern|Show solution on picture|Display|Auto|Low|High|软件说明|"
      "SpotIndex",
      "Solutions|Results|0|"
      "   ***　    　***      　　***       　　***   　 　***    　 ***|"
      " R1                   R2                   R3                    <R1,R2>      <R2,R3>     "
      "<R1,R3>|"
      "Adjust|Tolerance|d1|nm|d2|nm|d3|nm|<R1,R2>|deg.|<R2,R3>|deg.|<R1,R3>|"
      "deg.|（* * *）|（* * *）|（* * *）|Z=[* * *]|点阵标尺|Lattice parameters▲|"
      "Lattice type|Lattice database|Calculate|a=|nm      α=|deg.|b=|"
      "nm      β=|deg.|c=|nm      γ=|deg.|Index range|Picture measurement|"
      "Scale bar|1/nm|px|Length (px)|Number|Angle (deg.)|R1|<R1,R2>|R2|"
      "<R2,R3>|R3|<R1,R3>|★|Close☆|"
      "Calculation of interfacial angle and zone axis index|h|k|l|R1|"
      "<R1,R2>=|deg.|R2|<R2,R3>=|deg.|R3|<R1,R3>=|deg.|zone axis|d1= ***|nm|"
      "d2= ***|nm|d3= ***|nm|Calculate|Clean|Lattice Database|Single|"
      "Multiple|Cancel|Import CIF...|Remove|"
      "      Calculate        selected items|Database Updated\n2019.10.13|"
      "Best phases",
      "Under development|Zone axis [|]   g max|1/nm|Labels|Export PNG...|"
      "Export SVG...|给你一首歌的时间，留下你想说的话吧！|官方论坛",
      "Crystal Structure Search|Comments|扫一扫|SpotIndex|官方网站|官方社区|联系我们|"
      "官方网站：https://spotindex.org/\n官方论坛：https://spotindex.org/bbs"};
  ASSERT_EQ(window->tabs()->count(), 4);
  for (int tab = 0; tab < 4; ++tab)
    EXPECT_EQ(shownTexts(window->tabs()->widget(tab)), QString::fromUtf8(tabTexts[tab])) << tab;
  // The labels found by name: those a click acts on and those whose text tells the state.
  QStringList labels;
  for (const QLabel* label : window->findChildren<QLabel*>())
    if (!label->objectName().isEmpty() && !label->objectName().startsWith(QLatin1String("qt_")))
      labels << label->objectName();
  labels.sort();
  EXPECT_EQ(labels.join(u' '),
            QStringLiteral(
                "DatabaseNote Image10 Image6 Image7 Image9 Label1 Label1(47) Label1(48) Label1(49) "
                "Label10 Label11 Label12 Label13 Label14 Label15 Label16 Label17 Label18 Label19 "
                "Label2 Label20 Label22 Label5 Label7 NearestMissLabel OverlayLabel ProgramName "
                "SimStatus SolutionsTitle SpotsLabel TopTieLabel ZoneAxis4Label"));
  // Each caption of the phase panel names its box (Alt+letter and screen readers follow it).
  QStringList buddies;
  for (const QLabel* label : window->phasePanel()->findChildren<QLabel*>())
    if (label->buddy()) buddies << label->text() + u'>' + label->buddy()->objectName();
  EXPECT_EQ(buddies.join(u'|'),
            QString::fromUtf8("Lattice type>Combo1|a=>Text1(0)|nm      α=>Text1(3)|"
                              "b=>Text1(1)|nm      β=>Text1(4)|c=>Text1(2)|"
                              "nm      γ=>Text1(5)|Index range>Text1(21)"));
}

TEST_F(WholeWindow, StartedFromTheDesktopItCarriesTheIconAndOpensTheNamedPicture) {
  // main() gives every window the program's icon, built from the resource in every size
  // rendered into data/icons (16 to 256 px).
  QApplication::setWindowIcon(ApplicationIcon());
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_FALSE(window->measureDialog()->windowIcon().isNull());
  const QList<QSize> sizes = ApplicationIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256)));
  QApplication::setWindowIcon(QIcon());

  // "spotindex start.png" from the folder holding it: the Measurement tab, cleaned as "Open"
  // cleans, the picture at its own size, named by its full path.
  QImage image(64, 48, QImage::Format_RGB32);
  image.fill(Qt::black);
  ASSERT_TRUE(image.save(folder.filePath(QStringLiteral("start.png"))));
  window->boxArray().setText(Box::Length1, QStringLiteral("123"));
  const QString startFolder = QDir::currentPath();
  QDir::setCurrent(folder.path());
  EXPECT_TRUE(window->openPicture(QStringLiteral("start.png")));
  QDir::setCurrent(startFolder);
  EXPECT_EQ(window->tabs()->currentIndex(), MainWindow::MeasurementTab);
  EXPECT_EQ(window->pictureView()->picture().size(), QSize(64, 48));
  EXPECT_EQ(window->pictureView()->pictureFile(), folder.filePath(QStringLiteral("start.png")));
  EXPECT_EQ(window->boxArray().text(Box::Length1), QString());
  EXPECT_TRUE(fake.prompts.messages.isEmpty());

  // A file that is no picture: the tab still changes, the usual message names the file, and
  // the picture already shown stays.
  window->tabs()->setCurrentIndex(MainWindow::CalculationTab);
  QFile broken(folder.filePath(QStringLiteral("broken.tif")));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("not a picture");
  broken.close();
  EXPECT_FALSE(window->openPicture(broken.fileName()));
  EXPECT_EQ(window->tabs()->currentIndex(), MainWindow::MeasurementTab);
  ASSERT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_TRUE(
      fake.prompts.messages[0].startsWith(QStringLiteral("The picture %1 cannot be opened")
                                              .arg(QDir::toNativeSeparators(broken.fileName()))));
  EXPECT_EQ(window->pictureView()->pictureFile(), folder.filePath(QStringLiteral("start.png")));
}

TEST_F(WholeWindow, ABatchRunsOffTheWindowThreadAndCanBeStoppedOrLeftByClosing) {
  // Every record at range 30 with loose tolerances: long enough to act while it runs.
  enterMeasurement();
  window->boxArray().setText(Box::IndexRange, QStringLiteral("30"));
  for (Box box : {Box::DTol1, Box::DTol2, Box::DTol3})
    window->boxArray().setText(box, QStringLiteral("0.05"));
  window->phasePanel()->nameBox()->setText(QStringLiteral("mine"));
  if (!window->phaseDatabase()->isVisible()) window->sharedPlace()->toggleSecond();
  DatabasePanel& panel = *window->phaseDatabase();
  click(panel.multipleOption());
  panel.tree()->topLevelItem(0)->setCheckState(0, Qt::Checked);
  ASSERT_EQ(panel.selectedRecords().size(), 108u);

  click(panel.calculateButton());
  ASSERT_TRUE(window->reportCommands()->isBatchRunning());
  // The window answers meanwhile; what the run read is locked, the button offers to stop.
  QApplication::processEvents();
  EXPECT_EQ(panel.calculateButton()->text(), QString::fromUtf8("\u2026\u2026"));
  EXPECT_FALSE(window->phasePanel()->isEnabled());
  EXPECT_FALSE(window->pictureMeasurementPanel()->isEnabled());
  EXPECT_FALSE(panel.tree()->isEnabled());
  click(panel.cancelButton()); // stops the run; the panel stays
  ASSERT_TRUE(
      QTest::qWaitFor([this] { return !window->reportCommands()->isBatchRunning(); }, 60'000));
  EXPECT_TRUE(reports().isEmpty());
  EXPECT_TRUE(panel.isVisible());
  EXPECT_TRUE(window->phasePanel()->isEnabled());
  EXPECT_TRUE(panel.tree()->isEnabled());
  EXPECT_EQ(panel.calculateButton()->text(), QStringLiteral("Calculate selected items"));
  EXPECT_EQ(window->phasePanel()->nameBox()->text(), QStringLiteral("mine"));
  EXPECT_EQ(window->resultsPanel()->model()->rowCount(), 0);
  EXPECT_TRUE(window->statusBar()->currentMessage().contains(QStringLiteral("stopped")));
  EXPECT_TRUE(fake.prompts.messages.isEmpty());

  // Closing the window stops a run and waits for it: nothing is written afterwards.
  click(panel.calculateButton());
  ASSERT_TRUE(window->reportCommands()->isBatchRunning());
  window->close();
  EXPECT_FALSE(window->reportCommands()->isBatchRunning());
  QTest::qWait(50);
  EXPECT_TRUE(reports().isEmpty());
  EXPECT_TRUE(fake.prompts.messages.isEmpty());
}
} // namespace
} // namespace spot
