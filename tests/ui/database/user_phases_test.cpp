// The user's phases in the window: "Import CIF..." into the library file and the tree, a batch
// over a ticked user phase that leaves its space group in the lattice-type selector until a cell
// box is edited, "Remove", and a library that cannot be written or read.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "crystal/phase_library.hpp"
#include "support/cif_samples.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/database/best_phases_view.hpp"
#include "ui/database/database_panel.hpp"
#include "ui/database/phase_library_controller.hpp"
#include "ui/shell/main_window.hpp"
#include "ui/shell/report_commands.hpp"

namespace spot {
namespace {

class UserPhases : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    fake.places.setFolder(folder.path());
  }
  void open() {
    window = std::make_unique<MainWindow>(fake.environment());
    database = window->phaseDatabase();
  }
  QString writeCif(const QString& name, const char* text) {
    QFile file(QDir(folder.path()).filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return file.fileName();
  }
  QString library() const { return QDir(folder.path()).filePath(QStringLiteral("Phases.cif")); }
  QTreeWidgetItem* userNode() const { return database->itemWithKey(QStringLiteral("User")); }
  void runBatch() {
    database->calculateButton()->click();
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return !window->reportCommands()->isBatchRunning(); }, 60'000));
  }

  QTemporaryDir folder;
  testing::FakeEnvironment fake;
  std::unique_ptr<MainWindow> window;
  DatabasePanel* database = nullptr;
};

TEST_F(UserPhases, ImportedPhaseIsSearchedWithItsGroupUntilTheCellIsEdited) {
  open();
  EXPECT_EQ(userNode(), nullptr); // no library yet
  fake.prompts.files = {writeCif(QStringLiteral("si.cif"), spot::testing::kSiliconCif)};
  database->importButton()->click();
  EXPECT_TRUE(fake.prompts.messages.isEmpty()) << fake.prompts.messages.join('\n').toStdString();
  ASSERT_NE(userNode(), nullptr);
  EXPECT_EQ(userNode()->text(0), QStringLiteral("User phases"));
  ASSERT_EQ(userNode()->childCount(), 1);
  EXPECT_TRUE(
      userNode()->child(0)->text(0).startsWith(QStringLiteral("Si  F d -3 m:2  a=0.54307")));
  // The root is the tree's first item and the user phases its last child, after the records.
  QTreeWidgetItem* root = database->tree()->topLevelItem(0);
  EXPECT_EQ(root->child(root->childCount() - 1), userNode());
  EXPECT_TRUE(QFile::exists(library()));
  EXPECT_EQ(LoadPhaseLibrary(library().toStdString()).phases.size(), 1u);

  // Silicon's [0 0 1] pattern on (4 0 0) + (0 4 0): d = a/4, a/4, a/√32 with a = 0.54307 nm.
  BoxArray& boxes = window->boxArray();
  const QString d = QString::number(0.54307 / 4, 'g', 10),
                d3 = QString::number(0.54307 / std::sqrt(32.0), 'g', 10);
  const std::pair<Box, QString> measured[] = {
      {Box::ScaleBarValue, "1"}, {Box::ScaleBarLength, "1"}, {Box::Length1, "1"},
      {Box::Length2, "1"},       {Box::Length3, "1"},        {Box::Number1, d},
      {Box::Number2, d},         {Box::Number3, d3},         {Box::Angle12, "90"},
      {Box::Angle23, "45"},      {Box::Angle13, "45"}};
  for (const auto& [box, text] : measured)
    boxes.setText(box, text);
  userNode()->child(0)->setCheckState(0, Qt::Checked); // Single mode: this one alone
  EXPECT_EQ(database->selectedRecords().size(), 0u);
  runBatch();
  EXPECT_EQ(window->statusBar()->currentMessage(), QString()); // a Single run writes no report
  PhasePanel& phase = *window->phasePanel();
  EXPECT_EQ(phase.nameBox()->text(), QStringLiteral("Si"));
  EXPECT_EQ(phase.latticeTypeSelector()->currentText(), QStringLiteral("F d -3 m:2"));
  EXPECT_FALSE(phase.latticeTypeSelector()->isEnabled());
  EXPECT_TRUE(phase.latticeTypeSelector()->toolTip().startsWith(QStringLiteral("Space group of")));
  ASSERT_NE(phase.attachedPhase(), nullptr);
  // (4 0 0) + (0 4 0) and its equivalents: 6 choices of R1 times 4 perpendicular R2.
  EXPECT_EQ(window->resultsPanel()->model()->rowCount(), 24);

  // The group forbids (2 0 0): searched again on (2 0 0) + (0 2 0), nothing is found...
  boxes.setText(Box::Number1, QString::number(0.54307 / 2, 'g', 10));
  boxes.setText(Box::Number2, QString::number(0.54307 / 2, 'g', 10));
  boxes.setText(Box::Number3, QString::number(0.54307 / std::sqrt(8.0), 'g', 10));
  phase.calculateButton()->click();
  EXPECT_EQ(window->resultsPanel()->model()->rowCount(), 0);
  // ... until a cell box is edited: the centring alone then finds the face-centred rows, also
  // after the phase was brought in twice.
  const CrystalPhase silicon = *phase.attachedPhase();
  phase.attachPhase(silicon);
  phase.toggleLock();
  boxes.setText(Box::A, QStringLiteral("0.543070"));
  EXPECT_EQ(phase.attachedPhase(), nullptr);
  EXPECT_TRUE(phase.latticeTypeSelector()->isEnabled());
  EXPECT_EQ(phase.latticeTypeSelector()->toolTip(), QString());
  EXPECT_EQ(phase.latticeTypeSelector()->currentText(), QStringLiteral("F-Face Centred"));
  phase.calculateButton()->click();
  EXPECT_EQ(window->resultsPanel()->model()->rowCount(), 24);

  // "Remove" takes the phase under the cursor out of the tree and the file; with the cursor on
  // no phase of the user, the ticked ones.
  // Aluminium with a file that holds no whole phase: the one added, the other's fault said.
  const QStringList both = {writeCif(QStringLiteral("al.cif"), spot::testing::kAluminiumCif),
                            writeCif(QStringLiteral("bad.cif"), "data_bad\n_cell_length_a 1\n")};
  EXPECT_EQ(window->phaseLibrary()->importFiles(both), 1);
  ASSERT_FALSE(fake.prompts.messages.isEmpty());
  EXPECT_TRUE(fake.prompts.messages.last().startsWith(QStringLiteral("Imported 1 phase(s).\r\n")));
  ASSERT_EQ(userNode()->childCount(), 2);
  // A batch over both on the (4 0 0) pattern: Si, chosen in the ranked list after Al was shown
  // last, brings its own group back.
  for (const auto& [box, text] : measured)
    boxes.setText(box, text);
  database->multipleOption()->click();
  userNode()->setCheckState(0, Qt::Checked);
  runBatch();
  QTreeWidget& best = *window->bestPhases()->list();
  const QList<QTreeWidgetItem*> si =
      best.findItems(QStringLiteral("Si"), Qt::MatchStartsWith, BestPhasesView::PhaseColumn);
  ASSERT_EQ(si.size(), 1);
  best.setCurrentItem(si[0]);
  EXPECT_EQ(phase.nameBox()->text(), QStringLiteral("Si"));
  EXPECT_EQ(phase.latticeTypeSelector()->currentText(), QStringLiteral("F d -3 m:2"));
  database->tree()->setCurrentItem(userNode()->child(0));
  database->removeButton()->click();
  ASSERT_EQ(userNode()->childCount(), 1);
  userNode()->child(0)->setCheckState(0, Qt::Checked);
  database->tree()->setCurrentItem(userNode());
  database->removeButton()->click();
  EXPECT_EQ(userNode(), nullptr);
  EXPECT_TRUE(LoadPhaseLibrary(library().toStdString()).phases.empty());
}

TEST_F(UserPhases, LibraryFilesThatCannotBeWrittenOrReadAreSaid) {
  // A folder appears where the library file should go: the import cannot be saved, which is
  // said, and nothing is shown.
  open();
  ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Phases.cif")));
  fake.prompts.files = {writeCif(QStringLiteral("al.cif"), spot::testing::kAluminiumCif)};
  database->importButton()->click();
  ASSERT_FALSE(fake.prompts.messages.isEmpty());
  EXPECT_TRUE(fake.prompts.messages.last().contains(QStringLiteral("could not be written")));
  EXPECT_EQ(userNode(), nullptr);
  window.reset();
  QDir(folder.path()).rmdir(QStringLiteral("Phases.cif"));

  // A damaged library: said at start by name, shown as far as it reads, and never replaced.
  QFile file(library());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(spot::testing::kAluminiumCif) + "\ndata_broken\n_cell_length_a 1\n");
  file.close();
  fake.prompts.messages.clear();
  open();
  ASSERT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_TRUE(fake.prompts.messages[0].contains(library()));
  ASSERT_NE(userNode(), nullptr);
  EXPECT_EQ(userNode()->childCount(), 1);
  database->tree()->setCurrentItem(userNode()->child(0));
  database->removeButton()->click();
  EXPECT_EQ(userNode()->childCount(), 1);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("data_broken"));
}

} // namespace
} // namespace spot
