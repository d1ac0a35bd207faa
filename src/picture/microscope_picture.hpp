#pragma once
// Pictures as microscope cameras save them (Gatan DM3/DM4, MRC, grey TIFF of 16/32-bit or float
// samples): the format told by the file's content, the raw samples and the file's calibration.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "picture/raw_picture.hpp"

namespace spot {

enum class PictureFormat { Dm3, Dm4, Mrc, Tiff };

/// "dm3", "dm4", "mrc", "tiff".
std::string_view PictureFormatName(PictureFormat format);

/// What the first bytes say the file is. BigTiff is recognised only to be refused by name;
/// Other is left to the common picture readers (PNG, JPEG, BMP, GIF).
enum class DetectedFormat { Dm3, Dm4, Mrc, Tiff, BigTiff, Other };
DetectedFormat DetectPictureFormat(std::span<const std::uint8_t> bytes);
/// The same for the first part of a file of `fileSize` bytes (at least its first 1024 bytes).
DetectedFormat DetectPictureFormat(std::span<const std::uint8_t> bytes, std::uint64_t fileSize);

/// One pixel's size along x as the file gives it: calibrated = (pixel - origin) x scale. The
/// units are the file's own text in UTF-8 ("1/nm", "nm", "µm" ...).
struct PictureCalibration {
  double scale = 0.0;
  std::string units;
  double originX = 0.0; ///< pixels
  double originY = 0.0; ///< pixels
};

/// True for units of reciprocal length in nanometres: "1/nm" or "nm^-1" (any spaces).
bool IsReciprocalNanometres(std::string_view units);

struct MicroscopePicture {
  PictureFormat format = PictureFormat::Dm3;
  RawPicture pixels;
  std::optional<PictureCalibration> calibration;
  std::optional<double> beamEnergyKeV;
  /// As the file gives it (DM: the microscope's indicated camera length, usually in mm).
  std::optional<double> cameraLength;
};

/// A reader's answer. Neither a picture nor an error: the file is not one of these formats (or a
/// TIFF this reader leaves to the common readers: colour, 8-bit, compressed integers), so
/// another reader may try.
struct MicroscopePictureRead {
  std::optional<MicroscopePicture> picture;
  std::string error; ///< what is wrong with the file, when it is refused

  bool handled() const { return picture.has_value() || !error.empty(); }
  static MicroscopePictureRead refused(std::string why) { return {std::nullopt, std::move(why)}; }
};

/// Pictures whose samples would take more than this many bytes are refused (1 GiB, as the window
/// allows: an 8192 x 8192 float frame takes 256 MiB).
inline constexpr std::uint64_t kMaxPictureSampleBytes = std::uint64_t{1} << 30;

/// Reads a picture held in memory, choosing the reader by the first bytes.
MicroscopePictureRead ReadMicroscopePicture(std::span<const std::uint8_t> bytes);

/// Reads a file. A folder, FIFO or device is refused before it is opened. Errors say what is
/// wrong without the file's name, which the caller puts in front.
MicroscopePictureRead ReadMicroscopePictureFile(const std::string& path);

// The readers, for one format each: an error when the bytes are not that format or are broken.
MicroscopePictureRead ReadDmPicture(std::span<const std::uint8_t> bytes);
MicroscopePictureRead ReadMrcPicture(std::span<const std::uint8_t> bytes);
/// Leaves to others (neither picture nor error) what it does not read and they might: colour,
/// palette, 1 to 8-bit and compressed integer TIFF; refuses compressed float and tiled TIFF.
MicroscopePictureRead ReadTiffPicture(std::span<const std::uint8_t> bytes);
/// An MRC header: "MAP " at byte 208, or (older files) a header in either byte order that
/// announces exactly `fileSize` bytes. `bytes` may be the file's first part only.
bool LooksLikeMrc(std::span<const std::uint8_t> bytes, std::uint64_t fileSize);

} // namespace spot
