// Gatan DigitalMicrograph DM3 and DM4 files: a header, then a tree of tag groups and typed data
// tags. The header and the tag structure are big-endian; the data follow the header's byte-order
// flag. DM4 widens counts and lengths to 64 bits and gives every tag its size.
#include <algorithm>
#include <cmath> // for isfinite
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "picture/byte_reader.hpp"
#include "picture/microscope_picture.hpp"
#include "picture/sample_copy.hpp"

namespace spot {
namespace {

// Real files nest about eight groups deep; a hostile one could nest until the stack runs out.
constexpr int kMaxGroupDepth = 64;
// Real files hold a few thousand tags; this bounds the memory a hostile tree can take.
constexpr std::size_t kMaxTagCount = 1'000'000;
// Describing one data tag's type takes a few numbers; a struct of many fields a few dozen.
constexpr std::uint64_t kMaxTypeInfoCount = 4096;

enum TagKind : std::uint8_t { kGroupTag = 20, kDataTag = 21 };

// The encoded types of data tags.
enum DmType : std::uint64_t {
  kInt16 = 2,
  kInt32 = 3,
  kUInt16 = 4,
  kUInt32 = 5,
  kFloat32 = 6,
  kFloat64 = 7,
  kBool = 8,
  kChar = 9,
  kOctet = 10,
  kInt64 = 11,
  kUInt64 = 12,
  kStruct = 15,
  kString = 18,
  kArray = 20,
};

std::uint64_t SimpleTypeBytes(std::uint64_t type) {
  switch (type) {
  case kBool:
  case kChar:
  case kOctet: return 1;
  case kInt16:
  case kUInt16: return 2;
  case kInt32:
  case kUInt32:
  case kFloat32: return 4;
  case kFloat64:
  case kInt64:
  case kUInt64: return 8;
  default: return 0;
  }
}

struct DmTag {
  std::string label;
  bool group = false;
  std::vector<DmTag> children;
  // Data tags: the type description and where the data lie.
  std::vector<std::uint64_t> info;
  std::size_t dataOffset = 0;
  std::uint64_t dataBytes = 0;

  const DmTag* child(std::string_view name) const {
    for (const DmTag& c : children)
      if (c.label == name) return &c;
    return nullptr;
  }
  const DmTag* path(std::initializer_list<std::string_view> names) const {
    const DmTag* tag = this;
    for (std::string_view name : names) {
      if (!tag) return nullptr;
      tag = tag->child(name);
    }
    return tag;
  }
};

std::string Quoted(std::string_view label) {
  std::string out = "\"";
  for (unsigned char c : label.substr(0, 40))
    out.push_back(c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?');
  if (label.size() > 40) out += "...";
  return out + "\"";
}

class DmParser {
public:
  DmParser(std::span<const std::uint8_t> bytes, bool dm4) : bytes_(bytes), dm4_(dm4) {}

  // Reads the root group that starts at `at`; false with error() set when the tree is broken.
  bool parseRoot(std::size_t at, DmTag& root) {
    position_ = at;
    root.group = true;
    return parseGroupBody(root, 0);
  }
  const std::string& error() const { return error_; }

private:
  bool fail(std::string why) {
    if (error_.empty()) error_ = std::move(why);
    return false;
  }
  bool truncated(std::string_view where) {
    return fail("the file ends inside " + std::string(where) + " (at byte " +
                std::to_string(position_) + " of " + std::to_string(bytes_.size()) + ")");
  }
  std::size_t remaining() const { return bytes_.size() - position_; }

  template <class T> bool next(T& value) {
    if (!ReadUnsigned(bytes_, position_, ByteOrder::Big, value)) return false;
    position_ += sizeof(T);
    return true;
  }
  // A count or length: 32 bits in DM3, 64 in DM4.
  bool nextCount(std::uint64_t& value) {
    if (dm4_) return next(value);
    std::uint32_t narrow = 0;
    if (!next(narrow)) return false;
    value = narrow;
    return true;
  }

  bool parseGroupBody(DmTag& group, int depth) {
    const std::string where =
        group.label.empty() ? std::string("a tag group") : "the tag group " + Quoted(group.label);
    std::uint8_t sorted = 0, open = 0;
    std::uint64_t count = 0;
    if (!next(sorted) || !next(open) || !nextCount(count)) return truncated(where);
    // Every tag takes at least 4 bytes (kind, label length, one byte of content).
    if (count > remaining() / 4)
      return fail(where + " claims " + std::to_string(count) + " tags, more than the " +
                  std::to_string(remaining()) + " bytes after it can hold");
    group.children.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, 64)));
    for (std::uint64_t i = 0; i < count; ++i) {
      if (++tagCount_ > kMaxTagCount)
        return fail("the tag tree holds more than " + std::to_string(kMaxTagCount) + " tags");
      DmTag& tag = group.children.emplace_back();
      if (!parseTag(tag, depth, where)) return false;
    }
    return true;
  }

  bool parseTag(DmTag& tag, int depth, const std::string& parent) {
    std::uint8_t kind = 0;
    std::uint16_t labelLength = 0;
    if (!next(kind) || !next(labelLength)) return truncated("a tag of " + parent);
    if (labelLength > remaining()) return truncated("a tag label in " + parent);
    tag.label.assign(reinterpret_cast<const char*>(bytes_.data() + position_), labelLength);
    position_ += labelLength;
    const std::string where =
        tag.label.empty() ? "an unnamed tag of " + parent : "the tag " + Quoted(tag.label);
    // DM4 only: the bytes of the tag after this field. Only used to step over a type this
    // reader does not know; everything else is measured from the type itself.
    std::uint64_t tagBytes = 0;
    if (dm4_ && !next(tagBytes)) return truncated(where);
    if (kind == kGroupTag) {
      if (depth + 1 > kMaxGroupDepth)
        return fail("the tag groups nest more than " + std::to_string(kMaxGroupDepth) +
                    " deep (at " + where + ")");
      tag.group = true;
      return parseGroupBody(tag, depth + 1);
    }
    if (kind != kDataTag)
      return fail(where + " has the unknown kind " + std::to_string(kind) +
                  " (neither group 20 nor data 21)");
    return parseData(tag, where, tagBytes);
  }

  bool parseData(DmTag& tag, const std::string& where, std::uint64_t tagBytes) {
    const std::size_t start = position_;
    char mark[4] = {};
    if (remaining() < 4) return truncated(where);
    std::memcpy(mark, bytes_.data() + position_, 4);
    position_ += 4;
    if (std::memcmp(mark, "%%%%", 4) != 0)
      return fail(where + " lacks the \"%%%%\" mark of a data tag (at byte " +
                  std::to_string(start) + ")");
    std::uint64_t infoCount = 0;
    if (!nextCount(infoCount)) return truncated(where);
    const std::uint64_t infoWidth = dm4_ ? 8 : 4;
    if (infoCount == 0 || infoCount > kMaxTypeInfoCount)
      return fail(where + " describes its type with " + std::to_string(infoCount) +
                  " numbers (1 to " + std::to_string(kMaxTypeInfoCount) + " expected)");
    if (infoCount > remaining() / infoWidth) return truncated(where);
    tag.info.resize(static_cast<std::size_t>(infoCount));
    for (std::uint64_t& value : tag.info)
      nextCount(value);

    const std::optional<std::uint64_t> size = dataSize(tag.info);
    if (!size) {
      // DM4 says how long the tag is, so a type this reader does not know can be stepped over.
      const std::uint64_t used = position_ - start;
      if (dm4_ && tagBytes >= used && tagBytes <= bytes_.size() - start) {
        position_ = start + static_cast<std::size_t>(tagBytes);
        tag.info.clear();
        return true;
      }
      return fail(where + " has a data type this reader does not know (" +
                  std::to_string(tag.info[0]) + ")");
    }
    if (*size > remaining())
      return fail(where + " holds " + std::to_string(*size) + " bytes of data, past the end of " +
                  "the file (" + std::to_string(remaining()) + " bytes left)");
    tag.dataOffset = position_;
    tag.dataBytes = *size;
    position_ += static_cast<std::size_t>(*size);
    return true;
  }

  // Bytes of a struct described at info[at]: [name length, field count, (name length, type)...].
  // `at` moves past the description.
  static std::optional<std::uint64_t> structBytes(const std::vector<std::uint64_t>& info,
                                                  std::size_t& at) {
    if (info.size() - at < 2) return std::nullopt;
    const std::uint64_t fields = info[at + 1];
    at += 2;
    if (fields > (info.size() - at) / 2) return std::nullopt;
    std::uint64_t total = 0;
    for (std::uint64_t f = 0; f < fields; ++f, at += 2) {
      const std::uint64_t bytes = SimpleTypeBytes(info[at + 1]);
      if (bytes == 0) return std::nullopt;
      total += bytes; // at most 4096 fields of 8 bytes: no overflow
    }
    return total;
  }

  // The size of the data a type description announces; empty when the type is unknown or the
  // size overflows.
  static std::optional<std::uint64_t> dataSize(const std::vector<std::uint64_t>& info) {
    const std::uint64_t type = info[0];
    if (const std::uint64_t bytes = SimpleTypeBytes(type)) return bytes;
    if (type == kString) {
      if (info.size() < 2) return std::nullopt;
      return info[1];
    }
    if (type == kStruct) {
      std::size_t at = 1;
      return structBytes(info, at);
    }
    if (type == kArray) {
      if (info.size() < 3) return std::nullopt;
      std::uint64_t element = 0;
      std::size_t at = 2;
      if (info[1] == kStruct) {
        const std::optional<std::uint64_t> bytes = structBytes(info, at);
        if (!bytes) return std::nullopt;
        element = *bytes;
      } else {
        element = SimpleTypeBytes(info[1]);
      }
      if (element == 0 || at >= info.size()) return std::nullopt;
      const std::uint64_t count = info[at];
      if (count > std::numeric_limits<std::uint64_t>::max() / element) return std::nullopt;
      return count * element;
    }
    return std::nullopt;
  }

  std::span<const std::uint8_t> bytes_;
  bool dm4_;
  std::size_t position_ = 0;
  std::size_t tagCount_ = 0;
  std::string error_;
};

// READING VALUES

class DmValues {
public:
  DmValues(std::span<const std::uint8_t> bytes, ByteOrder order) : bytes_(bytes), order_(order) {}

  /// A simple numeric data tag as a double.
  std::optional<double> number(const DmTag* tag) const {
    if (!tag || tag->info.size() != 1) return std::nullopt;
    const std::uint8_t* p = bytes_.data() + tag->dataOffset;
    switch (tag->info[0]) {
    case kInt16: return SampleAt<std::int16_t>(p, 0, order_);
    case kInt32: return SampleAt<std::int32_t>(p, 0, order_);
    case kUInt16: return SampleAt<std::uint16_t>(p, 0, order_);
    case kUInt32: return SampleAt<std::uint32_t>(p, 0, order_);
    case kFloat32: return FloatAsWritten(SampleAt<float>(p, 0, order_));
    case kFloat64: return SampleAt<double>(p, 0, order_);
    case kBool:
    case kOctet: return p[0];
    case kChar: return static_cast<std::int8_t>(p[0]);
    case kInt64: return static_cast<double>(SampleAt<std::int64_t>(p, 0, order_));
    case kUInt64: return static_cast<double>(SampleAt<std::uint64_t>(p, 0, order_));
    default: return std::nullopt;
    }
  }

  /// An array of 16-bit characters (UTF-16) or of bytes as UTF-8 text.
  std::optional<std::string> text(const DmTag* tag) const {
    if (!tag || tag->info.size() != 3 || tag->info[0] != kArray) return std::nullopt;
    const std::uint8_t* p = bytes_.data() + tag->dataOffset;
    const std::uint64_t count = tag->info[2];
    std::string out;
    if (tag->info[1] == kUInt16 || tag->info[1] == kInt16) {
      for (std::uint64_t i = 0; i < count; ++i) {
        char32_t code = SampleAt<std::uint16_t>(p, i, order_);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < count) {
          const char32_t low = SampleAt<std::uint16_t>(p, i + 1, order_);
          if (low >= 0xDC00 && low < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            ++i;
          }
        }
        if (code >= 0xD800 && code < 0xE000) code = 0xFFFD; // a lone surrogate
        appendUtf8(out, code);
      }
      return out;
    }
    if (tag->info[1] == kOctet || tag->info[1] == kChar) {
      for (std::uint64_t i = 0; i < count; ++i)
        appendUtf8(out, p[i]); // DM's byte strings are Latin-1
      return out;
    }
    return std::nullopt;
  }

private:
  static void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }

  std::span<const std::uint8_t> bytes_;
  ByteOrder order_;
};

// The image's DataType numbers and the samples they mean.
struct DmDataType {
  std::optional<SampleType> sample;
  const char* refusal = nullptr; // why the type is not read
};

DmDataType DataTypeOf(double code) {
  switch (static_cast<long long>(code)) {
  case 1: return {SampleType::Int16};
  case 2: return {SampleType::Float32};
  case 6: return {SampleType::UInt8};
  case 7: return {SampleType::Int32};
  case 9: return {SampleType::Int8};
  case 10: return {SampleType::UInt16};
  case 11: return {SampleType::UInt32};
  case 12: return {SampleType::Float64};
  case 14: return {SampleType::UInt8}; // binary: one byte of 0 or 1 a pixel
  case 3:
  case 5:
  case 13: return {std::nullopt, "complex samples"};
  case 8:
  case 23: return {std::nullopt, "RGB colour samples"};
  default: return {std::nullopt, nullptr};
  }
}

std::optional<double> PositiveOrNothing(std::optional<double> value) {
  if (value && std::isfinite(*value) && *value > 0) return value;
  return std::nullopt;
}

// The microscope's settings kept with the image, under "ImageTags.Microscope Info".
void ReadMicroscopeInfo(const DmTag& image, const DmValues& values, MicroscopePicture& picture) {
  const DmTag* info = image.path({"ImageTags", "Microscope Info"});
  if (!info) return;
  // The accelerating voltage in volts (200000 for 200 kV); no microscope runs below 1 kV, so a
  // smaller number is taken as kilovolts.
  if (const auto volts = PositiveOrNothing(values.number(info->child("Voltage"))))
    picture.beamEnergyKeV = *volts >= 1000.0 ? *volts / 1000.0 : *volts;
  for (std::string_view name : {"Camera Length", "STEM Camera Length", "Camera length"})
    if (const auto length = PositiveOrNothing(values.number(info->child(name)))) {
      picture.cameraLength = length;
      break;
    }
}

std::optional<PictureCalibration> ReadCalibration(const DmTag& imageData, const DmValues& values) {
  const DmTag* dimensions = imageData.path({"Calibrations", "Dimension"});
  if (!dimensions || dimensions->children.empty()) return std::nullopt;
  const DmTag& x = dimensions->children[0];
  const std::optional<double> scale = values.number(x.child("Scale"));
  const std::optional<std::string> units = values.text(x.child("Units"));
  // An uncalibrated image has scale 1 and no units.
  if (!scale || !std::isfinite(*scale) || *scale == 0.0 || !units || units->empty())
    return std::nullopt;
  PictureCalibration calibration;
  calibration.scale = *scale;
  calibration.units = *units;
  const auto origin = [&](const DmTag& dimension) {
    const std::optional<double> value = values.number(dimension.child("Origin"));
    return value && std::isfinite(*value) ? *value : 0.0;
  };
  calibration.originX = origin(x);
  if (dimensions->children.size() > 1) calibration.originY = origin(dimensions->children[1]);
  return calibration;
}

} // namespace

MicroscopePictureRead ReadDmPicture(std::span<const std::uint8_t> bytes) {
  using Read = MicroscopePictureRead;
  std::uint32_t version = 0;
  if (!ReadUnsigned(bytes, 0, ByteOrder::Big, version) || (version != 3 && version != 4))
    return Read::refused("it is not a DM3 or DM4 file (no version 3 or 4 at its start)");
  const bool dm4 = version == 4;
  const std::size_t flagAt = dm4 ? 12 : 8;
  std::uint32_t flag = 0;
  if (!ReadUnsigned(bytes, flagAt, ByteOrder::Big, flag))
    return Read::refused("the file ends inside its DM" + std::to_string(version) + " header");
  if (flag > 1)
    return Read::refused("the byte-order flag of the header is " + std::to_string(flag) +
                         " (0 for big-endian or 1 for little-endian expected)");
  const ByteOrder order = flag == 1 ? ByteOrder::Little : ByteOrder::Big;

  DmTag root;
  DmParser parser(bytes, dm4);
  if (!parser.parseRoot(flagAt + 4, root)) return Read::refused(parser.error());

  const DmTag* list = root.child("ImageList");
  if (!list || list->children.empty())
    return Read::refused("the file holds no image (no \"ImageList\" group)");
  // A thumbnail comes first when the file has one; the image itself is the last entry.
  const DmTag* image = nullptr;
  for (const DmTag& entry : list->children)
    if (entry.child("ImageData")) image = &entry;
  if (!image) return Read::refused("no entry of \"ImageList\" holds \"ImageData\"");
  const DmTag& imageData = *image->child("ImageData");

  const DmValues values(bytes, order);
  const std::optional<double> typeCode = values.number(imageData.child("DataType"));
  if (!typeCode) return Read::refused("the image has no \"DataType\"");
  const DmDataType type = DataTypeOf(*typeCode);
  if (!type.sample) {
    const std::string number = std::to_string(static_cast<long long>(*typeCode));
    return Read::refused(type.refusal
                             ? std::string("the image holds ") + type.refusal + " (data type " +
                                   number + "), which are not read: save it as a grey picture"
                             : "the image's data type " + number + " is not known");
  }

  const DmTag* dimensions = imageData.child("Dimensions");
  if (!dimensions || dimensions->children.size() < 2)
    return Read::refused("the image has fewer than two \"Dimensions\"");
  std::uint64_t extent[2] = {};
  for (int i = 0; i < 2; ++i) {
    const std::optional<double> n = values.number(&dimensions->children[i]);
    if (!n || !(*n >= 1.0) || *n > double(std::numeric_limits<int>::max()))
      return Read::refused("the image's " + std::string(i == 0 ? "width" : "height") +
                           " is not a whole number from 1 to 2147483647");
    extent[i] = static_cast<std::uint64_t>(*n);
  }
  for (std::size_t i = 2; i < dimensions->children.size(); ++i) {
    const std::optional<double> n = values.number(&dimensions->children[i]);
    if (!n || !(*n >= 1.0))
      return Read::refused("dimension " + std::to_string(i + 1) +
                           " of the image is not at least 1");
  }

  const DmTag* data = imageData.child("Data");
  if (!data || data->info.empty()) return Read::refused("the image has no \"Data\"");
  const SamplePlan plan = PlanSamples(extent[0], extent[1], *type.sample);
  if (!plan.error.empty()) return Read::refused(plan.error);
  // A stack of frames holds more; the first frame is the picture.
  if (data->dataBytes < plan.bytes)
    return Read::refused("the image's \"Data\" holds " + std::to_string(data->dataBytes) +
                         " bytes, fewer than its " + std::to_string(extent[0]) + " x " +
                         std::to_string(extent[1]) + " " +
                         std::string(SampleTypeName(*type.sample)) + " samples need (" +
                         std::to_string(plan.bytes) + ")");

  MicroscopePicture picture;
  picture.format = dm4 ? PictureFormat::Dm4 : PictureFormat::Dm3;
  picture.pixels = CopySamples(bytes.subspan(data->dataOffset, plan.bytes), plan, order, false);
  picture.calibration = ReadCalibration(imageData, values);
  ReadMicroscopeInfo(*image, values, picture);
  return {std::move(picture), {}};
}

} // namespace spot
