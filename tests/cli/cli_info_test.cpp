// spotindex-cli info on files the tests write: a DM3 diffraction pattern with its calibration,
// an MRC and a BMP (through the common readers), and files that cannot be read.
#include <gtest/gtest.h>

#include <cmath> // NAN
#include <filesystem>
#include <fstream>
#include <unistd.h> // for getpid

#include "cli/cli_run.hpp"
#include "picture/picture_files.hpp"
#include "support/synthetic_picture.hpp"

namespace spot::cli {
namespace {

using namespace spot::test;
namespace fs = std::filesystem;
namespace pictures = spot::testing;

using InfoRun = testing::CliRun;

InfoRun info(std::vector<std::string> args) {
  args.insert(args.begin(), "info");
  return testing::run(args);
}

class CliInfo : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("spot-cli-info-" + std::to_string(static_cast<long>(getpid())));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string save(const std::string& name, const Bytes& bytes) {
    const fs::path file = folder_ / name;
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }
  fs::path folder_;
};

TEST_F(CliInfo, DescribesMicroscopeAndCommonPictures) {
  // 3 x 2 uint16 from 0 to 50000 (mean 15000 by hand), 0.17443 1/nm a pixel, origin (1.5, 1),
  // 200 kV written in volts, camera length 250.
  const std::string dm =
      save("pattern.dm3",
           DmWriter{3, false}.write(
               DmFile({DmThumbnail(),
                       DmImage<std::uint16_t>(10, {3, 2}, {0, 10000, 20000, 0, 10000, 50000},
                                              u"1/nm", 0.17443f, 1.5f, 1.0f, 200000.0f, 250.0f)})));
  const InfoRun json = info({dm, "--format", "json"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out,
            "{\"picture\": \"pattern.dm3\", \"format\": \"dm3\", \"width\": 3, \"height\": 2, "
            "\"sample\": \"uint16\", \"min\": 0, \"max\": 50000, \"mean\": 15000, "
            "\"calibration\": {\"scale\": 0.17443, \"units\": \"1/nm\", \"origin\": [1.5, 1]}, "
            "\"beam_energy_kev\": 200, \"camera_length\": 250}\n");
  const InfoRun text = info({dm});
  ASSERT_EQ(text.status, 0) << text.err;
  // Every sample finite: no line for the others.
  EXPECT_EQ(text.out,
            "picture        pattern.dm3\nformat         dm3\nsize           3 x 2 pixels\n"
            "sample         uint16\nmin            0\nmax            50000\nmean       "
            "    15000\ncalibration    0.17443 1/nm per pixel, origin (1.5, 1) px\n"
            "beam energy    200 keV\ncamera length  250\n");

  // An MRC of float samples without a cell: no calibration, nothing from a microscope, a sample
  // that is not a number left out; a quote and a control character in its name are escaped in
  // JSON, the control character shown as "?" in text.
  MrcLayout layout;
  layout.mode = 2, layout.nx = 3, layout.ny = 1;
  const std::string mrc =
      save("sec\"\x1btion.mrc", WriteMrc(layout, SampleBytes<float>({-1.5f, 2.5f, NAN}, false)));
  EXPECT_EQ(
      info({mrc, "--format", "json"}).out,
      "{\"picture\": \"sec\\\"\\u001btion.mrc\", \"format\": \"mrc\", \"width\": 3, \"height\": 1, "
      "\"sample\": \"float32\", \"min\": -1.5, \"max\": 2.5, \"mean\": 0.5, "
      "\"calibration\": null, \"beam_energy_kev\": null, \"camera_length\": null}\n");
  EXPECT_EQ(info({mrc}).out, "picture        sec\"?tion.mrc\nformat         mrc\n"
                             "size           3 x 1 pixels\nsample         float32\nmin            "
                             "-1.5\nmax            2.5\nmean           0.5\nnot finite     1 "
                             "samples (left out of min, max, mean)\ncalibration    none\n"
                             "beam energy    none\ncamera length  none\n");

  // A 2 x 1 BMP of 24-bit grey pixels 10 and 200 (bottom-up rows padded to 4 bytes): the common
  // readers' grey, whatever its name says.
  Bytes bmp = {'B', 'M'};
  Put(bmp, 14 + 40 + 8, 4, false), Put(bmp, 0, 4, false), Put(bmp, 54, 4, false);
  Put(bmp, 40, 4, false), Put(bmp, 2, 4, false), Put(bmp, 1, 4, false);
  Put(bmp, 1, 2, false), Put(bmp, 24, 2, false);
  for (int i = 0; i < 6; ++i)
    Put(bmp, 0, 4, false);
  bmp.insert(bmp.end(), {10, 10, 10, 200, 200, 200, 0, 0});
  const InfoRun common = info({save("grey.dm3", bmp), "--format", "json"});
  ASSERT_EQ(common.status, 0) << common.err;
  EXPECT_NE(common.out.find("\"format\": \"bmp\", \"width\": 2, \"height\": 1, \"sample\": "
                            "\"uint8\", \"min\": 10, \"max\": 200, \"mean\": 105"),
            std::string::npos)
      << common.out;
}

TEST_F(CliInfo, UnreadablePicturesExitWithTwoNamingTheFileAndTheFault) {
  const std::string complex = save(
      "complex.dm4", DmWriter{4, false}.write(DmFile({DmImage<float>(3, {1, 1}, {1.0f, 2.0f})})));
  const InfoRun refused = info({complex});
  EXPECT_EQ(refused.status, kExitInvalidInput);
  EXPECT_TRUE(refused.out.empty());
  EXPECT_NE(refused.err.find("complex.dm4\": the image holds complex samples"), std::string::npos)
      << refused.err;
  const InfoRun text = info({save("notes.txt", Bytes{'h', 'i'})});
  EXPECT_EQ(text.status, kExitInvalidInput);
  EXPECT_NE(text.err.find("notes.txt\": it is not a picture this program reads"), std::string::npos)
      << text.err;
  EXPECT_EQ(info({(folder_ / "none.dm3").string()}).status, kExitInvalidInput);
  EXPECT_EQ(info({}).err, "spotindex-cli: info needs a picture file\n");
  EXPECT_EQ(info({"a", "b"}).err, "spotindex-cli: info takes one picture, got \"a\" and \"b\"\n");
  EXPECT_EQ(info({"a", "--format", "tsv"}).err,
            "spotindex-cli: --format: \"tsv\" is not one of text, json\n");
  EXPECT_EQ(info({"a", "--group"}).err, "spotindex-cli: info does not take --group (see --help)\n");
}

// A square lattice of 40 px saved as a DM4 pattern of 0.05 1/nm a pixel: without --scale-bar the
// file's calibration stands for 1 1/nm over 20 px, so |R| = 40 px is 2 1/nm and d = 0.5 nm; a
// scale bar given replaces it (10 1/nm over 100 px: d = (100 / 10) / 40 = 0.25 nm).
TEST_F(CliInfo, MeasureTakesTheFilesReciprocalCalibrationWithoutAScaleBar) {
  pictures::PictureRecipe recipe;
  recipe.sixteenBit = true;
  recipe.beamX = 248.7, recipe.beamY = 260.6, recipe.beamAmplitude = 1200;
  const GreyImage image =
      pictures::RenderPicture(recipe, pictures::LatticeSpots(recipe, pictures::ScreenVector(40, 17),
                                                             pictures::ScreenVector(40, 107), 5));
  const std::vector<std::uint16_t> samples(image.values.begin(), image.values.end());
  const std::string dm =
      save("pattern.dm4",
           DmWriter{4, false}.write(
               DmFile({DmImage(10, {std::uint32_t(image.width), std::uint32_t(image.height)},
                               samples, u"1/nm", 0.05f)})));
  const auto firstD = [](std::vector<std::string> args) {
    const testing::CliRun r = testing::run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string key = "\"d\": [", text = r.out;
    return text.find(key) == std::string::npos
               ? 0.0
               : std::stod(text.substr(text.find(key) + key.size()));
  };
  EXPECT_NEAR(firstD({"measure", dm, "--format", "json"}), 0.5, 0.0005);
  EXPECT_NEAR(firstD({"measure", dm, "--scale-bar", "10", "100", "--format", "json"}), 0.25,
              0.00025);
}

} // namespace
} // namespace spot::cli
