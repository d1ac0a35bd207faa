// Grey TIFF of 16/32-bit integer or 32/64-bit float samples, uncompressed, in strips: what
// cameras write and the common picture readers cannot show at full depth. Colour, palette,
// 8-bit and compressed 16-bit files are left to those readers.
#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "picture/byte_reader.hpp"
#include "picture/microscope_picture.hpp"
#include "picture/sample_copy.hpp"

namespace spot {
namespace {

enum TiffTag : std::uint16_t {
  kImageWidth = 256,
  kImageLength = 257,
  kBitsPerSample = 258,
  kCompression = 259,
  kPhotometric = 262,
  kStripOffsets = 273,
  kSamplesPerPixel = 277,
  kRowsPerStrip = 278,
  kStripByteCounts = 279,
  kPlanarConfiguration = 284,
  kTileWidth = 322,
  kSampleFormat = 339,
};

struct Entry {
  std::uint16_t tag = 0;
  std::uint16_t type = 0;
  std::uint32_t count = 0;
  std::size_t valueAt = 0; // where the values lie: inside the entry, or at its offset
};

std::uint64_t TypeBytes(std::uint16_t type) {
  switch (type) {
  case 1:            // BYTE
  case 2:            // ASCII
  case 6:            // SBYTE
  case 7: return 1;  // UNDEFINED
  case 3:            // SHORT
  case 8: return 2;  // SSHORT
  case 4:            // LONG
  case 9:            // SLONG
  case 11: return 4; // FLOAT
  case 5:            // RATIONAL
  case 10:           // SRATIONAL
  case 12: return 8; // DOUBLE
  default: return 0;
  }
}

class TiffDirectory {
public:
  TiffDirectory(std::span<const std::uint8_t> bytes, ByteOrder order)
      : bytes_(bytes), order_(order) {}

  // Reads the directory at `at`; an error when it or a value it points to lies past the end.
  std::string read(std::uint32_t at) {
    std::uint16_t count = 0;
    if (!ReadUnsigned(bytes_, at, order_, count))
      return "its first directory (at byte " + std::to_string(at) + ") lies past the end";
    if ((bytes_.size() - at - 2) / 12 < count)
      return "its first directory of " + std::to_string(count) + " entries runs past the end";
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t p = at + 2 + 12 * i;
      Entry e;
      ReadUnsigned(bytes_, p, order_, e.tag);
      ReadUnsigned(bytes_, p + 2, order_, e.type);
      ReadUnsigned(bytes_, p + 4, order_, e.count);
      const std::uint64_t size = TypeBytes(e.type) * e.count;
      if (size <= 4) {
        e.valueAt = p + 8;
      } else {
        std::uint32_t offset = 0;
        ReadUnsigned(bytes_, p + 8, order_, offset);
        if (offset > bytes_.size() || bytes_.size() - offset < size) {
          if (e.tag == kStripOffsets || e.tag == kStripByteCounts || e.tag == kBitsPerSample ||
              e.tag == kSampleFormat)
            return "the values of its tag " + std::to_string(e.tag) + " lie past the end";
          continue; // a broken tag that does not matter for the samples
        }
        e.valueAt = offset;
      }
      entries_.push_back(e);
    }
    return {};
  }

  const Entry* find(std::uint16_t tag) const {
    for (const Entry& e : entries_)
      if (e.tag == tag) return &e;
    return nullptr;
  }

  /// Value `index` of an unsigned BYTE, SHORT or LONG tag.
  std::optional<std::uint32_t> value(const Entry& e, std::size_t index) const {
    if (index >= e.count) return std::nullopt;
    switch (e.type) {
    case 1: return bytes_[e.valueAt + index];
    case 3: {
      std::uint16_t v = 0;
      ReadUnsigned(bytes_, e.valueAt + 2 * index, order_, v);
      return v;
    }
    case 4: {
      std::uint32_t v = 0;
      ReadUnsigned(bytes_, e.valueAt + 4 * index, order_, v);
      return v;
    }
    default: return std::nullopt;
    }
  }
  std::optional<std::uint32_t> value(std::uint16_t tag, std::size_t index = 0) const {
    const Entry* e = find(tag);
    return e ? value(*e, index) : std::nullopt;
  }

private:
  std::span<const std::uint8_t> bytes_;
  ByteOrder order_;
  std::vector<Entry> entries_;
};

std::optional<SampleType> SampleTypeOf(std::uint32_t format, std::uint32_t bits) {
  if (format == 1 && bits == 16) return SampleType::UInt16;
  if (format == 1 && bits == 32) return SampleType::UInt32;
  if (format == 2 && bits == 16) return SampleType::Int16;
  if (format == 2 && bits == 32) return SampleType::Int32;
  if (format == 3 && bits == 32) return SampleType::Float32;
  if (format == 3 && bits == 64) return SampleType::Float64;
  return std::nullopt;
}

} // namespace

MicroscopePictureRead ReadTiffPicture(std::span<const std::uint8_t> bytes) {
  using Read = MicroscopePictureRead;
  if (bytes.size() < 8) return Read::refused("the file ends inside its TIFF header");
  ByteOrder order;
  if (bytes[0] == 'I' && bytes[1] == 'I')
    order = ByteOrder::Little;
  else if (bytes[0] == 'M' && bytes[1] == 'M')
    order = ByteOrder::Big;
  else
    return Read::refused("it is not a TIFF file (no \"II\" or \"MM\" at its start)");
  std::uint16_t magic = 0;
  ReadUnsigned(bytes, 2, order, magic);
  if (magic == 43) return Read::refused("BigTIFF files are not read: save it as a plain TIFF");
  if (magic != 42) return Read::refused("it is not a TIFF file (its version is not 42)");
  std::uint32_t first = 0;
  ReadUnsigned(bytes, 4, order, first);

  TiffDirectory directory(bytes, order);
  if (std::string error = directory.read(first); !error.empty()) return Read::refused(error);

  const std::uint32_t samplesPerPixel = directory.value(kSamplesPerPixel).value_or(1);
  const std::uint32_t photometric = directory.value(kPhotometric).value_or(1);
  const std::uint32_t bits = directory.value(kBitsPerSample).value_or(1);
  const std::uint32_t format = directory.value(kSampleFormat).value_or(1);
  const std::uint32_t compression = directory.value(kCompression).value_or(1);
  // Colour, palette, and up to 8 bits: the common readers show these fully.
  if (samplesPerPixel != 1 || photometric > 1 || (format != 3 && bits <= 8)) return {};
  // Compressed 16-bit grey the common readers also decode at full depth.
  if (format == 1 && bits == 16 && (compression != 1 || directory.find(kTileWidth))) return {};

  const std::optional<SampleType> type = SampleTypeOf(format, bits);
  const std::string what = std::to_string(bits) + "-bit " +
                           (format == 3   ? "float"
                            : format == 2 ? "signed"
                                          : "unsigned") +
                           " grey TIFF";
  if (!type)
    return Read::refused(what + " is not read (16/32-bit integer and 32/64-bit float are)");
  if (compression != 1)
    return Read::refused("compressed " + what + " is not read (compression " +
                         std::to_string(compression) + "): save it uncompressed");
  if (directory.find(kTileWidth))
    return Read::refused("tiled " + what + " is not read: save it in strips");
  if (directory.value(kPlanarConfiguration).value_or(1) != 1)
    return Read::refused("its planar configuration is not 1");

  const std::optional<std::uint32_t> width = directory.value(kImageWidth);
  const std::optional<std::uint32_t> height = directory.value(kImageLength);
  if (!width || !height) return Read::refused("it gives no width or height");
  const SamplePlan plan = PlanSamples(*width, *height, *type);
  if (!plan.error.empty()) return Read::refused(plan.error);
  // Strips of an uncompressed picture do not overlap.
  if (plan.bytes > bytes.size())
    return Read::refused("its " + std::to_string(*width) + " x " + std::to_string(*height) +
                         " samples need " + std::to_string(plan.bytes) +
                         " bytes, more than the file's " + std::to_string(bytes.size()));

  const Entry* offsets = directory.find(kStripOffsets);
  if (!offsets) return Read::refused("it has no strip offsets");
  const Entry* counts = directory.find(kStripByteCounts);
  const std::uint64_t rowsPerStrip =
      std::clamp<std::uint64_t>(directory.value(kRowsPerStrip).value_or(*height), 1, *height);
  const std::uint64_t strips = (*height + rowsPerStrip - 1) / rowsPerStrip;
  if (offsets->count < strips)
    return Read::refused("it lists " + std::to_string(offsets->count) + " strips where " +
                         std::to_string(strips) + " are needed");
  const std::uint64_t rowBytes = plan.bytes / plan.height;

  std::vector<std::uint8_t> samples(static_cast<std::size_t>(plan.bytes));
  for (std::uint64_t strip = 0; strip < strips; ++strip) {
    const std::uint64_t rows =
        std::min<std::uint64_t>(rowsPerStrip, *height - strip * rowsPerStrip);
    const std::uint64_t need = rows * rowBytes;
    const std::optional<std::uint32_t> at = directory.value(*offsets, strip);
    if (!at) return Read::refused("its strip offsets are not whole numbers");
    if (counts) {
      const std::optional<std::uint32_t> count = directory.value(*counts, strip);
      if (count && *count < need)
        return Read::refused("strip " + std::to_string(strip) + " holds " + std::to_string(*count) +
                             " bytes where " + std::to_string(need) + " are needed");
    }
    if (*at > bytes.size() || bytes.size() - *at < need)
      return Read::refused("strip " + std::to_string(strip) + " (" + std::to_string(need) +
                           " bytes at byte " + std::to_string(*at) + ") runs past the end");
    std::copy_n(bytes.data() + *at, need,
                samples.data() + static_cast<std::size_t>(strip * rowsPerStrip * rowBytes));
  }

  MicroscopePicture picture;
  picture.format = PictureFormat::Tiff;
  picture.pixels = CopySamples(samples, plan, order, false);
  // White-is-zero: a spot is a low sample. Turn the scale over so that spots are bright as in
  // every other picture: exactly and without overflow, the type's highest value becomes its lowest.
  if (photometric == 0) {
    std::visit(
        [](auto& values) {
          for (auto& v : values) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_floating_point_v<T>)
              v = -v;
            else
              v = static_cast<T>(~v);
          }
        },
        picture.pixels.samples);
  }
  return {std::move(picture), {}};
}

} // namespace spot
