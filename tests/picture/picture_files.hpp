// Small DM3/DM4, MRC and TIFF files written in memory for the reader tests and the fuzz seeds:
// a tag tree of our own making, MRC headers of several vintages, TIFF with strips.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace spot::test {

using Bytes = std::vector<std::uint8_t>;

/// Appends `value` in `bytes` bytes, big-endian or little-endian.
inline void Put(Bytes& out, std::uint64_t value, int bytes, bool bigEndian) {
  for (int i = 0; i < bytes; ++i) {
    const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

template <class T> std::uint64_t BitsOf(T value) {
  if constexpr (sizeof(T) == 1) return std::bit_cast<std::uint8_t>(value);
  if constexpr (sizeof(T) == 2) return std::bit_cast<std::uint16_t>(value);
  if constexpr (sizeof(T) == 4) return std::bit_cast<std::uint32_t>(value);
  if constexpr (sizeof(T) == 8) return std::bit_cast<std::uint64_t>(value);
}

// DM TAG TREES

/// A tag: a group of tags, or data of one type (elements of `elementBytes` each, written in the
/// file's byte order).
struct DmNode {
  std::string label;
  bool group = false;
  std::vector<DmNode> children;
  std::vector<std::uint64_t> info;
  std::vector<std::uint64_t> elements; // each element's bits
  int elementBytes = 0;
};

// DM's encoded types: 2 int16, 3 int32, 4 uint16, 5 uint32, 6 float32, 7 float64, 8 bool,
// 9 int8, 10 uint8, 11 int64, 12 uint64, 20 array.
template <class T> constexpr std::uint64_t DmTypeOf() {
  if constexpr (std::is_same_v<T, std::int16_t>) return 2;
  if constexpr (std::is_same_v<T, std::int32_t>) return 3;
  if constexpr (std::is_same_v<T, std::uint16_t>) return 4;
  if constexpr (std::is_same_v<T, std::uint32_t>) return 5;
  if constexpr (std::is_same_v<T, float>) return 6;
  if constexpr (std::is_same_v<T, double>) return 7;
  if constexpr (std::is_same_v<T, bool>) return 8;
  if constexpr (std::is_same_v<T, std::int8_t>) return 9;
  if constexpr (std::is_same_v<T, std::uint8_t>) return 10;
  if constexpr (std::is_same_v<T, std::int64_t>) return 11;
  if constexpr (std::is_same_v<T, std::uint64_t>) return 12;
}

inline DmNode DmGroup(std::string label, std::vector<DmNode> children) {
  DmNode node;
  node.label = std::move(label);
  node.group = true;
  node.children = std::move(children);
  return node;
}

template <class T> DmNode DmValue(std::string label, T value) {
  DmNode node;
  node.label = std::move(label);
  node.info = {DmTypeOf<T>()};
  node.elements = {BitsOf(value)};
  node.elementBytes = sizeof(T);
  return node;
}

template <class T> DmNode DmArray(std::string label, const std::vector<T>& values) {
  DmNode node;
  node.label = std::move(label);
  node.info = {20, DmTypeOf<T>(), values.size()};
  for (T v : values)
    node.elements.push_back(BitsOf(v));
  node.elementBytes = sizeof(T);
  return node;
}

/// UTF-16 text as DM keeps units: an array of uint16.
inline DmNode DmText(std::string label, const std::u16string& text) {
  return DmArray(std::move(label), std::vector<std::uint16_t>(text.begin(), text.end()));
}

struct DmWriter {
  int version = 3;        // 3 or 4
  bool bigEndian = false; // the data's byte order; the structure is always big-endian

  void putCount(Bytes& out, std::uint64_t n) const { Put(out, n, version == 4 ? 8 : 4, true); }

  void putGroupBody(Bytes& out, const DmNode& group) const {
    out.push_back(0); // sorted
    out.push_back(1); // open
    putCount(out, group.children.size());
    for (const DmNode& child : group.children)
      putTag(out, child);
  }

  void putTag(Bytes& out, const DmNode& node) const {
    out.push_back(node.group ? 20 : 21);
    Put(out, node.label.size(), 2, true);
    out.insert(out.end(), node.label.begin(), node.label.end());
    Bytes body;
    if (node.group) {
      putGroupBody(body, node);
    } else {
      body.insert(body.end(), {'%', '%', '%', '%'});
      putCount(body, node.info.size());
      for (std::uint64_t v : node.info)
        putCount(body, v);
      for (std::uint64_t e : node.elements)
        Put(body, e, node.elementBytes, bigEndian);
    }
    if (version == 4) Put(out, body.size(), 8, true); // DM4: the tag's size
    out.insert(out.end(), body.begin(), body.end());
  }

  Bytes write(const DmNode& root) const {
    Bytes tree;
    putGroupBody(tree, root);
    Bytes out;
    Put(out, static_cast<std::uint64_t>(version), 4, true);
    Put(out, tree.size(), version == 4 ? 8 : 4, true);
    Put(out, bigEndian ? 0 : 1, 4, true);
    out.insert(out.end(), tree.begin(), tree.end());
    out.insert(out.end(), 8, 0); // the end of the file
    return out;
  }
};

/// An ImageList entry: ImageData with its DataType, Dimensions and Data, and the calibration
/// and microscope settings when given.
template <class T>
DmNode DmImage(int dataType, std::vector<std::uint32_t> dimensions, const std::vector<T>& samples,
               std::optional<std::u16string> units = std::nullopt, float scale = 1.0f,
               float originX = 0.0f, float originY = 0.0f,
               std::optional<float> voltage = std::nullopt,
               std::optional<float> cameraLength = std::nullopt) {
  std::vector<DmNode> dims;
  for (std::uint32_t d : dimensions)
    dims.push_back(DmValue("", d));
  std::vector<DmNode> imageData = {
      DmValue("DataType", static_cast<std::int32_t>(dataType)),
      DmGroup("Dimensions", dims),
      DmValue("PixelDepth", static_cast<std::int32_t>(sizeof(T))),
      DmArray("Data", samples),
  };
  if (units) {
    const auto dimension = [&](float origin) {
      return DmGroup("",
                     {DmValue("Origin", origin), DmValue("Scale", scale), DmText("Units", *units)});
    };
    imageData.insert(
        imageData.begin(),
        DmGroup("Calibrations", {DmGroup("Brightness", {DmValue("Scale", 1.0f)}),
                                 DmGroup("Dimension", {dimension(originX), dimension(originY)})}));
  }
  std::vector<DmNode> info;
  if (voltage) info.push_back(DmValue("Voltage", *voltage));
  if (cameraLength) info.push_back(DmValue("STEM Camera Length", *cameraLength));
  std::vector<DmNode> entry = {DmGroup("ImageData", imageData)};
  entry.push_back(DmGroup("ImageTags", {DmGroup("Microscope Info", info)}));
  entry.push_back(DmText("Name", u"pattern"));
  return DmGroup("", entry);
}

/// A 2 x 2 RGB thumbnail (data type 23), as the camera software puts before the image.
inline DmNode DmThumbnail() {
  return DmImage<std::uint32_t>(23, {2, 2}, {0xff000000u, 0xff101010u, 0xff202020u, 0xff303030u});
}

inline DmNode DmFile(std::vector<DmNode> images) {
  return DmGroup("", {DmValue("ApplicationBounds", std::int32_t{0}),
                      DmGroup("ImageList", std::move(images)), DmGroup("DocumentObjectList", {})});
}

// MRC

struct MrcLayout {
  int nx = 3, ny = 2, nz = 1, mode = 1;
  bool bigEndian = false;
  bool stamped = true; // "MAP " and the machine stamp (2014 and some older writers)
  int version = 20140; // word 27; 0 in older files
  int extendedBytes = 0;
  float cellX = 0.0f; // Å
  int mx = 0;
};

/// The header, the extended header and `samples` (already in the file's byte order).
inline Bytes WriteMrc(const MrcLayout& s, const Bytes& samples) {
  Bytes out;
  std::vector<std::uint32_t> words(256, 0);
  words[0] = s.nx, words[1] = s.ny, words[2] = s.nz, words[3] = s.mode;
  words[7] = s.mx, words[8] = s.ny, words[9] = s.nz;
  words[10] = std::bit_cast<std::uint32_t>(s.cellX);
  words[16] = 1, words[17] = 2, words[18] = 3;
  words[23] = s.extendedBytes;
  words[27] = s.version;
  for (std::uint32_t w : words)
    Put(out, w, 4, s.bigEndian);
  if (s.stamped) {
    std::memcpy(out.data() + 208, "MAP ", 4);
    const std::uint8_t stamp = s.bigEndian ? 0x11 : 0x44;
    out[212] = stamp, out[213] = s.bigEndian ? 0x11 : 0x41; // little-endian: "DA" as well as "DD"
  }
  out.insert(out.end(), static_cast<std::size_t>(s.extendedBytes), 0xAB);
  out.insert(out.end(), samples.begin(), samples.end());
  return out;
}

template <class T> Bytes SampleBytes(const std::vector<T>& values, bool bigEndian) {
  Bytes out;
  for (T v : values)
    Put(out, BitsOf(v), sizeof(T), bigEndian);
  return out;
}

// TIFF

struct TiffSpec {
  int width = 3, height = 5;
  int bits = 16;
  int sampleFormat = 1; // 1 unsigned, 2 signed, 3 float; 0 writes no SampleFormat tag
  int samplesPerPixel = 1;
  int compression = 1;
  int rowsPerStrip = 2;
  bool bigEndian = false;
  int photometric = -1; // -1: grey (1), or RGB (2) for three samples
};

/// A TIFF with the samples in strips of `rowsPerStrip` rows after the directory.
inline Bytes WriteTiff(const TiffSpec& s, const Bytes& samples) {
  const bool be = s.bigEndian;
  Bytes out;
  out.push_back(be ? 'M' : 'I'), out.push_back(be ? 'M' : 'I');
  Put(out, 42, 2, be);
  Put(out, 8, 4, be);
  const int strips = (s.height + s.rowsPerStrip - 1) / s.rowsPerStrip;
  const std::size_t rowBytes = samples.size() / static_cast<std::size_t>(s.height);
  struct Entry {
    std::uint16_t tag, type;
    std::vector<std::uint32_t> values;
  };
  std::vector<std::uint32_t> offsets, counts;
  std::vector<Entry> entries = {
      {256, 4, {std::uint32_t(s.width)}},
      {257, 4, {std::uint32_t(s.height)}},
      {258, 3, std::vector<std::uint32_t>(s.samplesPerPixel, s.bits)},
      {259, 3, {std::uint32_t(s.compression)}},
      {262,
       3,
       {s.photometric >= 0       ? std::uint32_t(s.photometric)
        : s.samplesPerPixel == 3 ? 2u
                                 : 1u}},
      {273, 4, {}}, // offsets, filled below
      {277, 3, {std::uint32_t(s.samplesPerPixel)}},
      {278, 4, {std::uint32_t(s.rowsPerStrip)}},
      {279, 4, {}},
      {339, 3, std::vector<std::uint32_t>(s.samplesPerPixel, s.sampleFormat)},
  };
  if (s.sampleFormat == 0) entries.pop_back();
  // Layout: directory, then the long value lists, then the strips.
  const std::size_t directoryBytes = 2 + 12 * entries.size() + 4;
  std::size_t extra = 8 + directoryBytes;
  std::vector<std::size_t> listAt(entries.size(), 0);
  const auto listBytes = [](const Entry& e, std::size_t count) {
    return count * (e.type == 3 ? 2u : 4u);
  };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t count = entries[i].tag == 273 || entries[i].tag == 279
                                  ? static_cast<std::size_t>(strips)
                                  : entries[i].values.size();
    if (listBytes(entries[i], count) > 4) listAt[i] = extra, extra += listBytes(entries[i], count);
  }
  std::size_t at = extra;
  for (int strip = 0; strip < strips; ++strip) {
    const int rows = std::min(s.rowsPerStrip, s.height - strip * s.rowsPerStrip);
    offsets.push_back(static_cast<std::uint32_t>(at));
    counts.push_back(static_cast<std::uint32_t>(rows * rowBytes));
    at += rows * rowBytes;
  }
  entries[5].values = offsets;
  entries[8].values = counts;

  Put(out, entries.size(), 2, be);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    Put(out, e.tag, 2, be);
    Put(out, e.type, 2, be);
    Put(out, e.values.size(), 4, be);
    Bytes value;
    for (std::uint32_t v : e.values)
      Put(value, v, e.type == 3 ? 2 : 4, be);
    if (listAt[i]) {
      Put(out, listAt[i], 4, be);
    } else {
      value.resize(4, 0);
      out.insert(out.end(), value.begin(), value.end());
    }
  }
  Put(out, 0, 4, be); // no next directory
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (listAt[i])
      for (std::uint32_t v : entries[i].values)
        Put(out, v, entries[i].type == 3 ? 2 : 4, be);
  out.insert(out.end(), samples.begin(), samples.end());
  return out;
}

} // namespace spot::test
