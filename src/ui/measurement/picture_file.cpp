// Reading a picture file.
#include "ui/measurement/picture_file.hpp"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm> // for max
#include <cmath>     // for ceil

namespace spot {

PictureFileRead ReadPictureFile(const QString& file) {
  const QFileInfo info(file);
  // isFile() follows links and is false for FIFOs, sockets and devices.
  if (info.exists() && !info.isFile()) return {{}, QStringLiteral("it is not a regular file")};

  QImageReader reader(file);
  reader.setAllocationLimit(kPictureMemoryLimitMiB);
  const QSize size = reader.size();
  if (size.isValid()) {
    // The view keeps a 32-bit copy, so a picture takes at least 4 bytes a pixel.
    const int bits = std::max<int>(QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel(), 32);
    const double mebibytes = double(size.width()) * size.height() * (bits / 8) / (1024 * 1024);
    // At the limit itself the reader would refuse too, with a message that says nothing.
    if (mebibytes >= kPictureMemoryLimitMiB)
      return {{},
              QStringLiteral("the picture is too large (%1 x %2 pixels take %3 MiB; a "
                             "picture must stay under %4 MiB)")
                  .arg(size.width())
                  .arg(size.height())
                  .arg(std::ceil(mebibytes))
                  .arg(kPictureMemoryLimitMiB)};
  }
  QImage image = reader.read();
  if (image.isNull()) return {{}, reader.errorString()};
  return {std::move(image), {}};
}

} // namespace spot
