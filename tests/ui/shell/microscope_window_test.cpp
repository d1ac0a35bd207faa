// A diffraction pattern saved by the camera software (DM3 with its 1/nm calibration) opened in
// the whole window as a new user would: the status bar names the calibration, the scale bar
// boxes hold it, and the spots found in the full-depth values measure the pattern against it.
#include <gtest/gtest.h>

#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/numeric_text.hpp"
#include "picture/picture_files.hpp"
#include "support/synthetic_picture.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/measurement/picture_tools.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/shell/main_window.hpp"

namespace spot {
namespace {

// A square lattice of 50 px (turned 10 degrees) around a saturated beam, 16-bit, saved at
// 0.05 1/nm a pixel: a bar of 1 1/nm spans 1 / 0.05 = 20 px, and each spot vector is
// 50 / 20 = 2.5 1/nm, d = 0.4 nm.
TEST(MicroscopeWindow, ADiffractionPatternBringsItsCalibrationAndIsMeasuredAtFullDepth) {
  testing::FakeEnvironment fake;
  auto window = std::make_unique<MainWindow>(fake.environment());
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());

  testing::PictureRecipe recipe;
  recipe.width = 360, recipe.height = 300;
  recipe.sixteenBit = true;
  recipe.beamX = 180.3, recipe.beamY = 150.6, recipe.beamAmplitude = 900;
  const GreyImage image =
      testing::RenderPicture(recipe, testing::LatticeSpots(recipe, testing::ScreenVector(50, 10),
                                                           testing::ScreenVector(50, 100), 5));
  const std::vector<std::uint16_t> samples(image.values.begin(), image.values.end());
  const test::Bytes bytes = test::DmWriter{3, false}.write(
      test::DmFile({test::DmThumbnail(), test::DmImage(10, {360, 300}, samples, u"1/nm", 0.05f,
                                                       180.3f, 150.6f, 200000.0f)}));
  const QString file = dir.filePath(QStringLiteral("pattern.dm3"));
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  out.close();

  ASSERT_TRUE(window->openPicture(file));
  EXPECT_EQ(window->statusBar()->currentMessage(),
            QStringLiteral("Calibration from the file: 0.05 1/nm per pixel"));
  BoxArray& boxes = window->boxArray();
  EXPECT_EQ(boxes.text(Box::ScaleBarValue), QStringLiteral("1"));
  EXPECT_EQ(boxes.text(Box::ScaleBarLength), QStringLiteral("20"));
  ASSERT_TRUE(window->pictureView()->fullDepth());

  QTest::mouseClick(window->pictureTools()->findSpotsButton(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->pictureView()->findingSpots(); }, 10000));
  EXPECT_GT(window->pictureView()->spots().size(), 20u);
  QTest::mouseClick(window->pictureTools()->measurePatternButton(), Qt::LeftButton);
  const double length = NumericPrefix(boxes.text(Box::Length1).toStdString());
  EXPECT_NEAR(length, 50, 0.05);
  EXPECT_EQ(boxes.text(Box::ScaleBarLength), QStringLiteral("20")); // the calibration kept
}

} // namespace
} // namespace spot
