// Spot work in the picture view: the grey values it hands to spot finding for every kind of
// picture it opens.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include "ui/common/box_array.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/measurement/grey_picture.hpp"
#include "ui/measurement/picture_view.hpp"

namespace spot {
namespace {

TEST(GreyPicture, KeepsGreyValuesAndReadsColourAsLuminanceOnThePicturesOwnScale) {
  // Grey pictures keep their values, 16-bit ones all 16 bits.
  QImage grey16(3, 2, QImage::Format_Grayscale16);
  const quint16 values16[2][3] = {{0, 1000, 65535}, {257, 40001, 7}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      reinterpret_cast<quint16*>(grey16.scanLine(y))[x] = values16[y][x];
  const GreyImage g16 = GreyImageOf(grey16);
  ASSERT_EQ(g16.width, 3);
  ASSERT_EQ(g16.height, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(g16.at(x, y), values16[y][x]) << x << "," << y;
  EXPECT_TRUE(HasDeepPixels(grey16));

  QImage grey8(2, 1, QImage::Format_Grayscale8);
  grey8.scanLine(0)[0] = 3;
  grey8.scanLine(0)[1] = 250;
  const GreyImage g8 = GreyImageOf(grey8);
  EXPECT_EQ(g8.at(0, 0), 3);
  EXPECT_EQ(g8.at(1, 0), 250);
  EXPECT_FALSE(HasDeepPixels(grey8));

  // Colour as Y = 0.299 R + 0.587 G + 0.114 B: (200, 100, 50) gives 59.8 + 58.7 + 5.7 = 124.2;
  // a grey colour pixel keeps its value.
  QImage colour(2, 1, QImage::Format_RGB32);
  colour.setPixel(0, 0, qRgb(200, 100, 50));
  colour.setPixel(1, 0, qRgb(77, 77, 77));
  const GreyImage gc = GreyImageOf(colour);
  EXPECT_FLOAT_EQ(gc.at(0, 0), 124.2f);
  EXPECT_EQ(gc.at(1, 0), 77);

  // An indexed picture through its colour table: (0, 0, 255) is 0.114 x 255 = 29.07.
  QImage indexed(2, 1, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(10, 10, 10), qRgb(0, 0, 255)});
  indexed.scanLine(0)[0] = 1;
  indexed.scanLine(0)[1] = 0;
  const GreyImage gi = GreyImageOf(indexed);
  EXPECT_FLOAT_EQ(gi.at(0, 0), 29.07f);
  EXPECT_EQ(gi.at(1, 0), 10);

  // 16-bit colour on the 0-65535 scale: (40000, 20000, 10000) gives 11960 + 11740 + 1140.
  QImage deep(1, 1, QImage::Format_RGBX64);
  deep.setPixelColor(0, 0, QColor::fromRgba64(40000, 20000, 10000));
  EXPECT_TRUE(HasDeepPixels(deep));
  EXPECT_FLOAT_EQ(GreyImageOf(deep).at(0, 0), 24840.0f);

  EXPECT_TRUE(GreyImageOf(QImage()).empty());
}

TEST(GreyPicture, TheViewKeepsTheSixteenBitValuesOfAPictureItOpens) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QImage frame(4, 3, QImage::Format_Grayscale16);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      reinterpret_cast<quint16*>(frame.scanLine(y))[x] = static_cast<quint16>(1000 * y + 3 * x + 1);
  const QString tiff = dir.filePath(QStringLiteral("frame.tif"));
  ASSERT_TRUE(frame.save(tiff));
  QImage colour(4, 3, QImage::Format_RGB32);
  colour.fill(qRgb(200, 100, 50));
  const QString png = dir.filePath(QStringLiteral("colour.png"));
  ASSERT_TRUE(colour.save(png));

  QWidget owner;
  BoxArray boxes(&owner);
  testing::FakePrompts prompts;
  MeasurementState state;
  PictureView view(state, boxes, prompts);
  ASSERT_TRUE(view.loadPicture(tiff));
  const GreyImage grey = GreyImageOf(view.pixelSource());
  // 1000 y + 3 x + 1; the drawn copy has 8 bits, where 2004 would show as 8 (2004 / 257).
  EXPECT_EQ(grey.at(1, 2), 2004);
  EXPECT_EQ(grey.at(3, 0), 10);
  ASSERT_TRUE(view.loadPicture(png));
  EXPECT_FLOAT_EQ(GreyImageOf(view.pixelSource()).at(2, 1), 124.2f);
}

} // namespace
} // namespace spot
