// QImage to grey values.
#include "ui/measurement/grey_picture.hpp"

#include <QRgba64>

namespace spot {

namespace {

// Rec. 601 luma, as qGray weighs (11, 16, 5) / 32 in whole numbers.
float luminance(double red, double green, double blue) {
  // A grey pixel keeps its value exactly (the weights would round it by an ulp).
  if (red == green && green == blue) return static_cast<float>(red);
  return static_cast<float>(0.299 * red + 0.587 * green + 0.114 * blue);
}

} // namespace

bool HasDeepPixels(const QImage& image) {
  switch (image.format()) {
  case QImage::Format_Grayscale16:
  case QImage::Format_RGBX64:
  case QImage::Format_RGBA64:
  case QImage::Format_RGBA64_Premultiplied:
  case QImage::Format_RGBX16FPx4:
  case QImage::Format_RGBA16FPx4:
  case QImage::Format_RGBA16FPx4_Premultiplied:
  case QImage::Format_RGBX32FPx4:
  case QImage::Format_RGBA32FPx4:
  case QImage::Format_RGBA32FPx4_Premultiplied: return true;
  default: return false;
  }
}

GreyImage GreyImageOf(const QImage& image) {
  if (image.isNull()) return {};
  const int width = image.width();
  const int height = image.height();
  GreyImage grey(width, height);

  if (image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Grayscale16) {
    const bool sixteen = image.format() == QImage::Format_Grayscale16;
    for (int y = 0; y < height; ++y) {
      const uchar* line = image.constScanLine(y);
      if (sixteen) {
        const auto* values = reinterpret_cast<const quint16*>(line);
        for (int x = 0; x < width; ++x)
          grey.at(x, y) = values[x];
      } else {
        for (int x = 0; x < width; ++x)
          grey.at(x, y) = line[x];
      }
    }
    return grey;
  }

  if (HasDeepPixels(image)) {
    const QImage deep = image.convertToFormat(QImage::Format_RGBX64);
    for (int y = 0; y < height; ++y) {
      const auto* pixels = reinterpret_cast<const QRgba64*>(deep.constScanLine(y));
      for (int x = 0; x < width; ++x)
        grey.at(x, y) = luminance(pixels[x].red(), pixels[x].green(), pixels[x].blue());
    }
    return grey;
  }

  const QImage colour = image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    const auto* pixels = reinterpret_cast<const QRgb*>(colour.constScanLine(y));
    for (int x = 0; x < width; ++x)
      grey.at(x, y) = luminance(qRed(pixels[x]), qGreen(pixels[x]), qBlue(pixels[x]));
  }
  return grey;
}

} // namespace spot
