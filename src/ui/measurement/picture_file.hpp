// Reading a picture file for the picture view: only regular files, and camera frames up to
// 1 GiB of decoded pixels; anything else comes back as the reason it cannot be opened.
#pragma once

#include <QImage>
#include <QString>

namespace spot {

/// Decoded pixels a picture may take, in MiB: an 8192 x 8192 16-bit camera frame needs 128.
inline constexpr int kPictureMemoryLimitMiB = 1024;

struct PictureFileRead {
  QImage image;  ///< null when the file was refused or could not be decoded
  QString error; ///< why, in words that follow "cannot be opened: "
};

/// Reads a picture. A FIFO, device or folder is refused before it is opened (reading a FIFO
/// would wait for a writer forever), and so is a picture whose pixels, decoded or shown at 32
/// bits, would reach kPictureMemoryLimitMiB.
PictureFileRead ReadPictureFile(const QString& file);

} // namespace spot
