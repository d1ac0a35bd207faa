// The window on a 1920 x 1080 screen at 100, 150 and 200 % scaling (ctest runs this suite once
// per scale, see CMakeLists.txt): it fits the available area, every panel can be brought into
// view, at 100 % the results list shows all its columns beside a vertical scroll bar, and on
// every tab each control has a place of its own.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/common/shared_place.hpp"
#include "ui/shell/main_window.hpp"

namespace spot {
namespace {

TEST(WindowOnScreen, FitsTheScreenAndBringsEveryPanelIntoView) {
  testing::FakeEnvironment fake;
  auto window = std::make_unique<MainWindow>(fake.environment());
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QApplication::processEvents();
  const QRect available = window->screen()->availableGeometry();
  SCOPED_TRACE(QStringLiteral("screen %1 x %2 logical pixels")
                   .arg(available.width())
                   .arg(available.height())
                   .toStdString());

  // Room for a title bar and borders (about 32 and 8 pixels) and a task bar (about 40): the
  // window can be made that small.
  const QSize minimum = window->minimumSizeHint();
  EXPECT_LE(minimum.width(), available.width() - 16);
  EXPECT_LE(minimum.height(), available.height() - 80);
  // Only a screen without room for 1280 x 960 and a frame (at 150 and 200 %) gets it maximized.
  EXPECT_EQ(window->isMaximized(), available.width() < 1920);
  EXPECT_TRUE(available.contains(window->frameGeometry()))
      << window->frameGeometry().width() << " x " << window->frameGeometry().height();

  // Each panel of the calculation tab is on the window, or scrolls there.
  const char* panels[] = {"Frame1(0)", "Frame3(0)", "Frame14", "Command5", "Command15",
                          "ListView1", "Frame11",   "Frame12", "Label22"};
  for (const char* name : panels) {
    QWidget* panel = window->findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(panel, nullptr) << name;
    for (QWidget* up = panel->parentWidget(); up; up = up->parentWidget())
      if (auto* area = qobject_cast<QScrollArea*>(up)) area->ensureWidgetVisible(panel, 0, 0);
    const QRect onWindow(panel->mapTo(window.get(), QPoint(0, 0)), panel->size());
    EXPECT_TRUE(window->rect().contains(onWindow.topLeft())) << name;
    EXPECT_FALSE(panel->visibleRegion().isEmpty()) << name;
  }

  // A 100 % display has room for the window the panels ask for: a list long enough to scroll
  // still shows its last column, <R1,R3>, whole.
  if (available.width() >= 1920) {
    EXPECT_GE(window->width(), 1280); // the least size the window opens at, room permitting
    EXPECT_GE(window->height(), 960);
    std::vector<IndexingResult> rows(200);
    for (std::size_t r = 0; r < rows.size(); ++r)
      rows[r].rowNumber = static_cast<int>(r) + 1;
    ResultsView* view = window->resultsPanel()->view();
    window->resultsPanel()->model()->setResults(std::move(rows));
    // The view lays out its scroll bars on a zero timer.
    ASSERT_TRUE(QTest::qWaitFor([view] { return view->verticalScrollBar()->isVisible(); }));
    EXPECT_LE(view->header()->length(), view->viewport()->width());
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
  }
}

bool InLayout(const QLayout* layout, const QWidget* widget) {
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (item->widget() == widget || (item->layout() && InLayout(item->layout(), widget)))
      return true;
  }
  return false;
}

QString NameOf(const QWidget* widget) {
  return QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') +
         widget->objectName();
}

/// The shown controls and the inner layouts of one layout (and so of each inner one) have room
/// of their own: a control put in a cell another holds would sit over it.
void ExpectItemsApart(const QLayout* layout, const QString& where) {
  QList<QRect> rects;
  QStringList names;
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (const QWidget* widget = item->widget()) {
      if (!widget->isVisible() || widget->isWindow() || widget->geometry().isEmpty()) continue;
      rects << widget->geometry();
      names << NameOf(widget);
    } else if (const QLayout* inner = item->layout()) {
      ExpectItemsApart(inner, where);
      if (inner->isEmpty() || inner->geometry().isEmpty()) continue;
      rects << inner->geometry();
      names << QStringLiteral("a layout");
    }
  }
  for (qsizetype i = 0; i < rects.size(); ++i)
    for (qsizetype j = i + 1; j < rects.size(); ++j) {
      EXPECT_FALSE(rects[i].intersects(rects[j]))
          << where.toStdString() << ": " << names[i].toStdString() << " over "
          << names[j].toStdString();
    }
}

/// Under `parent`, every shown widget of a panel with a layout is placed by it, apart from the
/// others: a control left out of its layout would sit in a corner, over its neighbour.
void ExpectLaidOut(const QWidget* parent) {
  QList<const QWidget*> shown;
  for (const QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->isVisible() && !child->isWindow() && !child->geometry().isEmpty()) shown << child;
  // Scroll areas, tab widgets and lists place their own parts; only layouts are checked.
  if (const QLayout* layout = parent->layout()) {
    for (const QWidget* child : shown)
      EXPECT_TRUE(InLayout(layout, child)) << NameOf(parent).toStdString() << ": "
                                           << NameOf(child).toStdString() << " is in no layout";
    ExpectItemsApart(layout, NameOf(parent));
  }
  for (const QWidget* child : shown)
    ExpectLaidOut(child);
}

TEST(WindowOnScreen, EveryTabGivesEachControlAPlaceOfItsOwn) {
  testing::FakeEnvironment fake;
  MainWindow window(fake.environment());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (int tab = 0; tab < window.tabs()->count(); ++tab) {
    window.tabs()->setCurrentIndex(tab);
    QApplication::processEvents();
    SCOPED_TRACE(window.tabs()->tabText(tab).toStdString());
    ExpectLaidOut(&window);
  }
  // The database panel in the calculator's place.
  window.tabs()->setCurrentIndex(MainWindow::CalculationTab);
  window.sharedPlace()->showSecond();
  QApplication::processEvents();
  ExpectLaidOut(&window);
}

} // namespace
} // namespace spot
