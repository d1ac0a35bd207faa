// Microscope pictures in the picture view: a DM3 diffraction pattern fills the scale bar boxes
// from its 1/nm calibration and says so, a real-space calibration is only shown, and the display
// control maps the full-depth values without changing them.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "picture/picture_files.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/measurement/display_mapping_control.hpp"
#include "ui/measurement/picture_tools.hpp"
#include "ui/measurement/picture_view.hpp"

namespace spot {
namespace {

using namespace spot::test;

struct MicroscopePictureView : ::testing::Test {
  QWidget owner;
  BoxArray boxes{&owner};
  testing::FakePrompts prompts;
  MeasurementState state;
  PictureView* view = new PictureView(state, boxes, prompts, &owner);
  PictureTools* tools = new PictureTools(*view, &owner);
  DisplayMappingControl* control = tools->displayControl();
  QSignalSpy status{view, &PictureView::statusMessage};
  QTemporaryDir dir;

  QString save(const QString& name, const Bytes& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
  }
  QString lastStatus() const { return status.isEmpty() ? QString() : status.last()[0].toString(); }
};

// A 4 x 2 pattern of 16-bit values 0 ... 60000: the direct beam (60000) among weak spots.
const std::vector<std::uint16_t> kPattern = {0, 100, 200, 60000, 300, 400, 500, 600};

TEST_F(MicroscopePictureView, ReciprocalCalibrationFillsTheScaleBarARealSpaceOneIsOnlyShown) {
  boxes.setText(Box::ScaleBarValue, QStringLiteral("7"));
  const QString file =
      save("pattern.dm3", DmWriter{3, false}.write(DmFile(
                              {DmThumbnail(), DmImage(10, {4, 2}, kPattern, u"1/nm", 0.17443f)})));
  tools->openButton()->click(); // cancelled: Clean still empties the boxes
  prompts.files.push_back(file);
  tools->openButton()->click();
  ASSERT_TRUE(view->hasPicture()) << prompts.messages.join(QStringLiteral("; ")).toStdString();
  EXPECT_EQ(view->picture().size(), QSize(4, 2));
  // As a bar of 1 1/nm over 1 / 0.17443 = 5.73295878002637 px (15 significant digits).
  EXPECT_EQ(boxes.text(Box::ScaleBarValue), QStringLiteral("1"));
  EXPECT_EQ(boxes.text(Box::ScaleBarLength), QStringLiteral("5.73295878002637"));
  EXPECT_EQ(lastStatus(), QStringLiteral("Calibration from the file: 0.17443 1/nm per pixel"));

  // A real-space calibration is shown but leaves the boxes as Clean left them.
  prompts.files.push_back(save(
      "image.dm4", DmWriter{4, true}.write(DmFile({DmImage(10, {4, 2}, kPattern, u"nm", 0.25f)}))));
  tools->openButton()->click();
  EXPECT_EQ(boxes.text(Box::ScaleBarValue), QString());
  EXPECT_EQ(boxes.text(Box::ScaleBarLength), QString());
  EXPECT_EQ(lastStatus(), QStringLiteral("Calibration from the file: 0.25 nm per pixel (a "
                                         "real-space scale: not used for the scale bar)"));
  // A picture without one clears the message; a broken file says why and keeps the picture.
  prompts.files.push_back(save("plain.mrc", WriteMrc(MrcLayout{}, Bytes(12, 0))));
  tools->openButton()->click();
  EXPECT_EQ(lastStatus(), QString());
  EXPECT_EQ(view->picture().size(), QSize(3, 2));
  prompts.files.push_back(
      save("complex.dm3", DmWriter{}.write(DmFile({DmImage<float>(3, {1, 1}, {1.0f, 2.0f})}))));
  tools->openButton()->click();
  EXPECT_EQ(view->picture().size(), QSize(3, 2));
  ASSERT_FALSE(prompts.messages.isEmpty());
  EXPECT_TRUE(prompts.messages.last().contains(QStringLiteral("complex.dm3")));
  EXPECT_TRUE(prompts.messages.last().contains(QStringLiteral("complex samples")));
}

TEST_F(MicroscopePictureView, DisplayMappingShowsTheFullDepthValuesWithoutChangingThem) {
  EXPECT_FALSE(control->isEnabled()); // nothing to map yet
  ASSERT_TRUE(view->loadPicture(
      save("pattern.dm3", DmWriter{3, false}.write(DmFile({DmImage(10, {4, 2}, kPattern)})))));
  ASSERT_TRUE(view->fullDepth());
  const std::vector<float> values(kPattern.begin(), kPattern.end());
  EXPECT_EQ(view->fullDepth()->values, values);
  EXPECT_TRUE(control->isEnabled());
  // Percentiles of 8 values: ranks floor(0.005 x 7) = 0 and floor(0.999 x 7) = 6 of the sorted
  // 0 100 200 300 400 500 600 60000.
  EXPECT_EQ(control->lowEdit()->text(), QStringLiteral("0"));
  EXPECT_EQ(control->highEdit()->text(), QStringLiteral("600"));
  EXPECT_EQ(control->scaleBox()->currentText(), QStringLiteral("Linear"));
  // Linear 0 to 600: 300 shows 255 x 300 / 600 = 127.5, rounded 128; the beam is white.
  EXPECT_EQ(qGray(view->picture().pixel(0, 1)), 128);
  EXPECT_EQ(qGray(view->picture().pixel(3, 0)), 255);

  // Logarithmic: 255 ln(1 + 300 / 0.6) / ln(1001) = 229.45, rounded 229.
  control->scaleBox()->setCurrentIndex(1);
  emit control->scaleBox()->activated(1);
  EXPECT_EQ(view->displayMapping().scale, DisplayScale::Logarithmic);
  EXPECT_EQ(control->scaleBox()->currentText(), QStringLiteral("Logarithmic"));
  EXPECT_EQ(qGray(view->picture().pixel(0, 1)), 229);
  // Limits typed: 0 to 60000 linear puts 300 at 255 x 300 / 60000 = 1.3, rounded 1.
  control->scaleBox()->setCurrentIndex(0);
  control->highEdit()->setText(QStringLiteral("60000"));
  emit control->highEdit()->editingFinished();
  EXPECT_EQ(view->displayMapping().scale, DisplayScale::Linear);
  EXPECT_EQ(view->displayMapping().high, 60000.0);
  EXPECT_EQ(qGray(view->picture().pixel(0, 1)), 1);
  // The high limit alone: 255 x 300 / 1200 = 63.75, rounded 64.
  control->highEdit()->setText(QStringLiteral("1200"));
  emit control->highEdit()->editingFinished();
  EXPECT_EQ(qGray(view->picture().pixel(0, 1)), 64);
  // A limit that is not a number: a message naming the box, the mapping and the text as they
  // were.
  control->lowEdit()->setText(QStringLiteral("dark"));
  emit control->lowEdit()->editingFinished();
  ASSERT_EQ(prompts.messages.size(), 1);
  EXPECT_EQ(prompts.messages[0],
            QStringLiteral("The display's low limit \"dark\" is not a number."));
  EXPECT_EQ(control->lowEdit()->text(), QStringLiteral("0"));
  EXPECT_EQ(view->displayMapping().high, 1200.0);
  // Auto: back to the percentiles; the values never changed.
  control->autoButton()->click();
  EXPECT_EQ(control->highEdit()->text(), QStringLiteral("600"));
  EXPECT_EQ(view->fullDepth()->values, values);

  // An 8-bit picture has nothing to map.
  QImage eight(3, 3, QImage::Format_Grayscale8);
  eight.fill(90);
  ASSERT_TRUE(eight.save(dir.filePath(QStringLiteral("eight.png"))));
  ASSERT_TRUE(view->loadPicture(dir.filePath(QStringLiteral("eight.png"))));
  EXPECT_FALSE(view->fullDepth());
  EXPECT_FALSE(control->isEnabled());
  EXPECT_EQ(control->highEdit()->text(), QString());
  EXPECT_EQ(qGray(view->picture().pixel(1, 1)), 90);
  // ... and a mapping asked for anyway leaves it as it is shown.
  view->setDisplayMapping({DisplayScale::Linear, 0, 180});
  EXPECT_EQ(qGray(view->picture().pixel(1, 1)), 90);
}

} // namespace
} // namespace spot
