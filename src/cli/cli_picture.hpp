// Reading a picture for the command-line tool: microscope formats (DM3/DM4, MRC, deep grey
// TIFF) through the picture library, the common formats through QtGui's image readers, so the
// tool accepts the files the window opens. The one place here that uses Qt.
#pragma once

#include <optional>
#include <string>

#include "picture/microscope_picture.hpp"

namespace spot::cli {

struct CliPicture {
  std::string name;   ///< the file's name without its folder
  std::string format; ///< "dm3", "dm4", "mrc", "tiff", or the common reader's "png", "jpeg" ...
  RawPicture pixels;  ///< common formats: their grey (colour as luminance), 8 or 16 bits
  std::optional<PictureCalibration> calibration;
  std::optional<double> beamEnergyKeV;
  std::optional<double> cameraLength;
};

struct CliPictureRead {
  std::optional<CliPicture> picture;
  std::string error; ///< why the file cannot be read, without its name
};

CliPictureRead ReadCliPicture(const std::string& path);

} // namespace spot::cli
