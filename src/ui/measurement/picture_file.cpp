// Reading a picture file.
#include "ui/measurement/picture_file.hpp"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm> // for max
#include <cmath>     // for ceil
#include <cstring>   // for memcpy

namespace spot {

namespace {

QString TooLarge(int width, int height, double mebibytes) {
  return QStringLiteral("the picture is too large (%1 x %2 pixels take %3 MiB; a "
                        "picture must stay under %4 MiB)")
      .arg(width)
      .arg(height)
      .arg(std::ceil(mebibytes))
      .arg(kPictureMemoryLimitMiB);
}

// 16-bit grey as the common readers decode it (PNG, compressed TIFF): values 0-65535.
std::shared_ptr<const GreyImage> DepthOf(const QImage& image) {
  if (image.format() != QImage::Format_Grayscale16) return nullptr;
  auto depth = std::make_shared<GreyImage>(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const quint16*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      depth->at(x, y) = row[x];
  }
  return depth;
}

} // namespace

QImage DisplayImageOf(const GreyImage& depth, const DisplayMapping& mapping) {
  const std::vector<std::uint8_t> levels = MapForDisplay(depth, mapping);
  QImage image(depth.width, depth.height, QImage::Format_Grayscale8);
  if (image.isNull()) return image;
  for (int y = 0; y < depth.height; ++y)
    std::memcpy(image.scanLine(y), levels.data() + static_cast<std::size_t>(y) * depth.width,
                static_cast<std::size_t>(depth.width));
  return image;
}

PictureFileRead ReadPictureFile(const QString& file) {
  const QFileInfo info(file);
  // isFile() follows links and is false for FIFOs, sockets and devices.
  if (info.exists() && !info.isFile())
    return {{}, QStringLiteral("it is not a regular file"), {}, {}};

  // Microscope formats first, told by their content whatever the file's name; a missing file
  // is left for the common reader to report as before.
  MicroscopePictureRead microscope;
  if (info.exists()) microscope = ReadMicroscopePictureFile(QFile::encodeName(file).toStdString());
  if (microscope.handled()) {
    if (!microscope.picture) return {{}, QString::fromStdString(microscope.error), {}, {}};
    const RawPicture& pixels = microscope.picture->pixels;
    // The view's 32-bit copy takes 4 bytes a pixel, and so do the grey values kept.
    const double mebibytes = double(pixels.width) * pixels.height * 4 / (1024 * 1024);
    if (mebibytes >= kPictureMemoryLimitMiB)
      return {{}, TooLarge(pixels.width, pixels.height, mebibytes), {}, {}};
    auto depth = std::make_shared<const GreyImage>(ToGreyImage(pixels));
    QImage image = DisplayImageOf(*depth, DefaultDisplayMapping(*depth));
    if (image.isNull())
      return {{}, QStringLiteral("there is not enough memory to show it"), {}, {}};
    return {std::move(image), {}, std::move(depth), microscope.picture->calibration};
  }

  QImageReader reader(file);
  reader.setAllocationLimit(kPictureMemoryLimitMiB);
  const QSize size = reader.size();
  if (size.isValid()) {
    // The view keeps a 32-bit copy, so a picture takes at least 4 bytes a pixel.
    const int bits = std::max<int>(QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel(), 32);
    const double mebibytes = double(size.width()) * size.height() * (bits / 8) / (1024 * 1024);
    // At the limit itself the reader would refuse too, with a message that says nothing.
    if (mebibytes >= kPictureMemoryLimitMiB)
      return {{}, TooLarge(size.width(), size.height(), mebibytes), {}, {}};
  }
  QImage image = reader.read();
  if (image.isNull()) return {{}, reader.errorString(), {}, {}};
  std::shared_ptr<const GreyImage> depth = DepthOf(image);
  if (depth) image = DisplayImageOf(*depth, DefaultDisplayMapping(*depth));
  return {std::move(image), {}, std::move(depth), {}};
}

} // namespace spot
