// DM3 and DM4 files written by the test writer, read back: every sample type in both byte
// orders, the thumbnail before the image, calibrations with UTF-16 units, the microscope's
// settings; and broken files, each refused with what is wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "picture/microscope_picture.hpp"
#include "picture_files.hpp"

namespace spot {
namespace {

using namespace spot::test;

template <class T> const std::vector<T>& SamplesOf(const MicroscopePicture& picture) {
  return std::get<std::vector<T>>(picture.pixels.samples);
}

// Each DM data type with values at its type's limits, in both versions and both orders.
template <class T> void ExpectRoundTrip(int dataType, SampleType expected) {
  const std::vector<T> samples = {std::numeric_limits<T>::lowest(), T(0), T(1),
                                  std::numeric_limits<T>::max(),    T(7), T(42)};
  for (int version : {3, 4})
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE("DM" + std::to_string(version) + (bigEndian ? " big" : " little") +
                   "-endian, data type " + std::to_string(dataType));
      const Bytes file = DmWriter{version, bigEndian}.write(
          DmFile({DmThumbnail(), DmImage<T>(dataType, {3, 2}, samples)}));
      const MicroscopePictureRead read = ReadMicroscopePicture(file);
      ASSERT_TRUE(read.picture) << read.error;
      EXPECT_EQ(read.picture->format, version == 4 ? PictureFormat::Dm4 : PictureFormat::Dm3);
      EXPECT_EQ(read.picture->pixels.width, 3);
      EXPECT_EQ(read.picture->pixels.height, 2);
      EXPECT_EQ(read.picture->pixels.sampleType(), expected);
      EXPECT_EQ(SamplesOf<T>(*read.picture), samples);
      EXPECT_FALSE(read.picture->calibration); // written without one
    }
}

TEST(DmReader, ReadsEveryGreyDataTypeInBothVersionsAndByteOrders) {
  // DM's image data types: 1 int16, 2 float32, 6 uint8, 7 int32, 9 int8, 10 uint16,
  // 11 uint32, 12 float64, 14 binary (a byte of 0 or 1 a pixel).
  ExpectRoundTrip<std::int16_t>(1, SampleType::Int16);
  ExpectRoundTrip<float>(2, SampleType::Float32);
  ExpectRoundTrip<std::uint8_t>(6, SampleType::UInt8);
  ExpectRoundTrip<std::int32_t>(7, SampleType::Int32);
  ExpectRoundTrip<std::int8_t>(9, SampleType::Int8);
  ExpectRoundTrip<std::uint16_t>(10, SampleType::UInt16);
  ExpectRoundTrip<std::uint32_t>(11, SampleType::UInt32);
  ExpectRoundTrip<double>(12, SampleType::Float64);
  ExpectRoundTrip<std::uint8_t>(14, SampleType::UInt8);
}

TEST(DmReader, CalibrationUnitsAndMicroscopeSettingsComeWithTheImage) {
  // A diffraction pattern: 0.17443 1/nm per pixel, the direct beam at (512.5, 511), 200 kV
  // (written in volts), camera length 250 (mm, as the microscope indicates it).
  const std::vector<std::uint16_t> samples(6, 9);
  for (int version : {3, 4}) {
    const Bytes file = DmWriter{version, version == 4}.write(
        DmFile({DmThumbnail(), DmImage(10, {3, 2}, samples, u"1/nm", 0.17443f, 512.5f, 511.0f,
                                       200000.0f, 250.0f)}));
    const MicroscopePictureRead read = ReadMicroscopePicture(file);
    ASSERT_TRUE(read.picture) << read.error;
    ASSERT_TRUE(read.picture->calibration);
    EXPECT_EQ(read.picture->calibration->scale, 0.17443); // the float 0.17443f as written
    EXPECT_EQ(read.picture->calibration->units, "1/nm");
    EXPECT_EQ(read.picture->calibration->originX, 512.5);
    EXPECT_EQ(read.picture->calibration->originY, 511.0);
    EXPECT_TRUE(IsReciprocalNanometres(read.picture->calibration->units));
    EXPECT_EQ(read.picture->beamEnergyKeV, 200.0); // 200000 V
    EXPECT_EQ(read.picture->cameraLength, 250.0);
  }
  // A STEM image in nm; UTF-16 beyond ASCII (µ is U+00B5, two bytes in UTF-8), two lone low
  // surrogates (U+FFFD, three bytes each) and a pair (U+1D53A, four bytes); then the first code of
  // two, three and four UTF-8 bytes (U+0080, U+0800, the pair D800 DC00 for U+10000), the last
  // pair (DBFF DFFF, U+10FFFF), and a high surrogate before U+E000, which is no low one.
  const Bytes stem = DmWriter{3, false}.write(DmFile({DmImage(
      10, {3, 2}, samples,
      u"\u00b5m\xDC00\xDFFF\U0001D53A\x7F\x80\u0800\U00010000\U0010FFFF\xD800\uE000", 0.5f)}));
  const MicroscopePictureRead read = ReadMicroscopePicture(stem);
  ASSERT_TRUE(read.picture && read.picture->calibration) << read.error;
  EXPECT_EQ(read.picture->calibration->units,
            "\xC2\xB5m\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9D\x94\xBA\x7F\xC2\x80"
            "\xE0\xA0\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"
            "\xEF\xBF\xBD\xEE\x80\x80");
  EXPECT_FALSE(IsReciprocalNanometres(read.picture->calibration->units));
  EXPECT_FALSE(read.picture->beamEnergyKeV);
  EXPECT_FALSE(read.picture->cameraLength);
  // Uncalibrated: scale 1 and no units.
  const Bytes plain = DmWriter{3, false}.write(DmFile({DmImage(10, {3, 2}, samples, u"", 1.0f)}));
  EXPECT_FALSE(ReadMicroscopePicture(plain).picture->calibration);
  const auto calibrationOf = [](const DmNode& image) {
    return ReadMicroscopePicture(DmWriter{}.write(DmFile({image}))).picture->calibration;
  };
  EXPECT_FALSE(calibrationOf(DmImage(10, {3, 2}, samples, u"nm", 0.0f))); // a scale of 0
  // Only the x dimension: the y origin stays 0; an origin that is no number is 0.
  DmNode oneAxis = DmImage(10, {3, 2}, samples, u"nm", 0.5f, std::nanf(""), 7.0f);
  std::vector<DmNode>& axes = oneAxis.children[0].children[0].children[1].children;
  axes.pop_back();
  ASSERT_TRUE(calibrationOf(oneAxis));
  EXPECT_EQ(calibrationOf(oneAxis)->originX, 0.0);
  EXPECT_EQ(calibrationOf(oneAxis)->originY, 0.0);
  // Units as DM's other texts: bytes in Latin-1 (µ is 0xB5), signed or not, and signed units.
  for (const DmNode& units : {DmArray("Units", std::vector<std::uint8_t>{0xB5, 'm'}),
                              DmArray("Units", std::vector<std::int8_t>{-75, 'm'}),
                              DmArray("Units", std::vector<std::int16_t>{0xB5, 'm'})}) {
    axes[0].children[2] = units;
    EXPECT_EQ(calibrationOf(oneAxis).value_or(PictureCalibration{}).units, "\xC2\xB5m");
  }
  axes.clear(); // a "Dimension" group with nothing in it
  EXPECT_FALSE(calibrationOf(oneAxis));

  // The microscope's numbers in other numeric types of DM (big-endian data; int32 and uint32
  // are those of the data type and the dimensions); a voltage below 1000 is in kilovolts; a
  // negative length is no length.
  const auto cameraLengthAs = [&](auto length) {
    DmNode image = DmImage(10, {3, 2}, samples);
    image.children[1].children[0].children = {DmValue("Voltage", 300.0),
                                              DmValue("Camera Length", length)};
    const MicroscopePictureRead read =
        ReadMicroscopePicture(DmWriter{3, true}.write(DmFile({image})));
    EXPECT_EQ(read.picture->beamEnergyKeV, 300.0);
    return read.picture->cameraLength;
  };
  EXPECT_EQ(cameraLengthAs(std::int16_t{100}), 100.0);
  EXPECT_EQ(cameraLengthAs(std::uint16_t{100}), 100.0);
  EXPECT_EQ(cameraLengthAs(std::uint8_t{100}), 100.0);
  EXPECT_EQ(cameraLengthAs(100.0), 100.0);
  EXPECT_EQ(cameraLengthAs(std::int16_t{-100}), std::nullopt);
  EXPECT_EQ(cameraLengthAs(std::int8_t{-100}), std::nullopt);
  EXPECT_EQ(cameraLengthAs(std::int64_t{-100}), std::nullopt);
  EXPECT_EQ(cameraLengthAs(std::uint64_t{100}), 100.0);
  EXPECT_EQ(cameraLengthAs(true), 1.0);
  // The first of the names that holds a positive length counts; 1000 is volts (1 kV).
  DmNode named = DmImage(10, {3, 2}, samples);
  named.children[1].children[0].children = {
      DmValue("Voltage", 1000.0), DmValue("Camera length", 80.0),
      DmValue("STEM Camera Length", 60.0), DmValue("Camera Length", -1.0)};
  const MicroscopePictureRead both = ReadMicroscopePicture(DmWriter{}.write(DmFile({named})));
  EXPECT_EQ(both.picture->beamEnergyKeV, 1.0);
  EXPECT_EQ(both.picture->cameraLength, 60.0);

  for (const char* units : {"1/nm", " 1 / nm", "nm^-1", "nm-1"})
    EXPECT_TRUE(IsReciprocalNanometres(units)) << units;
  for (const char* units : {"nm", "1/A", "1/nm2", ""})
    EXPECT_FALSE(IsReciprocalNanometres(units)) << units;
}

TEST(DmReader, TakesTheFirstFrameOfAStackAndStepsOverUnknownDm4Types) {
  // Two frames of 2 x 2: the first holds 1 to 4.
  const std::vector<std::int16_t> frames = {1, 2, 3, 4, 50, 60, 70, 80};
  DmNode image = DmImage<std::int16_t>(1, {2, 2, 2}, frames);
  image.children.erase(image.children.begin() + 1); // and no "ImageTags"
  // A tag of a type this reader does not know (a struct array of strings, 18), which DM4's tag
  // size lets it step over.
  DmNode odd;
  odd.label = "Odd";
  odd.info = {20, 18, 2, 3};
  odd.elements = {1, 2};
  odd.elementBytes = 4;
  image.children.push_back(odd);
  const Bytes file = DmWriter{4, false}.write(DmFile({image}));
  const MicroscopePictureRead read = ReadMicroscopePicture(file);
  ASSERT_TRUE(read.picture) << read.error;
  EXPECT_EQ(SamplesOf<std::int16_t>(*read.picture), (std::vector<std::int16_t>{1, 2, 3, 4}));
  // Also as the last tag, ending at the file's end (the 8 closing bytes cut off).
  DmNode root = DmFile({image});
  root.children.push_back(odd);
  Bytes cut = DmWriter{4, false}.write(root);
  cut.resize(cut.size() - 8);
  EXPECT_TRUE(ReadMicroscopePicture(cut).picture);
  // DM3 gives no size: the same tag cannot be stepped over.
  const MicroscopePictureRead dm3 =
      ReadMicroscopePicture(DmWriter{3, false}.write(DmFile({image})));
  EXPECT_NE(dm3.error.find("\"Odd\" has a data type this reader does not know"), std::string::npos)
      << dm3.error;
  // A struct of two floats (15: no name, 2 fields of type 6), an array of three of them, a struct
  // of no fields and a string of 4 bytes (18) are types DM3 files size by themselves: the image
  // behind them reads.
  DmNode pair;
  pair.label = "Pair";
  pair.info = {15, 0, 2, 0, 6, 0, 6};
  pair.elements = {0, 0};
  pair.elementBytes = 4;
  DmNode pairs = pair;
  pairs.info = {20, 15, 0, 2, 0, 6, 0, 6, 3};
  pairs.elements.resize(6);
  DmNode none = pair;
  none.info = {15, 0, 0}, none.elements.clear();
  DmNode text = DmValue("Text", std::uint8_t{1});
  text.info = {18, 4};
  text.elements = {1, 2, 3, 4};
  DmNode paired = DmImage<std::int16_t>(1, {2, 2, 2}, frames);
  paired.children.insert(paired.children.end(), {pair, pairs, none, text});
  const MicroscopePictureRead withPair =
      ReadMicroscopePicture(DmWriter{3, false}.write(DmFile({paired})));
  EXPECT_TRUE(withPair.picture) << withPair.error;
}

// The error of reading `file`, which must be refused.
std::string ErrorOf(const Bytes& file) {
  const MicroscopePictureRead read = ReadMicroscopePicture(file);
  EXPECT_FALSE(read.picture);
  return read.error;
}

TEST(DmReader, RefusesColourComplexAndBrokenFilesSayingWhy) {
  const std::vector<float> pairs(12, 1.0f);
  const auto with = [](const std::string& error, const std::string& part) {
    return error.find(part) != std::string::npos;
  };
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({DmImage(3, {3, 2}, pairs)}))),
                   "complex samples (data type 3)"));
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({DmThumbnail()}))),
                   "RGB colour samples (data type 23)"));
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({DmImage(99, {3, 2}, pairs)}))),
                   "data type 99 is not known"));
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({}))), "no \"ImageList\""));
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmGroup("", {}))), "no \"ImageList\""));
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({DmGroup("", {DmText("Name", u"x")})}))),
                   "no entry of \"ImageList\" holds \"ImageData\""));

  // Dimensions that the data cannot hold, and a side of 0 or beyond 2^31 - 1.
  const std::vector<std::uint16_t> six(6, 1);
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({DmImage(10, {3000, 2000}, six)}))),
                   "holds 12 bytes, fewer than its 3000 x 2000 uint16 samples need (12000000)"));
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({DmImage(10, {0, 2}, six)}))),
                   "width is not a whole number"));
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({DmImage(10, {4294967295u, 2}, six)}))),
                   "width is not a whole number"));
  EXPECT_TRUE(
      with(ErrorOf(DmWriter{}.write(DmFile({DmImage(10, {65536, 65536}, six)}))), "too large"));
  EXPECT_TRUE(
      with(ErrorOf(DmWriter{}.write(DmFile({DmImage(10, {2147483647, 1}, six)}))), "too large"));
  EXPECT_TRUE(ReadMicroscopePicture(DmWriter{}.write(DmFile({DmImage(10, {1, 1}, six)}))).picture);
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({DmImage(10, {6}, six)}))),
                   "fewer than two \"Dimensions\""));
  // A third dimension counts frames: one is a picture, none is not.
  EXPECT_TRUE(
      ReadMicroscopePicture(DmWriter{}.write(DmFile({DmImage(10, {3, 2, 1}, six)}))).picture);
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({DmImage(10, {3, 2, 0}, six)}))),
                   "dimension 3 of the image is not at least 1"));
  DmNode noData = DmImage(10, {3, 2}, six);
  noData.children[0].children.pop_back(); // ImageData without its "Data"
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({noData}))), "the image has no \"Data\""));
  noData.children[0].children.push_back(DmGroup("Data", {})); // a group, not data
  EXPECT_TRUE(with(ErrorOf(DmWriter{}.write(DmFile({noData}))), "the image has no \"Data\""));

  // The header: a byte-order flag of 2 is not DM (then not recognised), a file cut in it.
  Bytes flagged = DmWriter{}.write(DmFile({DmImage(10, {3, 2}, six)}));
  flagged[11] = 2;
  EXPECT_TRUE(with(ReadDmPicture(flagged).error, "byte-order flag of the header is 2"));
  EXPECT_FALSE(ReadMicroscopePicture(flagged).handled());
  EXPECT_TRUE(with(ReadDmPicture(Bytes{0, 0, 0, 4, 0, 0}).error, "ends inside its DM4 header"));
}

TEST(DmReader, HostileTagTreesEndInAMessageNotACrash) {
  const auto says = [](const Bytes& file, const std::string& part) {
    return ReadDmPicture(file).error.find(part) != std::string::npos;
  };
  const std::vector<std::uint16_t> six(6, 1);
  for (int version : {3, 4}) {
    SCOPED_TRACE("DM" + std::to_string(version));
    const DmWriter writer{version, false};
    const Bytes good = writer.write(DmFile({DmThumbnail(), DmImage(10, {3, 2}, six, u"1/nm")}));
    // Cut at every length: refused (never read past the end), the data missing or the tree.
    for (std::size_t cut = 0; cut + 8 < good.size(); ++cut) {
      const Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
      const MicroscopePictureRead read = ReadDmPicture(part);
      ASSERT_FALSE(read.picture) << cut;
      ASSERT_FALSE(read.error.empty()) << cut;
    }

    // A root claiming 2^31 tags (the count is the 4 or 8 bytes after the header and the two
    // flags).
    Bytes many = good;
    const std::size_t countAt = (version == 4 ? 16 : 12) + 2;
    many[countAt] = 0x7f;
    EXPECT_TRUE(says(many, "more than the"));

    // Groups nested 64 deep are read, 65 deep refused.
    DmNode deep = DmGroup("", {});
    for (int i = 0; i < 64; ++i)
      deep = DmGroup("Level", {deep});
    EXPECT_TRUE(says(writer.write(deep), "no \"ImageList\""));
    EXPECT_TRUE(says(writer.write(DmGroup("", {deep})), "nest more than 64 deep"));

    // A data array longer than the file: its count is the last number before the data.
    DmNode big = DmArray("Data", std::vector<std::uint16_t>(4, 1));
    big.info[2] = std::uint64_t{1} << (version == 4 ? 62 : 30);
    EXPECT_TRUE(says(writer.write(DmGroup("", {big})), "past the end"));
    // An encoded type past every known one, a tag kind that is neither group nor data, a
    // missing "%%%%" mark.
    // Labels are quoted to 40 characters, control characters as "?". No known types either: a
    // struct announcing more fields than it describes, or nothing, or a field of an unknown
    // type; a string or an array without its length; an array of unknown elements.
    DmNode unknown = DmValue("Strange\t" + std::string(40, 'x'), std::int32_t{1});
    const std::vector<std::vector<std::uint64_t>> unknownTypes = {
        {77},    {15, 0, 5, 0, 6}, {15},        {15, 0, 1, 0, 77},   {18},
        {20, 6}, {20, 77, 5},      {20, 15, 0}, {20, 15, 0, 1, 0, 6}};
    for (const std::vector<std::uint64_t>& info : unknownTypes) {
      unknown.info = info;
      EXPECT_TRUE(says(writer.write(DmGroup("", {unknown})),
                       version == 4
                           ? "no \"ImageList\""
                           : "\"Strange?" + std::string(32, 'x') + "...\" has a data type"))
          << info.size();
    }
    Bytes kind = writer.write(DmGroup("", {DmValue("A", std::int32_t{1})}));
    const std::size_t tagAt = (version == 4 ? 16 : 12) + 2 + (version == 4 ? 8 : 4);
    kind[tagAt] = 33;
    EXPECT_TRUE(says(kind, "unknown kind 33"));
    kind[tagAt] = 21;
    const std::size_t markAt = tagAt + 4 + (version == 4 ? 8 : 0);
    for (const std::size_t at : {markAt, markAt + 3}) { // its first byte wrong, or its last
      kind[at] = '#';
      EXPECT_TRUE(says(kind, "lacks the \"%%%%\" mark"));
      kind[at] = '%';
    }
    // Cut right after the mark, after the type (a count and one number) or inside it, and a type
    // told by no numbers.
    const std::string end = std::to_string(markAt + 4);
    EXPECT_TRUE(says(Bytes(kind.begin(), kind.begin() + markAt + 4),
                     "inside the tag \"A\" (at byte " + end + " of " + end + ")"));
    const std::size_t typeEnd = markAt + 4 + 2 * (version == 4 ? 8 : 4);
    EXPECT_TRUE(says(Bytes(kind.begin(), kind.begin() + typeEnd), "past the end"));
    EXPECT_TRUE(says(Bytes(kind.begin(), kind.begin() + typeEnd - 1), "inside the tag \"A\""));
    DmNode untyped = DmValue("B", std::int32_t{1});
    untyped.info = {};
    EXPECT_TRUE(says(writer.write(DmGroup("", {untyped})), "describes its type with 0 numbers"));
    // 4096 numbers are looked at, one more is too many. A label of exactly 40 characters is
    // quoted whole; a space is kept, DEL (0x7f) shown as "?".
    untyped.label = "A \x7f" + std::string(37, 'x');
    untyped.info.assign(4097, 77);
    EXPECT_TRUE(says(writer.write(DmGroup("", {untyped})),
                     "\"A ?" + std::string(37, 'x') +
                         "\" describes its type with 4097 numbers (1 to 4096 expected)"));
    untyped.info.pop_back();
    EXPECT_FALSE(says(writer.write(DmGroup("", {untyped})), "numbers"));
  }
  // DM4 only: an unknown type is stepped over by the tag's size only when that lies in the file.
  DmNode odd = DmValue("Odd", std::int32_t{1});
  odd.info = {77};
  Bytes sized = DmWriter{4, false}.write(DmGroup("", {odd}));
  sized[16 + 2 + 8 + 3 + 3] = 0x40; // the high bytes of the tag's size
  EXPECT_TRUE(says(sized, "\"Odd\" has a data type this reader does not know"));
  std::fill_n(sized.begin() + 32, 8, 0); // nor when it is shorter than the type already read
  EXPECT_TRUE(says(sized, "does not know"));
}

} // namespace
} // namespace spot
