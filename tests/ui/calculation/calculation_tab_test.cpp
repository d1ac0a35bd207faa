// The "Calculation" tab as a user drives it: phase lock, search, validation, sorting, tolerance
// filter, hand-over to the plane calculator and the panels that share one place.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleOptionFrame>
#include <QStyleOptionHeader>
#include <QTabBar>
#include <QTest>
#include <memory>

#include "indexing/result_text.hpp"
#include "indexing/run_search.hpp"
#include "indexing/search_fault.hpp"
#include "ui/calculation/calculator_panel.hpp"
#include "ui/calculation/pattern_sketch.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/calculation/summary_header.hpp"
#include "ui/calculation/tolerance_panel.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/common/shared_place.hpp"
#include "ui/shell/main_window.hpp"

namespace spot {
namespace {

// The calculator's plane boxes, R1's h k l first.
const Box kPlaneGrid[] = {Box::CalcH1, Box::CalcK1, Box::CalcL1, Box::CalcH2, Box::CalcK2,
                          Box::CalcL2, Box::CalcH3, Box::CalcK3, Box::CalcL3};

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class CalculationTab : public ::testing::Test {
protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>(fake.environment());
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  template <class T> T* find(const char* name) const {
    T* widget = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void click(const char* name) { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
  void set(Box box, const char* text) { window->boxArray().setText(box, QString::fromUtf8(text)); }
  QString text(Box box) const { return window->boxArray().text(box); }
  /// Types into a box the way a user does: select all, then key by key.
  void type(Box box, const char* text) {
    QLineEdit* edit = window->boxArray().box(box);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromUtf8(text));
  }
  ResultsModel& model() const { return *window->resultsPanel()->model(); }
  QString cell(int row, int column) const {
    return QString::fromStdString(model().cellText(row, column));
  }
  QStringList row(int r) const {
    QStringList cells;
    for (int c = 0; c < kResultColumnCount; ++c)
      cells << cell(r, c);
    return cells;
  }
  bool hasFocusAndSelection(Box box) const {
    QLineEdit* edit = window->boxArray().box(box);
    return window->focusWidget() == edit && edit->selectedText() == edit->text();
  }

  /// The face-centred cubic example: a = 0.4 nm, N = 2; scale bar 5 1/nm over 100 px, R1 and
  /// R2 100 px, R3 141.4213562 px (d = 0.2, 0.2, 0.2/√2 nm), angles 90, 45, 45.
  void enterFaceCentredExample() {
    if (window->phasePanel()->isLocked()) click("Label20");
    for (Box b : {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma})
      set(b, b <= Box::C ? "0.4" : "90");
    window->phasePanel()->latticeTypeSelector()->setCurrentText(QStringLiteral("F-Face Centred"));
    set(Box::IndexRange, "2");
    testing::EnterFaceCentredMeasurement(window->boxArray());
  }

  testing::FakeEnvironment fake;
  std::unique_ptr<MainWindow> window;
};

TEST_F(CalculationTab, OpensWithTheTabsAndTheLockedPhasePanel) {
  QTabWidget* tabs = find<QTabWidget>("SSTab1");
  ASSERT_EQ(tabs->count(), 4);
  for (int t = 0; t < 4; ++t)
    EXPECT_EQ(tabs->tabText(t),
              QStringLiteral("Measurement|Calculation|Simulation|Discussion").section(u'|', t, t));

  QComboBox* combo = find<QComboBox>("Combo1");
  ASSERT_EQ(combo->count(), 5);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(combo->itemText(i), qs(kLatticeSelectorTexts[static_cast<std::size_t>(i)]));
  EXPECT_EQ(combo->currentText(), "P-Primitive");

  EXPECT_EQ(find<QLineEdit>("Text6")->text(), "NAME");
  EXPECT_TRUE(window->phasePanel()->isLocked());
  for (int i = 0; i <= 5; ++i)
    EXPECT_FALSE(find<QLineEdit>(qPrintable(QStringLiteral("Text1(%1)").arg(i)))->isEnabled());
  EXPECT_TRUE(find<QLineEdit>("Text1(21)")->isEnabled());
  EXPECT_EQ(text(Box::IndexRange), "5");
  EXPECT_EQ(find<QGroupBox>("Frame1(0)")->title(), "点阵标尺");
  EXPECT_EQ(find<QLabel>("Label22")->text(), "0");
  EXPECT_EQ(find<QLabel>("Label5")->text(), qs(kEmptySummary));
  EXPECT_TRUE(find<QWidget>("Frame14")->isVisible());
  EXPECT_FALSE(find<QWidget>("Frame7")->isVisible());
  // The sliders stand where their default tolerances put them: 0.008 nm and 2 degrees.
  for (int s = 1; s <= 6; ++s)
    EXPECT_EQ(window->resultsPanel()->tolerancePanel()->slider(s)->value(), s <= 3 ? 13 : 50);

  EXPECT_FALSE(window->resultsPanel()->view()->header()->isSortIndicatorShown()); // not sorted yet
  EXPECT_FALSE(window->resultsPanel()->view()->isSortingOn());
  EXPECT_EQ(model().columnCount(), 20);
  // The headings as the list shows them, each plane's under its middle index; none beyond.
  QStringList headings;
  for (int c = 0; c <= model().columnCount(); ++c)
    headings << model().headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(headings.join(u'|'),
            "No.| |R1| | | |R2| | | |R3| | |d1|d2|d3| |<R1,R2>|<R2,R3>|<R1,R3>|");
  QAction* exportAction = window->findChild<QAction*>(QStringLiteral("daochujieguo3"));
  ASSERT_NE(exportAction, nullptr);
  EXPECT_EQ(exportAction->text(), "Export calculated results");
  EXPECT_TRUE(exportAction->isEnabled()); // the report writer is connected
}

TEST_F(CalculationTab, LatticeParametersLabelUnlocksAndLocksKeepingWhatWasTyped) {
  QLineEdit* name = window->phasePanel()->nameBox();
  EXPECT_FALSE(name->hasFrame()); // a caption until unlocked
  click("Label20");
  EXPECT_FALSE(window->phasePanel()->isLocked());
  EXPECT_TRUE(name->hasFrame());
  EXPECT_EQ(name->text(), "Please input the phase name.");
  EXPECT_EQ(name->palette().color(QPalette::Active, QPalette::Text), QColor(255, 0, 0));
  EXPECT_TRUE(window->boxArray().box(Box::Gamma)->isEnabled());
  EXPECT_EQ(window->boxArray().box(Box::A)->palette().color(QPalette::Active, QPalette::Text),
            QColor(255, 0, 0));

  // Focusing the placeholder leaves five blanks; any other text stays.
  name->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(name->text(), "     ");
  name->setText(QStringLiteral("Cu"));
  window->boxArray().box(Box::A)->setFocus();
  name->setFocus();
  EXPECT_EQ(name->text(), "Cu");

  set(Box::A, "0.3615");
  click("Label20");
  EXPECT_TRUE(window->phasePanel()->isLocked());
  EXPECT_FALSE(name->hasFrame());
  EXPECT_FALSE(window->boxArray().box(Box::A)->isEnabled());
  EXPECT_EQ(name->text(), "Cu");
  EXPECT_EQ(text(Box::A), "0.3615");
}

TEST_F(CalculationTab, APhaseNameTakesTheRoomTheColumnHasAndNeverWidensTheWindow) {
  QLineEdit* name = window->phasePanel()->nameBox();
  const auto settle = [] {
    for (int pass = 0; pass < 3; ++pass) // nested layouts answer one posted request each
      QApplication::processEvents();
  };
  const auto place = [](QWidget* widget) {
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
  };
  click("Label20");
  settle();
  const QSize windowSize = window->size();
  const QSize minimum = window->minimumSizeHint();
  const QRect list = place(window->resultsPanel()->view());
  const int room = TwipsToPixels(name, 200);

  // Short: the name's width plus 200 twips, and nothing hidden.
  name->setText(QStringLiteral("Cu"));
  settle();
  EXPECT_EQ(name->width(), name->fontMetrics().horizontalAdvance(QStringLiteral("Cu")) + room);
  EXPECT_EQ(name->toolTip(), QString());

  // A batch record's name, then a name wider than the whole column: the window, its minimum and
  // the list stay; the box ends inside its panel and a name it cuts stands in the tooltip.
  const QString record = QStringLiteral("Ca3Fe2(SiO4)3  BodyCenter  c/a1.00000");
  const QString typed =
      QStringLiteral("Ca3Fe2(SiO4)3 andradite garnet from the grain boundary of the weld");
  for (const QString& text : {record, typed}) {
    name->setText(text);
    settle();
    EXPECT_EQ(window->size(), windowSize) << text.toStdString();
    EXPECT_EQ(window->minimumSizeHint(), minimum) << text.toStdString();
    EXPECT_EQ(place(window->resultsPanel()->view()), list) << text.toStdString();
    EXPECT_LE(place(name).right(), place(window->phasePanel()).right());
    const bool cut = name->width() < name->fontMetrics().horizontalAdvance(text) + room;
    EXPECT_EQ(name->toolTip(), cut ? text : QString()) << text.toStdString();
  }
  EXPECT_EQ(name->toolTip(), typed);
  EXPECT_GT(name->width(), name->fontMetrics().horizontalAdvance(QStringLiteral("Cu")) + room);

  // Cleared: 200 twips plus an empty name.
  name->clear();
  settle();
  EXPECT_EQ(name->width(), room);
  EXPECT_EQ(name->toolTip(), QString());
}

TEST_F(CalculationTab, TheKeyboardAloneEntersAPhaseAndRunsTheCommands) {
  // The measurement of the face-centred example; the phase comes from the keyboard.
  testing::EnterFaceCentredMeasurement(window->boxArray());
  const auto focused = [this] { return window->focusWidget(); };
  const auto tab = [&] {
    QTest::keyClick(focused(), Qt::Key_Tab);
    return focused() ? focused()->objectName() : QString();
  };

  window->tabs()->tabBar()->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(tab(), "Label20");
  QTest::keyClick(focused(), Qt::Key_Space);
  EXPECT_FALSE(window->phasePanel()->isLocked());
  EXPECT_EQ(tab(), "Text6");
  QTest::keyClicks(focused(), QStringLiteral("Al"));
  EXPECT_EQ(tab(), "Combo1");
  QTest::keyClicks(focused(), QStringLiteral("F")); // jumps to "F-Face Centred"
  EXPECT_EQ(window->phasePanel()->latticeTypeSelector()->currentIndex(), 3);
  EXPECT_EQ(tab(), "Label10");
  // a, b, c, then α, β, γ; Tab selects a box's text, so typing replaces it.
  const Box cell[] = {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma};
  for (Box b : cell) {
    EXPECT_EQ(tab(), QStringLiteral("Text1(%1)").arg(BoxNumber(b)));
    QTest::keyClicks(focused(), b <= Box::C ? QStringLiteral("0.4") : QStringLiteral("90"));
  }
  EXPECT_EQ(tab(), "Text1(21)");
  QTest::keyClicks(focused(), QStringLiteral("2"));
  EXPECT_EQ(tab(), "Command6");
  QTest::keyClick(focused(), Qt::Key_Return);
  EXPECT_TRUE(fake.prompts.messages.isEmpty());
  EXPECT_EQ(model().rowCount(), 24); // the 24 rows of the example
  EXPECT_TRUE(window->phasePanel()->isLocked());

  // After the measurement boxes come "★" and "Close☆"; Enter and Space act on them, on the
  // database caption and on the counter.
  window->boxArray().box(Box::Angle13)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(tab(), "Label18");
  QTest::keyClick(focused(), Qt::Key_Return);
  EXPECT_FALSE(window->calculatorPanel()->isVisible());
  QTest::keyClick(focused(), Qt::Key_Space);
  EXPECT_TRUE(window->calculatorPanel()->isVisible());
  EXPECT_EQ(tab(), "Label19");
  QTest::keyClick(focused(), Qt::Key_Return);
  EXPECT_FALSE(window->calculatorPanel()->isVisible());
  find<QWidget>("Label10")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(focused(), Qt::Key_Return);
  EXPECT_TRUE(find<QWidget>("Frame7")->isVisible());
  set(Box::DTol1, "0.05");
  find<QWidget>("Label22")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(focused(), Qt::Key_Space);
  EXPECT_EQ(text(Box::DTol1), "0.0080"); // the counter's default, as a click writes it
  for (const char* label : {"Label10", "Label18", "Label19", "Label20", "Label22"})
    EXPECT_FALSE(find<QWidget>(label)->accessibleName().isEmpty()) << label;
}

TEST_F(CalculationTab, SortedHeadingsAndFifteenDigitAnglesShowWhole) {
  // Each heading beside the sort arrow, in the room the style leaves it.
  ResultsView* view = window->resultsPanel()->view();
  QHeaderView* header = view->header();
  for (int c = 0; c < kResultColumnCount; ++c) {
    const QString title = model().headerData(c, Qt::Horizontal).toString();
    view->sortResults(c, Qt::AscendingOrder);
    QStyleOptionHeader option;
    option.initFrom(header);
    option.state |= QStyle::State_Horizontal;
    option.rect = QRect(0, 0, header->sectionSize(c), header->height());
    option.sortIndicator = QStyleOptionHeader::SortUp;
    option.text = title;
    const QRect label = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
    EXPECT_GE(label.width(), header->fontMetrics().horizontalAdvance(title)) << c;
  }

  // (1 0 0), (0 1 1), (1 1 1) in a cube: <R2,R3> = acos(2/√6) = 35.2643896827547 and
  // <R1,R3> = acos(1/√3) = 54.7356103172453 degrees, 15 significant digits each.
  click("Label20");
  for (Box b : {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma})
    set(b, b <= Box::C ? "0.4" : "90");
  const char* planes[] = {"1", "0", "0", "0", "1", "1", "1", "1", "1"};
  for (int i = 0; i < 9; ++i)
    set(kPlaneGrid[i], planes[i]);
  click("Command5");
  EXPECT_EQ(text(Box::CalcAngle23), "35.2643896827547");
  EXPECT_EQ(text(Box::CalcAngle13), "54.7356103172453");
  for (Box b : {Box::CalcAngle12, Box::CalcAngle23, Box::CalcAngle13}) {
    QLineEdit* box = window->boxArray().box(b);
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->rect();
    option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    // The text area, less the 2 pixels a side that QLineEdit keeps free.
    const int shown =
        box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box).width() - 4;
    EXPECT_GE(shown, box->fontMetrics().horizontalAdvance(box->text())) << BoxNumber(b);
  }
}

TEST_F(CalculationTab, FaceCentredCubicExampleListsItsTwentyFourSolutions) {
  enterFaceCentredExample();
  // A calculator result first, so that the search visibly resets the sketch labels.
  window->calculatorPanel()->clean();
  for (int i = 0; i < 9; ++i) // (1 0 0), (0 1 0), (1 1 0)
    set(kPlaneGrid[i], "100010110"[i] == '1' ? "1" : "0");
  click("Command5");
  ASSERT_EQ(window->resultsPanel()->sketch()->zoneAxisLabel()->text(), "Z=[0 0 1]");

  QSignalSpy magnifier(window.get(), &MainWindow::closeMagnifierRequested);
  // The button's caption, the only sign of progress, as the list is filled during the search.
  QStringList captions;
  QObject during; // disconnects before `captions` goes
  QObject::connect(window->resultsPanel(), &ResultsPanel::resultsChanged, &during,
                   [&] { captions << find<QPushButton>("Command6")->text(); });
  click("Command6");
  EXPECT_EQ(captions.join(u'|'), QString::fromUtf8("……|……"));
  EXPECT_TRUE(fake.prompts.messages.isEmpty()) << fake.prompts.messages.join('|').toStdString();
  EXPECT_EQ(magnifier.count(), 1);
  ASSERT_EQ(model().rowCount(), 24);
  EXPECT_EQ(find<QLabel>("Label22")->text(), "24");
  // d1 = 1 · (100 / 5) / 100 = 0.2, d3 = 20 / 141.4213562 = 0.14142136.
  EXPECT_EQ(find<QLabel>("Label5")->text(),
            "0.2000000   0.2000000   0.1414214      90.0000   45.0000    45.0000");
  EXPECT_EQ(row(0).join('|'), "No.001|-2|0|0|+|0|-2|0|＝|-2|-2|0|◇|0.2000000|0.2000000|0.1414214|◇|"
                              "90.0000|45.0000|45.0000");
  EXPECT_EQ(
      row(23).join('|'),
      "No.024|2|0|0|+|0|2|0|＝|2|2|0|◇|0.2000000|0.2000000|0.1414214|◇|90.0000|45.0000|45.0000");
  // Only the "No." cell carries the row colour.
  for (int r = 0; r < 24; ++r)
    EXPECT_EQ(model().data(model().index(r, 0), Qt::ForegroundRole).value<QColor>(),
              QColor(225, 0, 0));
  EXPECT_FALSE(model().data(model().index(0, 13), Qt::ForegroundRole).isValid());

  EXPECT_EQ(find<QPushButton>("Command6")->text(), "Calculate");
  EXPECT_TRUE(window->resultsPanel()->view()->isSortingOn()); // sorted by "No.", arrow shown
  EXPECT_TRUE(window->resultsPanel()->view()->header()->isSortIndicatorShown());
  EXPECT_TRUE(window->phasePanel()->isLocked());
  EXPECT_EQ(window->resultsPanel()->sketch()->r1Label()->text(), "（* * *）");
  EXPECT_EQ(window->resultsPanel()->sketch()->zoneAxisLabel()->text(), "Z=[* * *]");
}

TEST_F(CalculationTab, RejectedBoxesAreNamedInOrderWithFocusAndNothingListed) {
  enterFaceCentredExample();
  click("Command6");
  ASSERT_EQ(model().rowCount(), 24);
  const QString summary = find<QLabel>("Label5")->text();

  // A phase box comes before every measurement box, whatever their element numbers.
  click("Label20");
  enterFaceCentredExample();
  set(Box::B, "0.4x");
  set(Box::ScaleBarValue, "five");
  set(Box::Length1, ""); // also offending, but after the scale bar
  click("Command6");
  ASSERT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_EQ(fake.prompts.messages.last(), qs(kMessagePhaseBoxes));
  EXPECT_TRUE(hasFocusAndSelection(Box::B));
  EXPECT_EQ(model().rowCount(), 0); // the earlier rows went at the start of the search
  EXPECT_EQ(find<QLabel>("Label22")->text(), "0");
  EXPECT_FALSE(window->phasePanel()->isLocked()); // the rejected input can still be corrected

  set(Box::B, "0.4");
  click("Command6");
  ASSERT_EQ(fake.prompts.messages.size(), 2);
  EXPECT_EQ(fake.prompts.messages.last(), qs(kMessageMeasurementBoxes));
  EXPECT_TRUE(hasFocusAndSelection(Box::ScaleBarValue));

  set(Box::ScaleBarValue, "5");
  click("Command6");
  EXPECT_TRUE(hasFocusAndSelection(Box::Length1));
  set(Box::Length1, "100");
  set(Box::AngleTol13, "2°");
  click("Command6");
  EXPECT_TRUE(hasFocusAndSelection(Box::AngleTol13));
  EXPECT_EQ(find<QLabel>("Label5")->text(), summary); // not rewritten by rejected searches

  // A zero scale bar value names its box instead of listing nothing without a word.
  set(Box::AngleTol13, "2");
  set(Box::ScaleBarValue, "0");
  click("Command6");
  ASSERT_EQ(fake.prompts.messages.size(), 5);
  EXPECT_EQ(fake.prompts.messages.last(),
            QString::fromStdString(FaultMessage(SearchFault::ZeroScaleBarValue)));
  EXPECT_TRUE(hasFocusAndSelection(Box::ScaleBarValue));
  EXPECT_EQ(model().rowCount(), 0);
  EXPECT_EQ(find<QLabel>("Label5")->text(), summary);
}

TEST_F(CalculationTab, StoppedSearchesLockThePhasePanelUnlessItsBoxesAreTheCause) {
  enterFaceCentredExample();
  // γ = 0 encloses no volume: the message sends the user to a..γ, which stay open for it.
  set(Box::Gamma, "0");
  click("Command6");
  ASSERT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_EQ(fake.prompts.messages.last(),
            QString::fromStdString(FaultMessage(SearchFault::InvalidCell)));
  EXPECT_TRUE(hasFocusAndSelection(Box::A));
  EXPECT_FALSE(window->phasePanel()->isLocked());
  EXPECT_EQ(model().rowCount(), 0);
  EXPECT_EQ(find<QLabel>("Label5")->text().left(9), "0.2000000"); // the measurement was fine

  // A rejected box sets the input-error flag; a negative index range stops before the flag is
  // reset, so the panel stays open, and the next search that runs clears the flag again.
  set(Box::Gamma, "90");
  set(Box::A, "x");
  click("Command6");
  EXPECT_TRUE(window->resultsPanel()->inputErrorFlag());
  set(Box::A, "0.4");
  set(Box::IndexRange, "-1");
  click("Command6");
  ASSERT_EQ(fake.prompts.messages.size(), 3);
  EXPECT_EQ(fake.prompts.messages.last(),
            QString::fromStdString(FaultMessage(SearchFault::NegativeIndexRange)));
  EXPECT_TRUE(hasFocusAndSelection(Box::IndexRange));
  EXPECT_TRUE(window->resultsPanel()->inputErrorFlag());
  EXPECT_FALSE(window->phasePanel()->isLocked());
  EXPECT_EQ(find<QLabel>("Label22")->text(), "0");

  set(Box::IndexRange, "2");
  click("Command6");
  EXPECT_FALSE(window->resultsPanel()->inputErrorFlag());
  EXPECT_TRUE(window->phasePanel()->isLocked());
  click("Label20");
  set(Box::IndexRange, "-1");
  click("Command6"); // the flag is still 0 from the last search: the panel locks
  EXPECT_TRUE(window->phasePanel()->isLocked());
  EXPECT_EQ(model().rowCount(), 0);
}

TEST_F(CalculationTab, SummaryHeadingsStandOverTheirOwnValues) {
  auto* header = find<SummaryHeader>("Label7");
  QLabel* line = find<QLabel>("Label5");
  EXPECT_EQ(header->text(), qs(kSummaryHeader)); // the caption itself is unchanged
  EXPECT_TRUE(SummaryHeader(header->text(), nullptr).wordRects().isEmpty()); // no line to follow
  {
    // Long words over short values close together: each word starts a blank after the one
    // before and none leaves the label's left edge; a word count unlike the values', no words.
    QWidget frame;
    QLabel tight(QStringLiteral("1 2 3"), &frame);
    SummaryHeader words(QStringLiteral("Wide_heading Second_word Third_word"), &tight, &frame);
    const QList<QRect> rects = words.wordRects();
    ASSERT_EQ(rects.size(), 3);
    EXPECT_EQ(rects[0].left(), words.contentsRect().left());
    const int blank = words.fontMetrics().horizontalAdvance(QLatin1Char(' '));
    for (int i = 1; i < 3; ++i)
      EXPECT_EQ(rects[i].left(), rects[i - 1].right() + 1 + blank) << i;
    tight.setText(QStringLiteral("1 2"));
    EXPECT_TRUE(words.wordRects().isEmpty());
  }
  enterFaceCentredExample();
  click("Command6");
  QApplication::processEvents();

  // Each value of the line, as its own label lays it out, in the heading's coordinates.
  const QString text = line->text();
  const QStringList values = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  ASSERT_EQ(values.size(), 6);
  const QList<QRect> words = header->wordRects();
  ASSERT_EQ(words.size(), 6);
  const QFontMetrics metrics(line->font());
  qsizetype from = 0;
  for (int i = 0; i < 6; ++i) {
    from = text.indexOf(values[i], from);
    const int left = metrics.horizontalAdvance(text.left(from));
    const int right = left + metrics.horizontalAdvance(values[i]);
    const int wordCentre = line->mapFromGlobal(header->mapToGlobal(words[i].center())).x();
    // "<R1,R2>" over "90.0000", "<R1,R3>" over the last "45.0000", and so on.
    EXPECT_GT(wordCentre, left) << i;
    EXPECT_LT(wordCentre, right) << i;
    from += values[i].size();
  }
}

TEST_F(CalculationTab, HeaderClicksSortAsTextAndFlipTheDirectionAcrossColumns) {
  enterFaceCentredExample();
  click("Command6");
  QHeaderView* header = window->resultsPanel()->view()->header();
  const auto clickHeader = [&](int column) {
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
  };
  const auto column = [&](int c) {
    QStringList texts;
    for (int r = 0; r < model().rowCount(); ++r)
      texts << cell(r, c);
    return texts;
  };
  const auto sortedTexts = [&](int c, bool ascending) {
    QStringList texts = column(c);
    std::stable_sort(texts.begin(), texts.end(), [&](const QString& a, const QString& b) {
      return ascending ? a.toStdString() < b.toStdString() : b.toStdString() < a.toStdString();
    });
    return texts;
  };

  // After "Calculate" the rows stand in ascending "No." order, so the first click descends.
  clickHeader(1);
  EXPECT_EQ(column(1), sortedTexts(1, false));
  EXPECT_EQ(cell(0, 1), "2");
  clickHeader(1);
  EXPECT_EQ(column(1), sortedTexts(1, true));
  EXPECT_EQ(cell(0, 1), "-2"); // the minus sign sorts first, as text
  // A different column continues the alternation: descending now.
  clickHeader(6);
  EXPECT_EQ(column(6), sortedTexts(6, false));
  EXPECT_EQ(window->resultsPanel()->view()->sortOrder(), Qt::DescendingOrder);
  // Equal texts keep their order: within k2 = "2", h1 is still ascending from the last sort.
  const int firstTwo = static_cast<int>(column(6).indexOf("2"));
  EXPECT_LE(cell(firstTwo, 1).toStdString(), cell(firstTwo + 1, 1).toStdString());

  // A new search ends sorted by "No." ascending again.
  click("Command6");
  EXPECT_EQ(cell(0, 0), "No.001");
  EXPECT_EQ(window->resultsPanel()->view()->sortColumn(), 0);
}

TEST(ResultsModel, SortsLabelsAsTextKeepsQtsModelRulesAndAnnouncesOnlyTheColouredColumn) {
  ResultsModel model;
  // Qt's own checker of what views rely on: no data and no children under an invalid index, rows
  // and columns that agree with the indexes, resets and layout changes announced in pairs.
  QAbstractItemModelTester rules(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  std::vector<IndexingResult> rows(1001);
  for (int i = 0; i < 1001; ++i) {
    rows[static_cast<std::size_t>(i)].rowNumber = i + 1;
    rows[static_cast<std::size_t>(i)].d[0] = 0.001 * (i + 1); // 1.0000000 nm for No.1000
  }
  model.setResults(rows);
  EXPECT_FALSE(model.data(QModelIndex()).isValid());
  const QPersistentModelIndex selected = model.index(999, 3); // the row of "No.1000"
  model.sort(0, Qt::AscendingOrder);
  // Text order: ... No.099, No.100, No.1000, No.1001, No.101 ...
  EXPECT_EQ(model.cellText(99, 0), "No.100");
  EXPECT_EQ(model.cellText(100, 0), "No.1000");
  EXPECT_EQ(model.cellText(101, 0), "No.1001");
  EXPECT_EQ(model.cellText(102, 0), "No.101");
  EXPECT_EQ(model.cellText(1000, 0), "No.999");
  // A selected cell and the numbers the tolerance filter reads follow their row.
  EXPECT_EQ(selected.row(), 100);
  EXPECT_EQ(selected.column(), 3);
  EXPECT_DOUBLE_EQ(model.rowValues()[100].d[0], 1.0);

  // Recolouring tells the views about the "No." column alone, the only one with a colour.
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  std::vector<unsigned char> pass(1001, 0);
  pass[100] = 1;
  model.setPassColours(pass);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex(), model.index(0, 0));
  EXPECT_EQ(changed[0][1].toModelIndex(), model.index(1000, 0));
  EXPECT_EQ(changed[0][2].value<QList<int>>(), QList<int>{Qt::ForegroundRole});
  EXPECT_EQ(model.rowColour(100), kPassRowColour);
  EXPECT_EQ(model.rowColour(101), kFailRowColour);
  model.setPassColours({1, 1}); // flags for the first rows only: the others keep their colour
  EXPECT_EQ(model.rowColour(1), kPassRowColour);
  EXPECT_EQ(model.rowColour(2), kFailRowColour);
  model.setPassColours(std::vector<unsigned char>(1005, 1)); // flags past the last row: ignored
  EXPECT_EQ(model.rowColour(1000), kPassRowColour);
  model.clear();
  model.setAllRowColours(kPassRowColour); // an empty list has nothing to announce
  EXPECT_EQ(changed.count(), 3);
}

TEST(PatternSketch, PutsEachPlaneByItsSpotInsideTheFrameAndFollowsItsSize) {
  PatternSketch sketch;
  sketch.resize(sketch.sizeHint());
  sketch.setLabels(QStringLiteral("（-2 0 0）"), QStringLiteral("（0 -2 0）"),
                   QStringLiteral("（-2 -2 0）"), QStringLiteral("Z=[0 0 1]"));
  sketch.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&sketch));
  const QLabel* labels[] = {sketch.r1Label(), sketch.r2Label(), sketch.r3Label(),
                            sketch.zoneAxisLabel()};
  const auto expectInPlace = [&] {
    for (int i = 0; i < 4; ++i) {
      EXPECT_TRUE(sketch.rect().contains(labels[i]->geometry())) << i;
      for (int j = i + 1; j < 4; ++j)
        EXPECT_FALSE(labels[i]->geometry().intersects(labels[j]->geometry())) << i << " " << j;
    }
    // The drawing: R1 along the bottom of the parallelogram, R2 up to the left, R3 between; the
    // zone axis in the lower right corner.
    const QRect r1 = labels[0]->geometry(), r2 = labels[1]->geometry(), r3 = labels[2]->geometry(),
                zone = labels[3]->geometry();
    EXPECT_GT(r1.top(), r2.bottom());
    EXPECT_GT(r1.top(), r3.bottom());
    EXPECT_LT(r2.right(), r3.left());
    EXPECT_GT(r1.center().x(), r3.center().x());
    EXPECT_GT(zone.top(), r1.top());
    EXPECT_GE(zone.right(), std::max({r1.right(), r2.right(), r3.right()}));
  };
  expectInPlace();
  const QPoint before = labels[0]->pos();
  sketch.resize(400, 300);
  expectInPlace();
  EXPECT_GT(labels[0]->x(), before.x());
  EXPECT_GT(labels[0]->y(), before.y());
}

TEST_F(CalculationTab, ToleranceFilterIsStrictAndItsSlidersSettleOnTheBoxText) {
  enterFaceCentredExample();
  click("Command6");
  ASSERT_EQ(model().rowCount(), 24);
  QLabel* counter = find<QLabel>("Label22");
  QSlider* slider4 = find<QSlider>("Slider4");
  // The rows are named: "Adjust" beside the sliders, "Tolerance" beside the boxes.
  const auto* grid = qobject_cast<QGridLayout*>(find<QGroupBox>("Frame11")->layout());
  const auto rowName = [&](int row) {
    const QLayoutItem* item = grid->itemAtPosition(row, 0);
    const auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
    return label ? label->text() : QString();
  };
  EXPECT_EQ(rowName(1), "Adjust");
  EXPECT_EQ(rowName(2), "Tolerance");
  const auto coloured = [&](const QColor& colour) {
    for (int r = 0; r < model().rowCount(); ++r)
      if (model().rowColour(r) != colour) return false;
    return true;
  };

  // Every row shows <R1,R2> = 90.0000; the measured angle becomes 91: a difference of exactly 1.
  set(Box::Angle12, "91");
  EXPECT_TRUE(coloured(QColor(225, 0, 0))); // a measurement box does not rerun the filter
  EXPECT_EQ(counter->text(), "24");

  type(Box::AngleTol12, "1.5");
  EXPECT_EQ(slider4->value(), 38); // 1.5 / 4 · 100 = 37.5, halves to even
  EXPECT_EQ(counter->text(), "24");
  EXPECT_TRUE(coloured(QColor(0, 0, 255)));

  slider4->setValue(37); // 37 · 4 / 100 = 1.48 shows as 1.5, which puts the slider at 38
  EXPECT_EQ(text(Box::AngleTol12), "1.5");
  EXPECT_EQ(slider4->value(), 38);
  slider4->setValue(13); // 0.52 shows as 0.5: 12.5 goes to 12
  EXPECT_EQ(text(Box::AngleTol12), "0.5");
  EXPECT_EQ(slider4->value(), 12);
  EXPECT_EQ(counter->text(), "0");
  EXPECT_TRUE(coloured(QColor(255, 0, 0)));

  type(Box::AngleTol12, "1"); // equal to the difference: rejected
  EXPECT_EQ(counter->text(), "0");
  type(Box::AngleTol12, "1.0001");
  EXPECT_EQ(counter->text(), "24");
  set(Box::AngleTol12, ""); // an empty tolerance is 0
  EXPECT_EQ(counter->text(), "0");
  EXPECT_EQ(slider4->value(), 0);

  type(Box::DTol1, "0.01");
  EXPECT_EQ(find<QSlider>("Slider1")->value(), 17); // 16.67
  find<QSlider>("Slider1")->setValue(13);
  EXPECT_EQ(text(Box::DTol1), "0.0078");
  EXPECT_EQ(find<QSlider>("Slider1")->value(), 13);
  // Keys move it a page of 5 steps or one step, of 0.0078 / 13 = 0.0006 nm each.
  QTest::keyClick(find<QSlider>("Slider1"), Qt::Key_PageUp);
  EXPECT_EQ(text(Box::DTol1), "0.0108");
  QTest::keyClick(find<QSlider>("Slider1"), Qt::Key_Right);
  EXPECT_EQ(text(Box::DTol1), "0.0114");

  // The counter restores the six defaults; the last filter run is that of all six defaults.
  set(Box::DTol2, "0.0100");
  set(Box::AngleTol23, "3");
  click("Label22");
  for (Box b : {Box::DTol1, Box::DTol2, Box::DTol3})
    EXPECT_EQ(text(b), "0.0080");
  for (Box b : {Box::AngleTol12, Box::AngleTol23, Box::AngleTol13})
    EXPECT_EQ(text(b), "2");
  window->resultsPanel()->tolerancePanel()->showPosition(Box::A, 7); // a box with no slider
  for (int s = 1; s <= 6; ++s)
    EXPECT_EQ(window->resultsPanel()->tolerancePanel()->slider(s)->value(), s <= 3 ? 13 : 50);
  EXPECT_EQ(counter->text(), "24");
  EXPECT_TRUE(coloured(QColor(0, 0, 255)));
  window->resultsPanel()->showInSearchOrder(); // as after a search again
  EXPECT_TRUE(coloured(QColor(225, 0, 0)));
}

TEST_F(CalculationTab, HandOverSendsTheSelectedRowToTheCalculator) {
  QAction* handOver = window->findChild<QAction*>(QStringLiteral("jisuandaizhou2"));
  ASSERT_NE(handOver, nullptr);
  EXPECT_EQ(handOver->text(), "Calculate zone axis index");
  handOver->trigger(); // empty list, no row: nothing happens
  EXPECT_EQ(text(Box::CalcH1), "");
  EXPECT_TRUE(fake.prompts.messages.isEmpty());

  enterFaceCentredExample();
  click("Command6");
  click("Label19"); // the calculator is closed; the hand-over shows it again
  ASSERT_FALSE(window->calculatorPanel()->isVisible());

  ResultsView* view = window->resultsPanel()->view();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                    view->visualRect(model().index(0, 5)).center());
  ASSERT_EQ(view->selectedRow(), 0);
  EXPECT_EQ(view->visualRect(model().index(0, 0)).left(), 0); // a flat list: no tree indent
  handOver->trigger();

  // Row No.001: (-2 0 0) + (0 -2 0) = (-2 -2 0).
  QStringList copied;
  for (Box b : kPlaneGrid)
    copied << text(b);
  EXPECT_EQ(copied.join(' '), "-2 0 0 0 -2 0 -2 -2 0");
  // (-2 0 0) × (0 -2 0) = (0 0 4), reduced by 4.
  EXPECT_EQ(text(Box::CalcZoneU) + text(Box::CalcZoneV) + text(Box::CalcZoneW), "001");
  EXPECT_EQ(text(Box::CalcAngle12), "90");
  EXPECT_EQ(text(Box::CalcAngle23), "45");
  EXPECT_EQ(text(Box::CalcAngle13), "45");
  EXPECT_EQ(find<QLabel>("Label1(47)")->text(), "d1=0.2000000");
  EXPECT_EQ(find<QLabel>("Label1(49)")->text(), "d3=0.1414214"); // 0.4 / √8
  EXPECT_EQ(window->resultsPanel()->sketch()->r1Label()->text(), "（-2 0 0）");
  EXPECT_EQ(window->resultsPanel()->sketch()->r2Label()->text(), "（0 -2 0）");
  EXPECT_EQ(window->resultsPanel()->sketch()->r3Label()->text(), "（-2 -2 0）");
  EXPECT_EQ(window->resultsPanel()->sketch()->zoneAxisLabel()->text(), "Z=[0 0 1]");
  EXPECT_TRUE(window->calculatorPanel()->isVisible());
  EXPECT_TRUE(fake.prompts.messages.isEmpty());

  // The calculator works with the lattice standing in the boxes now, not the searched one:
  // with a = 0.5, d(-2 0 0) = 0.5 / 2.
  click("Label20");
  set(Box::A, "0.5");
  handOver->trigger();
  EXPECT_EQ(find<QLabel>("Label1(47)")->text(), "d1=0.2500000");
}

TEST_F(CalculationTab, CalculatorValidatesInElementOrderAndStopsPartWayOnAFault) {
  click("Label20");
  for (Box b : {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma})
    set(b, b <= Box::C ? "0.4" : "90");
  const auto planes = [&](const char* r1, const char* r2, const char* r3) {
    const char* rows[] = {r1, r2, r3};
    for (int r = 0; r < 3; ++r) {
      const QStringList hkl = QString::fromLatin1(rows[r]).split(' ');
      set(static_cast<Box>(BoxNumber(Box::CalcH1) + r), qPrintable(hkl[0]));
      set(static_cast<Box>(BoxNumber(Box::CalcK1) + r), qPrintable(hkl[1]));
      set(static_cast<Box>(BoxNumber(Box::CalcL1) + r), qPrintable(hkl[2]));
    }
  };

  // R1 k (Text1(9)) is bad too, but R2 h (Text1(7)) comes first in element order.
  planes("1 x 0", " 1 0", "1 1 0");
  click("Command5");
  ASSERT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_EQ(fake.prompts.messages.last(), qs(kMessagePhaseBoxes));
  EXPECT_TRUE(hasFocusAndSelection(Box::CalcH2));
  EXPECT_EQ(text(Box::CalcZoneU), "***");

  planes("1 0 0", "0 1 0", "1 1 0");
  click("Command5");
  EXPECT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_EQ(text(Box::CalcZoneU) + text(Box::CalcZoneV) + text(Box::CalcZoneW), "001");
  EXPECT_EQ(text(Box::CalcAngle23), "45");
  EXPECT_EQ(find<QLabel>("Label1(49)")->text(), "d3=0.2828427"); // 0.4 / √2

  // R3 = (0 0 0): the zone axis and <R1,R2> are still calculated; what follows is not, and must
  // not keep the values of the planes before.
  planes("1 0 0", "0 1 0", "0 0 0");
  click("Command5");
  ASSERT_EQ(fake.prompts.messages.size(), 2);
  EXPECT_TRUE(fake.prompts.messages.last().contains("R3"))
      << fake.prompts.messages.last().toStdString();
  EXPECT_TRUE(hasFocusAndSelection(Box::CalcH3));
  EXPECT_EQ(text(Box::CalcZoneW), "1");
  EXPECT_EQ(text(Box::CalcAngle12), "90");
  EXPECT_EQ(text(Box::CalcAngle23), "***");
  EXPECT_EQ(text(Box::CalcAngle13), "***");
  EXPECT_EQ(find<QLabel>("Label1(49)")->text(), "d3= ***");
  EXPECT_EQ(window->resultsPanel()->sketch()->r3Label()->text(), "（* * *）");

  // Parallel R1 and R2: zone axis [0 0 0], no angle at all.
  planes("1 0 0", "2 0 0", "3 0 0");
  click("Command5");
  ASSERT_EQ(fake.prompts.messages.size(), 3);
  EXPECT_TRUE(fake.prompts.messages.last().contains("parallel"));
  EXPECT_TRUE(hasFocusAndSelection(Box::CalcH2));
  EXPECT_EQ(text(Box::CalcZoneU) + text(Box::CalcZoneV) + text(Box::CalcZoneW), "000");
  EXPECT_EQ(text(Box::CalcAngle12), "***");

  // Empty lattice boxes describe no cell.
  for (Box b : {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma})
    set(b, "");
  planes("1 0 0", "0 1 0", "1 1 0");
  click("Command5");
  ASSERT_EQ(fake.prompts.messages.size(), 4);
  EXPECT_TRUE(fake.prompts.messages.last().contains("Lattice parameters"));

  click("Command15");
  EXPECT_EQ(text(Box::CalcH1), "");
  EXPECT_EQ(text(Box::CalcZoneU), "***");
  EXPECT_EQ(text(Box::CalcAngle12), "***");
  EXPECT_EQ(find<QLabel>("Label1(47)")->text(), "d1= ***");
  EXPECT_EQ(window->resultsPanel()->sketch()->zoneAxisLabel()->text(), "Z=[* * *]");
  EXPECT_EQ(text(Box::A), ""); // Clean leaves the lattice boxes alone (here: as emptied)
}

TEST_F(CalculationTab, DatabaseAndCalculatorPanelsTakeTurnsInOnePlace) {
  QWidget* calculator = find<QWidget>("Frame14");
  const auto database = [&] { return find<QWidget>("Frame7"); };
  click("Label10");
  EXPECT_TRUE(database()->isVisible());
  EXPECT_FALSE(calculator->isVisible());
  click("Label10");
  EXPECT_FALSE(database()->isVisible());
  click("Label18");
  EXPECT_TRUE(calculator->isVisible());
  click("Label10");
  click("Label18"); // the calculator replaces the database panel
  EXPECT_TRUE(calculator->isVisible());
  EXPECT_FALSE(database()->isVisible());
  click("Label19");
  EXPECT_FALSE(calculator->isVisible());
  click("Label10");
  click("Command1");
  EXPECT_FALSE(database()->isVisible());

  // A database panel installed later takes the same place and the same turns.
  auto* panel = new QWidget;
  panel->setObjectName(QStringLiteral("Frame7"));
  window->sharedPlace()->installSecond(panel);
  QApplication::processEvents();
  EXPECT_FALSE(panel->isVisible());
  click("Label10");
  EXPECT_TRUE(panel->isVisible());
  EXPECT_FALSE(calculator->isVisible());
}

TEST_F(CalculationTab, TabChangeAndClosingAskTheSecondaryWindowsToClose) {
  QSignalSpy measure(window.get(), &MainWindow::closeMeasureDialogRequested);
  QSignalSpy magnifier(window.get(), &MainWindow::closeMagnifierRequested);
  QSignalSpy closed(window.get(), &MainWindow::closed);
  QSignalSpy hide(window.get(), &MainWindow::hideMagnifierRequested);
  window->tabs()->setCurrentIndex(MainWindow::MeasurementTab);
  EXPECT_EQ(measure.count(), 1);
  // The mouse leaving the picture for the tabs hides the magnifier; nothing else there does.
  hide.clear();
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(window->tabs()->tabBar(), &enter);
  EXPECT_EQ(hide.count(), 0);
  QTest::mouseMove(window->tabs()->tabBar(), QPoint(5, 5));
  EXPECT_GE(hide.count(), 1);
  QTest::mouseClick(window->page(MainWindow::MeasurementTab), Qt::LeftButton);
  EXPECT_EQ(measure.count(), 2);
  window->close();
  EXPECT_EQ(magnifier.count(), 1);
  EXPECT_EQ(measure.count(), 3);
  EXPECT_EQ(closed.count(), 1);
}

} // namespace
} // namespace spot
