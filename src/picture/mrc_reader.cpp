// MRC files (the 2014 layout and the older ones it extends): a 1024-byte header of 32-bit
// words, an optional extended header, then the samples of every section, x fastest. The first
// section is the picture. MRC puts the origin at the lower left, so the first stored row is
// the picture's bottom row.
#include <cmath> // for isfinite
#include <cstring>
#include <optional>
#include <string>

#include "picture/byte_reader.hpp"
#include "picture/microscope_picture.hpp"
#include "picture/sample_copy.hpp"

namespace spot {
namespace {

constexpr std::size_t kHeaderBytes = 1024;
// IMOD marks its files with this stamp; bit 0 of the flags after it says bytes are signed.
constexpr std::uint32_t kImodStamp = 1146047817;

struct MrcHeader {
  ByteOrder order = ByteOrder::Little;
  std::int32_t nx = 0, ny = 0, nz = 0, mode = 0, mx = 0, nsymbt = 0, version = 0;
  std::uint32_t imodStamp = 0, imodFlags = 0;
  float cellX = 0.0f; // Å
};

std::int32_t Word(std::span<const std::uint8_t> bytes, std::size_t index, ByteOrder order) {
  std::uint32_t value = 0;
  ReadUnsigned(bytes, index * 4, order, value);
  return static_cast<std::int32_t>(value);
}

MrcHeader HeaderIn(std::span<const std::uint8_t> bytes, ByteOrder order) {
  MrcHeader h;
  h.order = order;
  h.nx = Word(bytes, 0, order);
  h.ny = Word(bytes, 1, order);
  h.nz = Word(bytes, 2, order);
  h.mode = Word(bytes, 3, order);
  h.mx = Word(bytes, 7, order);
  h.cellX = std::bit_cast<float>(Word(bytes, 10, order));
  h.nsymbt = Word(bytes, 23, order);
  h.version = Word(bytes, 27, order);
  h.imodStamp = static_cast<std::uint32_t>(Word(bytes, 38, order));
  h.imodFlags = static_cast<std::uint32_t>(Word(bytes, 39, order));
  return h;
}

bool KnownMode(std::int32_t mode) {
  switch (mode) {
  case 0:
  case 1:
  case 2:
  case 3:
  case 4:
  case 6:
  case 12:
  case 16:
  case 101: return true;
  default: return false;
  }
}

bool Plausible(const MrcHeader& h) {
  return KnownMode(h.mode) && h.nx > 0 && h.ny > 0 && h.nz > 0 && h.nsymbt >= 0;
}

bool HasMapStamp(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 212 && std::memcmp(bytes.data() + 208, "MAP ", 4) == 0;
}

std::optional<SampleType> SampleOf(const MrcHeader& h) {
  switch (h.mode) {
  case 0: {
    // Signed since 2014; IMOD says so with a flag; other older writers stored unsigned bytes.
    const bool isSigned = h.version >= 20140 || (h.imodStamp == kImodStamp && (h.imodFlags & 1));
    return isSigned ? SampleType::Int8 : SampleType::UInt8;
  }
  case 1: return SampleType::Int16;
  case 2: return SampleType::Float32;
  case 6: return SampleType::UInt16;
  default: return std::nullopt;
  }
}

// The bytes from the file's start to the end of its first `sections` sections; none when the
// samples are not read.
std::optional<unsigned __int128> BytesThrough(const MrcHeader& h, std::int32_t sections) {
  const std::optional<SampleType> type = SampleOf(h);
  if (!type) return std::nullopt;
  return static_cast<unsigned __int128>(h.nx) * h.ny * sections * SampleBytes(*type) +
         kHeaderBytes + static_cast<std::uint64_t>(h.nsymbt);
}

// The byte order: from the machine stamp after "MAP " (0x44 little, 0x11 big), else the order in
// which the header makes sense, one whose first section fits in the file before one whose does
// not: a header of bytes (mode 0) written big-endian also makes sense read little-endian, with
// sides of millions of pixels.
std::optional<ByteOrder> OrderOf(std::span<const std::uint8_t> bytes) {
  if (HasMapStamp(bytes) && bytes.size() > 212) {
    if (bytes[212] == 0x44) return ByteOrder::Little;
    if (bytes[212] == 0x11) return ByteOrder::Big;
  }
  std::optional<ByteOrder> plausible;
  for (ByteOrder order : {ByteOrder::Little, ByteOrder::Big}) {
    const MrcHeader h = HeaderIn(bytes, order);
    if (!Plausible(h)) continue;
    const std::optional<unsigned __int128> through = BytesThrough(h, 1);
    if (through && *through <= bytes.size()) return order;
    if (!plausible) plausible = order;
  }
  return plausible;
}

std::string ModeRefusal(std::int32_t mode) {
  switch (mode) {
  case 3:
  case 4: return "it holds complex samples (mode " + std::to_string(mode) + "), which are not read";
  case 12: return "it holds 16-bit float samples (mode 12), which are not read";
  case 16: return "it holds RGB colour samples (mode 16), which are not read";
  case 101: return "it holds 4-bit samples (mode 101), which are not read";
  default: return "its mode " + std::to_string(mode) + " is not known (0, 1, 2 and 6 are read)";
  }
}

} // namespace

bool LooksLikeMrc(std::span<const std::uint8_t> bytes, std::uint64_t fileSize) {
  if (bytes.size() < kHeaderBytes) return false;
  if (HasMapStamp(bytes)) return true;
  // Older files carry no stamp: the header must announce exactly the file's length.
  for (ByteOrder order : {ByteOrder::Little, ByteOrder::Big}) {
    const MrcHeader h = HeaderIn(bytes, order);
    if (Plausible(h) && BytesThrough(h, h.nz) == fileSize) return true;
  }
  return false;
}

MicroscopePictureRead ReadMrcPicture(std::span<const std::uint8_t> bytes) {
  using Read = MicroscopePictureRead;
  if (bytes.size() < kHeaderBytes)
    return Read::refused("the file ends inside its 1024-byte MRC header (" +
                         std::to_string(bytes.size()) + " bytes)");
  const std::optional<ByteOrder> order = OrderOf(bytes);
  const MrcHeader h = HeaderIn(bytes, order.value_or(ByteOrder::Little));
  if (!KnownMode(h.mode)) return Read::refused(ModeRefusal(h.mode));
  if (h.nx < 1 || h.ny < 1 || h.nz < 1)
    return Read::refused("its size " + std::to_string(h.nx) + " x " + std::to_string(h.ny) + " x " +
                         std::to_string(h.nz) + " is not possible");
  if (h.nsymbt < 0)
    return Read::refused("its extended header length " + std::to_string(h.nsymbt) + " is negative");
  const std::optional<SampleType> type = SampleOf(h);
  if (!type) return Read::refused(ModeRefusal(h.mode));

  const SamplePlan plan =
      PlanSamples(static_cast<std::uint64_t>(h.nx), static_cast<std::uint64_t>(h.ny), *type);
  if (!plan.error.empty()) return Read::refused(plan.error);
  const std::uint64_t start = kHeaderBytes + static_cast<std::uint64_t>(h.nsymbt);
  if (start > bytes.size() || bytes.size() - start < plan.bytes)
    return Read::refused("the file ends before its first " + std::to_string(h.nx) + " x " +
                         std::to_string(h.ny) + " section (" + std::to_string(plan.bytes) +
                         " bytes from byte " + std::to_string(start) + ", the file has " +
                         std::to_string(bytes.size()) + ")");

  MicroscopePicture picture;
  picture.format = PictureFormat::Mrc;
  picture.pixels = CopySamples(bytes.subspan(static_cast<std::size_t>(start)), plan, h.order, true);
  // The cell's x edge over its samples gives the pixel size in Å.
  if (std::isfinite(h.cellX) && h.cellX > 0.0f && h.mx > 0) {
    PictureCalibration calibration;
    calibration.scale = FloatAsWritten(h.cellX) / h.mx / 10.0;
    calibration.units = "nm";
    picture.calibration = calibration;
  }
  return {std::move(picture), {}};
}

} // namespace spot
