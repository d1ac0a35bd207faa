// Reading a picture file for the picture view: only regular files, and camera frames up to
// 1 GiB of decoded pixels; anything else comes back as the reason it cannot be opened.
// Microscope formats (DM3/DM4, MRC, deep grey TIFF) keep their grey values at full depth.
#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <optional>

#include "picture/display_mapping.hpp"
#include "picture/grey_image.hpp"
#include "picture/microscope_picture.hpp"

namespace spot {

/// Decoded pixels a picture may take, in MiB: an 8192 x 8192 16-bit camera frame needs 128.
inline constexpr int kPictureMemoryLimitMiB = 1024;

struct PictureFileRead {
  QImage image;  ///< null when the file was refused or could not be decoded
  QString error; ///< why, in words that follow "cannot be opened: "
  /// The grey values at full depth of a picture deeper than 8 bits (microscope formats, 16-bit
  /// grey), which `image` shows through the default display mapping; null for other pictures.
  std::shared_ptr<const GreyImage> depth;
  /// The file's own calibration (DM, MRC), when it has one.
  std::optional<PictureCalibration> calibration;
};

/// Reads a picture. A FIFO, device or folder is refused before it is opened (reading a FIFO
/// would wait for a writer forever), and so is a picture whose pixels, decoded or shown at 32
/// bits, would reach kPictureMemoryLimitMiB.
PictureFileRead ReadPictureFile(const QString& file);

/// Full-depth grey values shown through `mapping` as an 8-bit grey picture.
QImage DisplayImageOf(const GreyImage& depth, const DisplayMapping& mapping);

} // namespace spot
