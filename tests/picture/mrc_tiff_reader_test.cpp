// MRC and grey TIFF files written by the test writer, read back; the format told by content;
// the file-level reader; broken files refused with what is wrong.
#include <gtest/gtest.h>

#include <algorithm>
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
  bytes.mode = 0, bytes.nx = 2, bytes.ny = 1;
  EXPECT_EQ(SamplesOf<std::int8_t>(ReadMicroscopePicture(WriteMrc(bytes, {0xFF, 0x7F}))),
            (std::vector<std::int8_t>{-1, 127}));
  bytes.stamped = false, bytes.version = 0;
  const Bytes old = WriteMrc(bytes, {0xFF, 0x7F});
  EXPECT_EQ(DetectPictureFormat(old), DetectedFormat::Mrc);
  EXPECT_EQ(SamplesOf<std::uint8_t>(ReadMicroscopePicture(old)),
            (std::vector<std::uint8_t>{255, 127}));
  // One byte more and the unstamped header no longer describes the file.
  Bytes longer = old;
  longer.push_back(0);
  EXPECT_EQ(DetectPictureFormat(longer), DetectedFormat::Other);
}

TEST(MrcReader, RefusesOtherModesAndBrokenHeaders) {
  MrcLayout layout;
  const Bytes six = SampleBytes<std::int16_t>({1, 2, 3, 4, 5, 6}, false);
  layout.mode = 4;
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "complex samples (mode 4)"));
  layout.mode = 12;
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "16-bit float"));
  layout.mode = 7;
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "mode 7 is not known"));
  layout.mode = 1, layout.nx = -3;
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "size -3 x 2 x 1 is not possible"));
  layout.nx = 3, layout.nz = 0; // a stack of no sections holds no picture
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "size 3 x 2 x 0 is not possible"));
  layout.nz = 1, layout.extendedBytes = 0;
  Bytes file = WriteMrc(layout, six);
  file.pop_back();
  EXPECT_TRUE(Says(ReadMrcPicture(file), "ends before its first 3 x 2 section (12 bytes from "
                                         "byte 1024, the file has 1035)"));
  layout.nx = 100000, layout.ny = 100000;
  EXPECT_TRUE(Says(ReadMrcPicture(WriteMrc(layout, six)), "too large"));
  EXPECT_TRUE(Says(ReadMrcPicture(Bytes(100, 0)), "ends inside its 1024-byte MRC header"));
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
  layout.compression = 1, layout.bits = 16;
  EXPECT_TRUE(
      Says(ReadTiffPicture(WriteTiff(layout, sixty)), "16-bit float grey TIFF is not read"));
  layout.bits = 32, layout.sampleFormat = 1;
  Bytes file = WriteTiff(layout, sixty);
  file.resize(file.size() - 1); // the last strip one byte short
  EXPECT_TRUE(Says(ReadTiffPicture(file), "strip 2 (12 bytes at byte"));
  EXPECT_TRUE(Says(ReadTiffPicture(Bytes{'I', 'I', 43, 0, 8, 0, 0, 0}), "BigTIFF"));
  EXPECT_TRUE(Says(ReadMicroscopePicture(Bytes{'I', 'I', 43, 0, 8, 0, 0, 0}), "BigTIFF"));
  EXPECT_TRUE(Says(ReadTiffPicture(Bytes{'I', 'I', 42, 0, 0xff, 0, 0, 0}), "lies past the end"));
  // A directory of 65535 entries in a file of 20 bytes.
  EXPECT_TRUE(Says(
      ReadTiffPicture(Bytes{'I', 'I', 42, 0, 8, 0, 0, 0, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
      "65535 entries runs past the end"));
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
  EXPECT_TRUE(Says(ReadMicroscopePictureFile(folder.string()), "not a regular file"));
  EXPECT_TRUE(Says(ReadMicroscopePictureFile((folder / "none.dm3").string()), "does not exist"));
  fs::remove_all(folder);
}

} // namespace
} // namespace spot
