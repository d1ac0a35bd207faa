// MRC and grey TIFF files written by the test writer, read back; the format told by content;
// the file-level reader; broken files refused with what is wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <unistd.h> // for getpid

#include "picture/microscope_picture.hpp"
#include "picture_files.hpp"

namespace spot {
namespace {

using namespace spot::test;

template <class T> const std::vector<T>& SamplesOf(const MicroscopePictureRead& read) {
  return std::get<std::vector<T>>(read.picture->pixels.samples);
}

bool Says(const MicroscopePictureRead& read, const std::string& part) {
  return !read.picture && read.error.find(part) != std::string::npos;
}

TEST(MrcReader, ReadsModesAndByteOrdersWithTheFirstRowAtTheBottom) {
  // 3 x 2: stored rows (1 2 3) then (4 5 6); MRC's first row is the bottom one.
  const std::vector<std::int16_t> stored = {1, -2, 3, 4, 5, -6};
  const std::vector<std::int16_t> shown = {4, 5, -6, 1, -2, 3};
  for (bool bigEndian : {false, true}) {
    MrcLayout layout;
    layout.bigEndian = bigEndian;
    layout.cellX = 30.0f, layout.mx = 3; // 10 Å = 1 nm a pixel
    const MicroscopePictureRead read =
        ReadMicroscopePicture(WriteMrc(layout, SampleBytes(stored, bigEndian)));
    ASSERT_TRUE(read.picture) << read.error;
    EXPECT_EQ(read.picture->format, PictureFormat::Mrc);
    EXPECT_EQ(SamplesOf<std::int16_t>(read), shown);
    ASSERT_TRUE(read.picture->calibration);
    EXPECT_EQ(read.picture->calibration->scale, 1.0);
    EXPECT_EQ(read.picture->calibration->units, "nm");
    // Without the machine stamp (some writers leave it 0) the header's sense gives the order.
    Bytes unmarked = WriteMrc(layout, SampleBytes(stored, bigEndian));
    unmarked[212] = unmarked[213] = 0;
    EXPECT_EQ(SamplesOf<std::int16_t>(ReadMicroscopePicture(unmarked)), shown);
  }
  // No pixel size without both a cell edge and its number of samples, nor from a negative or
  // infinite edge.
  for (const auto& [cellX, mx] : {std::pair{30.0f, 0}, std::pair{0.0f, 3}, std::pair{-30.0f, 3},
                                  std::pair{std::numeric_limits<float>::infinity(), 3}}) {
    MrcLayout layout;
    layout.cellX = cellX, layout.mx = mx;
    EXPECT_FALSE(ReadMicroscopePicture(WriteMrc(layout, Bytes(12, 0))).picture->calibration);
  }
  // Mode 2 float, a stack of 3 (the first section read) after 100 bytes of extended header.
  MrcLayout floats;
  floats.mode = 2, floats.nx = 2, floats.ny = 1, floats.nz = 3, floats.extendedBytes = 100;
  floats.bigEndian = true;
  const MicroscopePictureRead g =
      ReadMicroscopePicture(WriteMrc(floats, SampleBytes<float>({0.5f, -1.5f, 9, 9, 9, 9}, true)));
  ASSERT_TRUE(g.picture) << g.error;
  EXPECT_EQ(SamplesOf<float>(g), (std::vector<float>{0.5f, -1.5f}));
  EXPECT_FALSE(g.picture->calibration); // no cell given

  // Mode 6 uint16, and mode 0: signed since 2014, unsigned in older unstamped files (told from
  // the header announcing the file's exact length).
  MrcLayout words;
  words.mode = 6, words.nx = 2, words.ny = 1;
  EXPECT_EQ(SamplesOf<std::uint16_t>(ReadMicroscopePicture(
                WriteMrc(words, SampleBytes<std::uint16_t>({65535, 7}, false)))),
            (std::vector<std::uint16_t>{65535, 7}));
  MrcLayout bytes;
  bytes.mode = 0, bytes.nx = 1, bytes.ny = 2; // one column, its two rows shown bottom up
  EXPECT_EQ(SamplesOf<std::int8_t>(ReadMicroscopePicture(WriteMrc(bytes, {0xFF, 0x7F}))),
            (std::vector<std::int8_t>{127, -1}));
  bytes.stamped = false, bytes.version = 0;
  for (bool bigEndian : {true, false}) {
    bytes.bigEndian = bigEndian;
    const Bytes old = WriteMrc(bytes, {0xFF, 0x7F});
    EXPECT_EQ(DetectPictureFormat(old), DetectedFormat::Mrc);
    EXPECT_EQ(SamplesOf<std::uint8_t>(ReadMicroscopePicture(old)),
              (std::vector<std::uint8_t>{127, 255}));
    // One byte more and the unstamped header no longer describes the file.
    Bytes longer = old;
    longer.push_back(0);
    EXPECT_EQ(DetectPictureFormat(longer), DetectedFormat::Other);
  }
  // IMOD marks signed bytes of an older file with its stamp ("IMOD" at byte 152) and bit 0 of
  // the flags after it; either alone is not enough.
  for (int imod : {0, 1, 2, 3}) { // bit 0: the stamp, bit 1: the flag
    Bytes file = WriteMrc(bytes, {0xFF, 0x7F});
    if (imod & 1) std::copy_n("IMOD", 4, file.begin() + 152);
    file[156] = static_cast<std::uint8_t>(imod >> 1);
    EXPECT_EQ(ReadMicroscopePicture(file).picture->pixels.sampleType(),
              imod == 3 ? SampleType::Int8 : SampleType::UInt8)
        << imod;
  }
}

TEST(MrcReader, RefusesOtherModesAndBrokenHeaders) {
  MrcLayout layout;
  const Bytes six = SampleBytes<std::int16_t>({1, 2, 3, 4, 5, 6}, false);
  for (const auto& [mode, says] :
       std::vector<std::pair<int, std::string>>{{3, "complex samples (mode 3)"},
                                                {4, "complex samples (mode 4)"},
                                                {12, "16-bit float samples (mode 12)"},
                                                {16, "RGB colour samples (mode 16)"},
                                                {101, "4-bit samples (mode 101)"},
                                                {7, "mode 7 is not known"}}) {
    layout.mode = mode, layout.bigEndian = mode != 7; // an unknown mode tells no byte order
    Bytes file = WriteMrc(layout, six);
    file[212] = 0; // without the machine stamp the header's sense gives the order
    EXPECT_TRUE(Says(ReadMrcPicture(file), says)) << mode;
  }
  layout.mode = 1, layout.nx = -3, layout.bigEndian = false;
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "size -3 x 2 x 1 is not possible"));
  layout.nx = 3, layout.ny = 0;
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "size 3 x 0 x 1 is not possible"));
  layout.ny = 2, layout.nz = 0; // a stack of no sections holds no picture
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "size 3 x 2 x 0 is not possible"));
  layout.nz = 1;
  Bytes negative = WriteMrc(layout, six);
  negative[92] = 0xF8, negative[93] = negative[94] = negative[95] = 0xFF; // word 23 = -8
  EXPECT_TRUE(Says(ReadMrcPicture(negative), "extended header length -8 is negative"));
  negative[92] = 0xA0, negative[93] = 0x86, negative[94] = 0x01, negative[95] = 0; // 100000
  EXPECT_TRUE(Says(ReadMrcPicture(negative), "(12 bytes from byte 101024, the file has 1036)"));
  layout.nz = 1, layout.extendedBytes = 0;
  Bytes file = WriteMrc(layout, six);
  file.pop_back();
  EXPECT_TRUE(Says(ReadMrcPicture(file), "ends before its first 3 x 2 section (12 bytes from "
                                         "byte 1024, the file has 1035)"));
  layout.nx = 100000, layout.ny = 100000;
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "too large"));
  EXPECT_TRUE(Says(ReadMrcPicture(Bytes(100, 0)), "ends inside its 1024-byte MRC header"));
  // The machine stamp decides the byte order, also where the other order would make sense.
  MrcLayout huge;
  huge.mode = 0, huge.nx = huge.ny = huge.nz = 1 << 24; // 1 x 1 x 1 in the other order
  for (bool bigEndian : {false, true}) {
    huge.bigEndian = bigEndian;
    EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(huge, {1})), "too large")) << bigEndian;
  }
}

TEST(TiffReader, ReadsDeepGreySamplesInStripsAndLeavesTheRestToOtherReaders) {
  // 3 x 5 in strips of 2 rows (the last strip 1 row), both byte orders.
  std::vector<std::uint16_t> words(15);
  std::vector<float> floats(15);
  std::vector<std::int32_t> longs(15);
  for (int i = 0; i < 15; ++i)
    words[i] = static_cast<std::uint16_t>(4000 * i), floats[i] = -0.25f * i, longs[i] = -100000 * i;
  for (bool be : {false, true}) {
    TiffSpec layout;
    layout.bigEndian = be;
    const MicroscopePictureRead w =
        ReadMicroscopePicture(WriteTiff(layout, SampleBytes(words, be)));
    ASSERT_TRUE(w.picture) << w.error;
    EXPECT_EQ(w.picture->format, PictureFormat::Tiff);
    EXPECT_EQ(w.picture->pixels.width, 3);
    EXPECT_EQ(w.picture->pixels.height, 5);
    EXPECT_EQ(SamplesOf<std::uint16_t>(w), words);
    layout.bits = 32, layout.sampleFormat = 3, layout.rowsPerStrip = 5;
    EXPECT_EQ(SamplesOf<float>(ReadMicroscopePicture(WriteTiff(layout, SampleBytes(floats, be)))),
              floats);
    layout.sampleFormat = 2, layout.rowsPerStrip = 1;
    EXPECT_EQ(
        SamplesOf<std::int32_t>(ReadMicroscopePicture(WriteTiff(layout, SampleBytes(longs, be)))),
        longs);
    // The same bytes as unsigned 32-bit samples, and the words as signed 16-bit ones.
    layout.sampleFormat = 1;
    EXPECT_EQ(
        SamplesOf<std::uint32_t>(ReadMicroscopePicture(WriteTiff(layout, SampleBytes(longs, be)))),
        std::vector<std::uint32_t>(longs.begin(), longs.end()));
    layout.sampleFormat = 2, layout.bits = 16;
    EXPECT_EQ(
        SamplesOf<std::int16_t>(ReadMicroscopePicture(WriteTiff(layout, SampleBytes(words, be)))),
        std::vector<std::int16_t>(words.begin(), words.end()));
  }
  // Without a SampleFormat tag TIFF samples are unsigned: 56000 stays 56000, not negative.
  TiffSpec untagged;
  untagged.sampleFormat = 0;
  EXPECT_EQ(SamplesOf<std::uint16_t>(
                ReadMicroscopePicture(WriteTiff(untagged, SampleBytes(words, false)))),
            words);
  TiffSpec doubles;
  doubles.bits = 64, doubles.sampleFormat = 3, doubles.width = 1, doubles.height = 1;
  EXPECT_EQ(
      SamplesOf<double>(ReadTiffPicture(WriteTiff(doubles, SampleBytes<double>({1e300}, false)))),
      std::vector<double>{1e300});
  // White-is-zero samples turned over: 16-bit v reads 65535 - v, signed v reads -1 - v (the
  // lowest value becomes the highest), floats change sign.
  TiffSpec white;
  white.photometric = 0;
  std::vector<std::uint16_t> turned(15);
  for (int i = 0; i < 15; ++i)
    turned[i] = static_cast<std::uint16_t>(65535 - 4000 * i);
  EXPECT_EQ(SamplesOf<std::uint16_t>(ReadTiffPicture(WriteTiff(white, SampleBytes(words, false)))),
            turned);
  white.sampleFormat = 2;
  EXPECT_EQ(SamplesOf<std::int16_t>(ReadTiffPicture(WriteTiff(
                white, SampleBytes<std::int16_t>(
                           {-32768, 0, 32767, 5, -6, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, false)))),
            (std::vector<std::int16_t>{32767, -1, -32768, -6, 5, -2, -3, -4, -5, -6, -7, -8, -9,
                                       -10, -11}));
  white.bits = 32, white.sampleFormat = 3;
  const std::vector<float> negated =
      SamplesOf<float>(ReadTiffPicture(WriteTiff(white, SampleBytes(floats, false))));
  ASSERT_EQ(negated.size(), floats.size());
  for (std::size_t i = 0; i < floats.size(); ++i)
    EXPECT_EQ(negated[i], -floats[i]);

  // Left to the common readers: 8-bit grey, colour, compressed 16-bit grey.
  TiffSpec eight;
  eight.bits = 8;
  EXPECT_FALSE(ReadMicroscopePicture(WriteTiff(eight, Bytes(15, 1))).handled());
  TiffSpec colour;
  colour.samplesPerPixel = 3, colour.bits = 8;
  EXPECT_FALSE(ReadMicroscopePicture(WriteTiff(colour, Bytes(45, 1))).handled());
  TiffSpec packed;
  packed.compression = 5; // LZW
  EXPECT_FALSE(ReadMicroscopePicture(WriteTiff(packed, Bytes(30, 1))).handled());
}

TEST(TiffReader, RefusesWhatNoReaderShowsAndBrokenFiles) {
  TiffSpec layout;
  layout.bits = 32, layout.sampleFormat = 3, layout.compression = 8; // deflate
  const Bytes sixty(60, 0);
  EXPECT_TRUE(Says(ReadTiffPicture(WriteTiff(layout, sixty)),
                   "compressed 32-bit float grey TIFF is not read (compression 8)"));
  layout.compression = 1;
  for (const int bits : {16, 8}) { // 8-bit float too: not one of the common readers' kinds
    layout.bits = bits;
    EXPECT_TRUE(Says(ReadTiffPicture(WriteTiff(layout, sixty)),
                     std::to_string(bits) + "-bit float grey TIFF is not read"));
  }
  layout.bits = 32, layout.sampleFormat = 1;
  Bytes file = WriteTiff(layout, sixty);
  file.pop_back(); // the last strip one byte short
  EXPECT_TRUE(Says(ReadTiffPicture(file), "strip 2 (12 bytes at byte"));
  // One field of the directory changed (an entry holds its tag at +0, its count at +4 and its
  // value at +8), bytes added at the end; 3 x 5 samples of 4 bytes, strips of 2 rows (24, 24
  // and 12 bytes).
  const auto set = [](Bytes& tiff, std::uint16_t tag, std::size_t field, std::uint32_t value) {
    std::size_t at = 10; // the first entry of the directory at byte 8
    while (tiff[at] + 256 * tiff[at + 1] != tag)
      at += 12;
    for (std::size_t i = 0; i < (field == 0 ? 2 : 4); ++i)
      tiff[at + field + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  const auto changed = [&](std::uint16_t tag, std::size_t field, std::uint32_t value,
                           const Bytes& tail = {}) {
    Bytes tiff = WriteTiff(layout, sixty);
    tiff.insert(tiff.end(), tail.begin(), tail.end());
    set(tiff, tag, field, value);
    return ReadTiffPicture(tiff);
  };
  EXPECT_TRUE(Says(changed(273, 0, 65000), "it has no strip offsets"));
  EXPECT_TRUE(Says(changed(273, 8, 100000), "the values of its tag 273 lie past the end"));
  EXPECT_TRUE(Says(changed(256, 0, 65000), "it gives no width or height"));
  EXPECT_TRUE(Says(changed(278, 0, 284), "planar configuration is not 1")); // 2
  EXPECT_TRUE(Says(changed(278, 0, 322), "tiled 32-bit unsigned grey TIFF is not read"));
  EXPECT_TRUE(Says(changed(273, 4, 2), "it lists 2 strips where 3 are needed"));
  // 0 rows a strip taken as 1: five strips.
  EXPECT_TRUE(Says(changed(278, 8, 0), "it lists 3 strips where 5 are needed"));
  EXPECT_TRUE(Says(changed(278, 8, 5), "strip 0 holds 24 bytes where 60 are needed"));
  EXPECT_TRUE(Says(changed(257, 8, 1000), "samples need 12000 bytes, more than the file's"));
  EXPECT_TRUE(Says(changed(256, 8, 0), "the picture's size 0 x 5 is not possible"));
  EXPECT_TRUE(Says(changed(257, 8, 1u << 30), "too large (3 x 1073741824 uint32 samples"));
  EXPECT_TRUE(Says(changed(279, 8, 100000), "the values of its tag 279 lie past the end"));
  EXPECT_TRUE(changed(262, 4, 1u << 28).picture); // a broken tag the samples do not need
  EXPECT_TRUE(Says(changed(273, 2, 11 | 3 << 16), "offsets are not whole numbers")); // floats
  layout.bits = 16; // tiled 16-bit unsigned grey the common readers decode
  EXPECT_FALSE(changed(278, 0, 322).handled());
  layout.bits = 32;
  // Values that end exactly at the file's end lie in it: the strip byte counts put there.
  const auto end = static_cast<std::uint32_t>(WriteTiff(layout, sixty).size());
  EXPECT_TRUE(changed(279, 8, end, {24, 0, 0, 0, 24, 0, 0, 0, 12, 0, 0, 0}).picture);
  // So do eight values of each type, of 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4 and 8 bytes (types 1 to
  // 12): one byte later they run past it.
  for (std::uint32_t type = 1; type <= 12; ++type)
    for (const std::uint32_t late : {0u, 1u}) {
      Bytes tiff = WriteTiff(layout, sixty);
      const std::uint32_t size = 8 * std::array{1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8}[type - 1];
      set(tiff, 279, 2, type | 8 << 16); // the type and the count's low half
      set(tiff, 279, 8, static_cast<std::uint32_t>(tiff.size()) + late);
      tiff.resize(tiff.size() + size);
      EXPECT_EQ(Says(ReadTiffPicture(tiff), "tag 279 lie past the end"), late == 1) << type;
    }
  EXPECT_TRUE(Says(ReadTiffPicture(Bytes{'I', 'M', 42, 0, 8, 0, 0, 0}), "no \"II\" or \"MM\""));
  EXPECT_TRUE(Says(ReadTiffPicture(Bytes{'I', 'I', 41, 0, 8, 0, 0, 0}), "version is not 42"));
  EXPECT_TRUE(Says(ReadTiffPicture(Bytes{'I', 'I', 43, 0, 8, 0, 0, 0}), "BigTIFF"));
  EXPECT_TRUE(Says(ReadMicroscopePicture(Bytes{'I', 'I', 43, 0, 8, 0, 0, 0}), "BigTIFF"));
  EXPECT_TRUE(Says(ReadTiffPicture(Bytes{'I', 'I', 42, 0, 0xff, 0, 0, 0}), "lies past the end"));
  // A directory of 65535 entries in a file of 20 bytes.
  EXPECT_TRUE(Says(
      ReadTiffPicture(Bytes{'I', 'I', 42, 0, 8, 0, 0, 0, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
      "65535 entries runs past the end"));
  // The directory after the samples, as many writers put it: a 1 x 1 16-bit picture (0x1234 at
  // byte 8), five entries from byte 10 and the 4-byte end of the chain: 76 bytes in all.
  Bytes last = {'I', 'I', 42, 0, 10, 0, 0, 0, 0x34, 0x12, 5, 0};
  for (const auto& [tag, type, value] :
       {std::array{256, 3, 1}, {257, 3, 1}, {258, 3, 16}, {273, 4, 8}, {279, 4, 2}})
    Put(last, tag, 2, false), Put(last, type, 2, false), Put(last, 1, 4, false),
        Put(last, value, 4, false);
  last.resize(76, 0);
  const MicroscopePictureRead one = ReadTiffPicture(last);
  ASSERT_TRUE(one.picture) << one.error;
  EXPECT_EQ(SamplesOf<std::uint16_t>(one), std::vector<std::uint16_t>{0x1234});
  // Cut at every length: refused or left to others, never a picture or a crash.
  const Bytes good = WriteTiff(layout, sixty);
  for (std::size_t cut = 0; cut < good.size(); ++cut)
    ASSERT_FALSE(ReadTiffPicture(Bytes(good.begin(), good.begin() + cut)).picture) << cut;
}

TEST(PictureFormats, ToldByContentAndReadFromFiles) {
  const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13};
  EXPECT_EQ(DetectPictureFormat(png), DetectedFormat::Other);
  EXPECT_FALSE(ReadMicroscopePicture(png).handled());
  EXPECT_EQ(DetectPictureFormat(Bytes{}), DetectedFormat::Other);
  EXPECT_EQ(DetectPictureFormat(Bytes{'I', 'I', 42, 1}), DetectedFormat::Other);
  EXPECT_EQ(DetectPictureFormat(Bytes{'M', 'M', 1, 42}), DetectedFormat::Other);
  EXPECT_EQ(DetectPictureFormat(DmWriter{3, false}.write(DmFile({}))), DetectedFormat::Dm3);
  EXPECT_EQ(DetectPictureFormat(DmWriter{4, true}.write(DmFile({}))), DetectedFormat::Dm4);
  EXPECT_EQ(DetectPictureFormat(WriteTiff(TiffSpec{}, Bytes(30, 0))), DetectedFormat::Tiff);
  EXPECT_EQ(DetectPictureFormat(WriteMrc(MrcLayout{}, Bytes(12, 0))), DetectedFormat::Mrc);
  // Pixels that spell "MAPS" where MRC has its "MAP " stamp leave a TIFF a TIFF.
  TiffSpec square;
  square.width = 32, square.height = 32, square.bits = 8, square.rowsPerStrip = 32;
  Bytes stamped = WriteTiff(square, Bytes(1024, 7));
  std::copy_n("MAPS", 4, stamped.begin() + 208);
  EXPECT_EQ(DetectPictureFormat(stamped), DetectedFormat::Tiff);
  // Nor does the stamp make a file shorter than MRC's header one.
  Bytes shortStamped(1023, 0);
  std::copy_n("MAP ", 4, shortStamped.begin() + 208);
  EXPECT_EQ(DetectPictureFormat(shortStamped), DetectedFormat::Other);
  // With the whole header the stamp tells MRC, though the file starts like DM3 (version 3).
  shortStamped.push_back(0), shortStamped[3] = 3;
  EXPECT_EQ(DetectPictureFormat(shortStamped), DetectedFormat::Mrc);

  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() /
                          ("spot-picture-test-" + std::to_string(static_cast<long>(getpid())));
  fs::create_directories(folder);
  // Named .png but a DM3 file: the content decides.
  const fs::path dm = folder / "pattern.png";
  const Bytes bytes =
      DmWriter{3, false}.write(DmFile({DmImage<std::uint16_t>(10, {3, 2}, {1, 2, 3, 4, 5, 6})}));
  std::ofstream(dm, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  const MicroscopePictureRead read = ReadMicroscopePictureFile(dm.string());
  ASSERT_TRUE(read.picture) << read.error;
  EXPECT_EQ(read.picture->format, PictureFormat::Dm3);
  // Past 1 GiB of samples and 64 MiB of the rest, a DM file is refused unread (sparse: no
  // space taken).
  fs::resize_file(dm, (std::uint64_t{1} << 30) + (std::uint64_t{65} << 20));
  EXPECT_TRUE(Says(ReadMicroscopePictureFile(dm.string()), "the file is too large (1089 MiB"));
  const fs::path text = folder / "notes.dm3";
  std::ofstream(text) << "not a picture";
  EXPECT_FALSE(ReadMicroscopePictureFile(text.string()).handled());
  fs::resize_file(text, std::uint64_t{2} << 30); // left to others whatever its size
  EXPECT_FALSE(ReadMicroscopePictureFile(text.string()).handled());
  EXPECT_TRUE(Says(ReadMicroscopePictureFile(folder.string()), "not a regular file"));
  EXPECT_TRUE(Says(ReadMicroscopePictureFile((folder / "none.dm3").string()), "does not exist"));
  fs::remove_all(folder);
}

} // namespace
} // namespace spot
