// The batch and export commands built alone over the panels they fill, with no database panel
// and no best-phases list beside them: a run still ends in the panels and in its report.
#include <gtest/gtest.h>

#include <QDir>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "indexing/search_fault.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/database/best_phases_view.hpp"
#include "ui/database/database_panel.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/shell/report_commands.hpp"

namespace spot {
namespace {

TEST(ReportCommandsAlone, RunOneBatchAtATimeAndNameTheirReport) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  testing::FakeEnvironment fake;
  fake.places.setFolder(folder.path());
  Environment environment = fake.environment();
  QWidget owner;
  BoxArray boxes(&owner);
  auto* phase = new PhasePanel(boxes, &owner);
  auto* results = new ResultsPanel(boxes, *phase, fake.prompts, &owner);
  MeasurementState state;
  auto* picture = new PictureView(state, boxes, fake.prompts, &owner);
  auto* statusBar = new QStatusBar(&owner);
  ReportCommands reports({boxes, *phase, *results, *picture, *statusBar}, environment);

  testing::EnterFaceCentredMeasurement(boxes);
  // Al (record 2), then Cu (34) while Al runs: the second is refused, not queued.
  reports.runBatch({2}, CheckMode::Multiple);
  ASSERT_TRUE(reports.isBatchRunning());
  reports.runBatch({34}, CheckMode::Multiple);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isBatchRunning(); }, 60'000));

  EXPECT_TRUE(fake.prompts.messages.isEmpty());
  EXPECT_EQ(phase->nameBox()->text(), QStringLiteral("Al  FaceCenter  c/a1.00000"));
  EXPECT_TRUE(phase->isLocked());
  // Al, a = 0.405 nm: 6 {200} for R1 times 4 perpendicular {200}.
  EXPECT_EQ(results->model()->rowCount(), 24);
  const QStringList written = QDir(folder.path()).entryList(QDir::Files);
  ASSERT_EQ(written.size(), 1);
  EXPECT_EQ(statusBar->currentMessage(),
            QStringLiteral("Report written: ") + folder.filePath(written[0]));

  // A scale bar of value 0 stops a run before its first record: said, and no report written.
  boxes.setText(Box::ScaleBarValue, QStringLiteral("0"));
  reports.runBatch({2}, CheckMode::Multiple);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isBatchRunning(); }, 60'000));
  ASSERT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_EQ(fake.prompts.messages[0],
            QString::fromStdString(FaultMessage(SearchFault::ZeroScaleBarValue)));
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), written);

  // CoO (record 29) and TiN (93) are both F with a = 0.424 nm: their scores tie and they rank in
  // the batch's order. Scale bar 4.7 1/nm: d1 = (100 / 4.7) / 100 = 0.2128 nm, near d200 = 0.212.
  boxes.setText(Box::ScaleBarValue, QStringLiteral("4.7"));
  reports.runBatch({29, 93}, CheckMode::Single);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isBatchRunning(); }, 60'000));
  EXPECT_EQ(phase->nameBox()->text(), QStringLiteral("TiN  FaceCenter  c/a1.00000")); // the last
  reports.showRankedPhase(0);
  EXPECT_EQ(phase->nameBox()->text(), QStringLiteral("CoO  FaceCenter  c/a1.00000"));
}

} // namespace
} // namespace spot
