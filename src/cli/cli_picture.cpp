// Reading pictures for spotindex-cli.
#include "cli/cli_picture.hpp"

#include <QImage>
#include <QImageReader>
#include <QString>
#include <cstring>
#include <filesystem>

namespace spot::cli {
namespace {

// The common readers' pictures as grey: 16-bit grey stays 16-bit, the rest becomes 8-bit
// luminance.
RawPicture GreyOf(const QImage& image) {
  const bool deep = image.format() == QImage::Format_Grayscale16 ||
                    image.format() == QImage::Format_RGBX64 ||
                    image.format() == QImage::Format_RGBA64 ||
                    image.format() == QImage::Format_RGBA64_Premultiplied;
  const QImage grey =
      image.convertToFormat(deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8);
  RawPicture pixels;
  pixels.width = grey.width();
  pixels.height = grey.height();
  const auto copy = [&](auto sample) {
    using T = decltype(sample);
    std::vector<T> samples(static_cast<std::size_t>(pixels.width) *
                           static_cast<std::size_t>(pixels.height));
    for (int y = 0; y < pixels.height; ++y)
      std::memcpy(samples.data() + static_cast<std::size_t>(y) * pixels.width,
                  grey.constScanLine(y), sizeof(T) * static_cast<std::size_t>(pixels.width));
    pixels.samples = std::move(samples);
  };
  if (deep)
    copy(std::uint16_t{});
  else
    copy(std::uint8_t{});
  return pixels;
}

} // namespace

CliPictureRead ReadCliPicture(const std::string& path) {
  MicroscopePictureRead read = ReadMicroscopePictureFile(path);
  const std::string name = std::filesystem::path(path).filename().string();
  if (read.picture) {
    MicroscopePicture& p = *read.picture;
    return {CliPicture{name, std::string(PictureFormatName(p.format)), std::move(p.pixels),
                       p.calibration, p.beamEnergyKeV, p.cameraLength},
            {}};
  }
  if (read.handled()) return {std::nullopt, read.error};

  QImageReader reader(QString::fromLocal8Bit(path.c_str()));
  reader.setAllocationLimit(static_cast<int>(kMaxPictureSampleBytes >> 20));
  // Asked before reading: the reader forgets its format once the device is done.
  const std::string format = reader.format().toLower().toStdString();
  const QImage image = reader.read();
  if (image.isNull()) {
    if (reader.error() == QImageReader::UnsupportedFormatError)
      return {std::nullopt, "it is not a picture this program reads (DM3, DM4, MRC, TIFF, PNG, "
                            "JPEG, BMP, GIF)"};
    return {std::nullopt, reader.errorString().toStdString()};
  }
  return {CliPicture{name, format, GreyOf(image), {}, {}, {}}, {}};
}

} // namespace spot::cli
