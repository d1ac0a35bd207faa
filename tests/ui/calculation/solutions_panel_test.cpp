// The "Solutions" list as a user meets it: the face-centred example as one family, choosing it
// selects its rows and fills the calculator, the filter greys it, a pattern just outside a
// tolerance names its nearest miss, a hexagonal cell shows four-index zone axes.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "ui/calculation/calculator_panel.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/calculation/solutions_model.hpp"
#include "ui/calculation/solutions_panel.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/shell/main_window.hpp"

namespace spot {
namespace {

class SolutionsList : public ::testing::Test {
protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>(fake.environment());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    solutions = window->solutionsPanel();
    // Qt's own checker of what views rely on, through every search and filter of a test.
    rules = std::make_unique<QAbstractItemModelTester>(
        solutions->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  }
  void set(Box box, const char* text) { window->boxArray().setText(box, QString::fromUtf8(text)); }
  QString text(Box box) const { return window->boxArray().text(box); }
  QString title() const {
    return solutions->findChild<QLabel*>(QStringLiteral("SolutionsTitle"))->text();
  }

  /// A cell, its type and a pattern typed as spacings (scale bar 1 over 1 px, Length 1 px, the
  /// Number boxes holding d), then "Calculate".
  void search(const char* a, const char* c, const char* gamma, const char* type,
              std::array<const char*, 3> d, std::array<const char*, 3> angles) {
    if (window->phasePanel()->isLocked())
      QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("Label20")), Qt::LeftButton);
    set(Box::A, a);
    set(Box::B, a);
    set(Box::C, c);
    set(Box::Alpha, "90");
    set(Box::Beta, "90");
    set(Box::Gamma, gamma);
    window->phasePanel()->latticeTypeSelector()->setCurrentText(QString::fromUtf8(type));
    set(Box::IndexRange, "2");
    set(Box::ScaleBarValue, "1");
    set(Box::ScaleBarLength, "1");
    const Box lengths[] = {Box::Length1, Box::Length2, Box::Length3};
    const Box numbers[] = {Box::Number1, Box::Number2, Box::Number3};
    const Box measured[] = {Box::Angle12, Box::Angle23, Box::Angle13};
    for (int i = 0; i < 3; ++i) {
      set(lengths[i], "1");
      set(numbers[i], d[static_cast<std::size_t>(i)]);
      set(measured[i], angles[static_cast<std::size_t>(i)]);
    }
    QTest::mouseClick(window->phasePanel()->calculateButton(), Qt::LeftButton);
  }

  testing::FakeEnvironment fake;
  std::unique_ptr<MainWindow> window;
  SolutionsPanel* solutions = nullptr;
  std::unique_ptr<QAbstractItemModelTester> rules;
};

TEST_F(SolutionsList, FaceCentredExampleIsOneFamilyThatSelectsItsRows) {
  // a = 0.4 nm, F: d = 0.2, 0.2, 0.4/√8 nm at 90, 45, 45 degrees: 24 rows, one family.
  search("0.4", "0.4", "90", "F-Face Centred", {"0.2", "0.2", "0.1414213562"}, {"90", "45", "45"});
  ResultsModel& rows = *window->resultsPanel()->model();
  ASSERT_EQ(rows.rowCount(), 24);
  SolutionsModel& families = *solutions->model();
  ASSERT_EQ(families.rowCount(), 1);
  const auto cell = [&](int column) { return families.data(families.index(0, column)).toString(); };
  EXPECT_EQ(cell(SolutionsModel::RankColumn), "1");
  EXPECT_EQ(cell(SolutionsModel::RepresentativeColumn), "(2 0 0) + (0 2 0) = (2 2 0)");
  EXPECT_EQ(cell(SolutionsModel::ZoneAxisColumn), "[0 0 1]"); // cubic: no four-index form
  EXPECT_EQ(cell(SolutionsModel::RowsColumn), "24");
  // The example is exact (d = a/2, a/2, a/√8 and its angles): no deviation, in nm to 4 decimals
  // and degrees to 2, and a score of none to 3.
  EXPECT_EQ(cell(SolutionsModel::ScoreColumn), "0.000");
  for (int c = SolutionsModel::DeviationD1Column; c <= SolutionsModel::DeviationD3Column; ++c)
    EXPECT_EQ(cell(c), "0.0000") << c;
  for (int c = SolutionsModel::DeviationAngle12Column; c <= SolutionsModel::DeviationAngle13Column;
       ++c)
    EXPECT_EQ(cell(c), "0.00") << c;
  EXPECT_TRUE(solutions->nearestLabel()->isHidden());
  EXPECT_EQ(title(), "Solutions: 1 family of equivalent rows");
  // Texts to the left, numbers to the right; every column as wide as its text.
  const auto alignment = [&](int column) {
    return families.data(families.index(0, column), Qt::TextAlignmentRole).toInt();
  };
  EXPECT_EQ(alignment(SolutionsModel::RepresentativeColumn), Qt::AlignLeft | Qt::AlignVCenter);
  EXPECT_EQ(alignment(SolutionsModel::ZoneAxisColumn), Qt::AlignLeft | Qt::AlignVCenter);
  EXPECT_EQ(alignment(SolutionsModel::ScoreColumn), Qt::AlignRight | Qt::AlignVCenter);
  EXPECT_GE(solutions->view()->columnWidth(SolutionsModel::RepresentativeColumn),
            solutions->view()->fontMetrics().horizontalAdvance(
                cell(SolutionsModel::RepresentativeColumn)));
  EXPECT_EQ(families.headerData(SolutionsModel::RmsColumn, Qt::Horizontal), "RMS (px)");
  EXPECT_FALSE(families.headerData(0, Qt::Vertical).isValid());

  // Choosing it: all 24 rows selected, the calculator shows its planes and zone axis.
  window->resultsPanel()->view()->sortResults(column::kD1, Qt::DescendingOrder);
  solutions->chooseFamily(0);
  EXPECT_EQ(window->resultsPanel()->view()->selectionModel()->selectedRows().size(), 24);
  EXPECT_EQ(text(Box::CalcH1), "2");
  EXPECT_EQ(text(Box::CalcK2), "2");
  EXPECT_EQ(text(Box::CalcK3), "2");
  EXPECT_EQ(text(Box::CalcZoneW), "1");
  EXPECT_TRUE(window->calculatorPanel()->isVisible());
  EXPECT_TRUE(window->calculatorPanel()->fourIndexLabel()->text().isEmpty());
  solutions->chooseFamily(1); // no second family: nothing changes
  EXPECT_EQ(text(Box::CalcH1), "2");
  EXPECT_EQ(solutions->view()->currentIndex().row(), 0);

  // An angle tolerance of 0 turns every row away (the angle test is strict): the family is
  // greyed; back to 2 degrees, it is not.
  EXPECT_FALSE(families.isGreyed(0));
  set(Box::AngleTol12, "0");
  EXPECT_TRUE(families.isGreyed(0));
  EXPECT_TRUE(families.data(families.index(0, 0), Qt::ForegroundRole).isValid());
  set(Box::AngleTol12, "2");
  EXPECT_FALSE(families.isGreyed(0));
  EXPECT_FALSE(families.data(families.index(0, 0), Qt::ForegroundRole).isValid());

  // Loose tolerances (0.05 nm, 25 degrees) let other planes in: several families, each
  // selecting its own rows, the first of them current.
  for (Box b : {Box::DTol1, Box::DTol2, Box::DTol3})
    set(b, "0.05");
  for (Box b : {Box::AngleTol12, Box::AngleTol23, Box::AngleTol13})
    set(b, "25");
  search("0.4", "0.4", "90", "F-Face Centred", {"0.2", "0.2", "0.1414213562"}, {"90", "45", "45"});
  ASSERT_GE(families.rowCount(), 2);
  QItemSelectionModel& selected = *window->resultsPanel()->view()->selectionModel();
  for (int f = 0; f < families.rowCount(); ++f) {
    solutions->chooseFamily(f);
    const QModelIndexList rowsOf = selected.selectedRows();
    EXPECT_EQ(rowsOf.size(), families.data(families.index(f, SolutionsModel::RowsColumn)).toInt())
        << f;
    EXPECT_EQ(selected.currentIndex().row(), std::min_element(rowsOf.begin(), rowsOf.end())->row())
        << f;
  }
  // An index kept from before the list emptied reads as nothing.
  const QModelIndex kept = families.index(0, SolutionsModel::RankColumn);
  families.clear();
  EXPECT_FALSE(families.data(kept).isValid());
}

TEST_F(SolutionsList, NearestMissAndFourIndexZoneAxis) {
  // (1 1 1) + (1 -1 -1) = (2 0 0) of a = 0.4 nm with d2 0.011 nm short.
  search("0.4", "0.4", "90", "F-Face Centred", {"0.23094", "0.21994", "0.2"},
         {"109.47", "54.74", "54.74"});
  EXPECT_EQ(window->resultsPanel()->model()->rowCount(), 0);
  EXPECT_EQ(solutions->model()->rowCount(), 0);
  EXPECT_EQ(title(), "Solutions");
  EXPECT_FALSE(solutions->nearestLabel()->isHidden());
  EXPECT_TRUE(solutions->nearestLabel()->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_EQ(solutions->nearestLabel()->text(),
            "No solution. Nearest: (1 1 1) + (1 -1 -1) = (2 0 0), d2 off by 0.011 nm "
            "(tolerance 0.008)");

  // Hexagonal a = 0.3209, c = 0.5211 nm: (1 0 0) + (0 -1 0) = (1 -1 0), d = a√3/2, 120, 60, 60.
  search("0.3209", "0.5211", "120", "P-Primitive", {"0.27791", "0.27791", "0.27791"},
         {"120", "60", "60"});
  ASSERT_EQ(solutions->model()->rowCount(), 1);
  EXPECT_TRUE(solutions->nearestLabel()->isHidden());
  EXPECT_EQ(solutions->model()
                ->data(solutions->model()->index(0, SolutionsModel::ZoneAxisColumn))
                .toString(),
            "[0 0 -1] = [0 0 0 -1]");
  solutions->chooseFamily(0);
  EXPECT_EQ(window->calculatorPanel()->fourIndexLabel()->text(), "= [0 0 0 -1]");
}

TEST_F(SolutionsList, FamiliesThePictureCannotTellApartShareTheTopAndSaySo) {
  // a = 0.4 nm, P: (3 0 0) and (2 2 1) both have d = a/3; (3 0 0) + (0 3 0) = (3 3 0) and
  // (2 2 1) + (-2 1 2) = (0 3 3) both meet at 90 degrees with d3 = a/√18: families of
  // different zone axes with the same deviations, so the same score. A picture of one pixel
  // with no spot found holds no predicted spot of either: nothing tells them apart.
  PictureEvidence evidence;
  evidence.r1 = {50, 0};
  evidence.r2 = {0, 50};
  evidence.width = evidence.height = 1;
  bool withPicture = true;
  solutions->setPictureEvidenceSource([&]() -> std::optional<PictureEvidence> {
    if (!withPicture) return std::nullopt;
    return evidence;
  });
  search("0.4", "0.4", "90", "P-Primitive", {"0.1333333333", "0.1333333333", "0.0942809042"},
         {"90", "45", "45"});
  set(Box::IndexRange, "3");
  QTest::mouseClick(window->phasePanel()->calculateButton(), Qt::LeftButton);
  // Ranked by score at once, by the picture when its agreement is worked out; the family
  // chosen meanwhile stays chosen, the first as well.
  EXPECT_TRUE(title().endsWith(QStringLiteral(", being ranked by the picture…")));
  SolutionsModel& families = *solutions->model();
  solutions->chooseFamily(0);
  const SolutionFamily chosen = families.family(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !solutions->rankingByPicture(); }, 10000));
  const int current = solutions->view()->currentIndex().row();
  ASSERT_GE(current, 0);
  EXPECT_EQ(families.family(current).g1, chosen.g1);
  EXPECT_EQ(families.family(current).g2, chosen.g2);
  ASSERT_TRUE(families.hasAgreements());
  // (3 1 0), d = a/√10 = 0.1265 nm, passes the 0.008 nm tolerance too, with a worse score: the
  // tie is the two exact families only, of different zone axes.
  int top = 0;
  while (top < families.rowCount() && families.family(top).rank == 1)
    ++top;
  ASSERT_EQ(top, 2);
  EXPECT_NE(ZoneAxisText(families.family(0)), ZoneAxisText(families.family(1)));
  // No spot found: none explained, none of the predicted ones found, no distance to average.
  const auto cell = [&](int f, int column) { return families.data(families.index(f, column)); };
  for (int f = 0; f < families.rowCount(); ++f) {
    EXPECT_EQ(cell(f, SolutionsModel::ExplainedColumn), QStringLiteral("0 of 0"));
    EXPECT_EQ(cell(f, SolutionsModel::MatchedColumn),
              QStringLiteral("0 of %1").arg(families.agreement(f).predicted));
    EXPECT_EQ(cell(f, SolutionsModel::RmsColumn), QStringLiteral("0.00"));
  }
  EXPECT_FALSE(solutions->tieLabel()->isHidden());
  EXPECT_EQ(solutions->tieLabel()->text(),
            QStringLiteral("The first 2 share rank 1: the picture and the measurement cannot "
                           "tell them apart."));

  // Without a picture the families are ranked by their score alone, as before: no tie said,
  // the picture's columns hidden.
  withPicture = false;
  QTest::mouseClick(window->phasePanel()->calculateButton(), Qt::LeftButton);
  EXPECT_FALSE(families.hasAgreements());
  EXPECT_EQ(title(),
            QStringLiteral("Solutions: %1 families of equivalent rows").arg(families.rowCount()));
  EXPECT_TRUE(solutions->tieLabel()->isHidden());
  EXPECT_TRUE(solutions->view()->header()->isSectionHidden(SolutionsModel::RmsColumn));
  EXPECT_EQ(families.family(1).rank, 2);
}

} // namespace
} // namespace spot
