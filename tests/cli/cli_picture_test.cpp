// spotindex-cli's picture commands end to end: pictures written with Qt into a folder of this
// process, then spots, measure and index --picture through RunCli.
#include <gtest/gtest.h>

#include <QImage>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "cli/cli_commands.hpp"
#include "cli/cli_picture.hpp"
#include "cli/cli_run.hpp"
#include "cli/cli_spots.hpp"
#include "picture/pattern_fit.hpp"
#include "picture/raw_picture.hpp"
#include "support/synthetic_picture.hpp"

namespace spot::cli {
namespace {

namespace fs = std::filesystem;
using spot::testing::PictureRecipe;
using spot::testing::RenderPicture;
using spot::testing::ScreenVector;
using spot::testing::TrueSpot;

using testing::CliRun;
using testing::contains;
using testing::run;

// The lines of a text table (those that start with the blank of a right-aligned first column):
// each as long as the heading, so that every number stands under its column's name.
void ExpectColumnsLineUp(const std::string& table) {
  std::istringstream in(table);
  std::string heading;
  std::getline(in, heading);
  int rows = 0;
  for (std::string line; std::getline(in, line) && line.starts_with(' '); ++rows)
    EXPECT_EQ(line.size(), heading.size()) << heading << "\n" << line;
  EXPECT_GT(rows, 0) << table;
}

class PictureFolder : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("spot-cli-pictures-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The picture saved as `name` (the suffix chooses the format), 8-bit or 16-bit grey, or
  // colour with the grey value in every channel.
  std::string save(const GreyImage& image, const std::string& name, bool sixteenBit,
                   bool colour = false) {
    QImage q(image.width, image.height,
             colour ? QImage::Format_RGB32
                    : (sixteenBit ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8));
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        const float v = image.at(x, y);
        if (colour)
          q.setPixel(x, y, qRgb(static_cast<int>(v), static_cast<int>(v), static_cast<int>(v)));
        else if (sixteenBit)
          reinterpret_cast<quint16*>(q.scanLine(y))[x] = static_cast<quint16>(v);
        else
          q.scanLine(y)[x] = static_cast<uchar>(v);
      }
    const std::string path = (folder_ / name).string();
    EXPECT_TRUE(q.save(QString::fromStdString(path)));
    return path;
  }

  fs::path folder_;
};

// A square lattice of 40 px around a saturated beam at (248.7, 260.6): written as 8-bit PNG,
// 16-bit TIFF and colour PNG with grey in every channel, each read back to the values written;
// measure gives |R| = 40 px and, with the scale bar 5 1/nm = 100 px, d = (100 / 5) / 40 =
// 0.5 nm.
TEST_F(PictureFolder, SpotsAndMeasureReadEveryFormatAlike) {
  PictureRecipe recipe;
  recipe.beamX = 248.7, recipe.beamY = 260.6;
  recipe.beamAmplitude = 1200;
  recipe.scaleBar = true;
  const auto a = ScreenVector(40, 17), b = ScreenVector(40, 107);
  const std::vector<TrueSpot> truth = spot::testing::LatticeSpots(recipe, a, b, 5);
  const GreyImage image8 = RenderPicture(recipe, truth);
  const std::string png = save(image8, "grey.png", false);
  const std::string colour = save(image8, "colour.png", false, true);
  recipe.sixteenBit = true;
  const GreyImage image16 = RenderPicture(recipe, truth);
  const std::string tiff = save(image16, "grey16.tif", true);

  const auto grey = [](const std::string& path) {
    const CliPictureRead read = ReadCliPicture(path);
    EXPECT_TRUE(read.picture) << read.error;
    return read.picture ? ToGreyImage(read.picture->pixels) : GreyImage();
  };
  EXPECT_EQ(grey(png).values, image8.values);
  EXPECT_EQ(grey(tiff).width, 512);
  EXPECT_EQ(grey(tiff).values, image16.values); // every 16-bit value kept
  EXPECT_EQ(grey(colour).values, image8.values);

  const CliRun spots = run({"spots", png, "--format", "json"});
  ASSERT_EQ(spots.status, 0) << spots.err;
  EXPECT_EQ(spots.out.rfind("{\"picture\": \"grey.png\", \"width\": 512, \"height\": 512, "
                            "\"spots\": [\n  {\"x\": 248.",
                            0),
            0u); // the saturated beam first
  // Each spot with its four numbers (the picture's own width once more).
  const auto count = [&](const std::string& key) {
    std::size_t n = 0;
    for (std::size_t at = spots.out.find(key); at != std::string::npos;
         at = spots.out.find(key, at + 1))
      n += std::isdigit(static_cast<unsigned char>(spots.out[at + key.size()])) != 0;
    return n;
  };
  EXPECT_GT(count("{\"x\": "), 20u);
  for (const auto& [key, more] :
       {std::pair{", \"y\": ", 0}, {", \"intensity\": ", 0}, {", \"width\": ", 1}})
    EXPECT_EQ(count(key), count("{\"x\": ") + more) << key;
  const CliRun spots16 = run({"spots", tiff});
  ASSERT_EQ(spots16.status, 0) << spots16.err;
  EXPECT_EQ(spots16.out.substr(0, spots16.out.find(',')), "grey16.tif: 512 x 512 pixels");
  ExpectColumnsLineUp(spots16.out.substr(spots16.out.find('\n') + 1));
  // x, y and width to 0.01 px, the intensity to 0.1 of a grey level.
  std::istringstream table(spots16.out);
  std::string x, y, intensity, width;
  table.ignore(1000, '\n').ignore(1000, '\n') >> x >> y >> intensity >> width;
  for (const auto& [field, decimals] : {std::pair{x, 2}, {y, 2}, {intensity, 1}, {width, 2}})
    EXPECT_EQ(field.size() - field.find('.') - 1, static_cast<std::size_t>(decimals)) << field;
  // A quote and a control character in the name are written as JSON escapes.
  const CliRun escaped = run({"spots", save(image8, "beam\"\x1b.png", false), "--format", "json"});
  EXPECT_EQ(escaped.out.rfind("{\"picture\": \"beam\\\"\\u001b.png\"", 0), 0u) << escaped.out;

  const CliRun measure = run({"measure", png, "--scale-bar", "5", "100", "--format", "json"});
  ASSERT_EQ(measure.status, 0) << measure.err;
  const auto numberAfter = [&](const std::string& key) {
    return std::stod(measure.out.substr(measure.out.find(key) + key.size()));
  };
  EXPECT_NEAR(numberAfter("\"centre\": ["), 248.7, 0.1);
  EXPECT_NEAR(numberAfter("\"lengths\": ["), 40, 0.04);
  EXPECT_NEAR(numberAfter("\"d\": ["), 0.5, 0.0005);
  EXPECT_NEAR(numberAfter("\"angles\": ["), 90, 0.05);
  // Each triple ends with R3 = R1 + R2: √2·40 px long, d = 0.5 / √2 nm, 45 degrees from R1.
  const auto lastOf = [&](const std::string& key) {
    const std::size_t end = measure.out.find(']', measure.out.find(key));
    return std::stod(measure.out.substr(measure.out.rfind(", ", end) + 2));
  };
  EXPECT_NEAR(lastOf("\"lengths\": ["), 40 * std::sqrt(2.0), 0.06);
  EXPECT_NEAR(lastOf("\"d\": ["), 0.5 / std::sqrt(2.0), 0.0005);
  EXPECT_NEAR(lastOf("\"angles\": ["), 45, 0.05);
  EXPECT_NEAR(lastOf("\"centre\": ["), 260.6, 0.1);
  EXPECT_GT(numberAfter("\"spots_used\": "), 100);

  const CliRun text = run({"measure", tiff, "--scale-bar", "5", "100", "--centre", "249", "260"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(contains(text.out, "length 40.00")) << text.out;
  // The numbers of each line agree: the length is |Ri|, d = (100 / 5) / length, R3 = R1 + R2 (each
  // number to 3 decimals), and the angles are those of the square lattice.
  std::istringstream lines(text.out.substr(text.out.find('\n') + 1));
  std::array<Vec2, 3> r{};
  std::string line;
  for (int i = 1; i <= 3 && std::getline(lines, line); ++i) {
    int n = 0, m = 0;
    double length = 0, d = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "R%d (%lf, %lf) px  length %lf px  d%d = %lf nm", &n,
                          &r[i - 1].x, &r[i - 1].y, &length, &m, &d),
              6);
    EXPECT_EQ(n * 10 + m, i * 11) << line;
    const std::string vector = line.substr(0, line.find("  d")); // x, y, length: 3 decimals each
    int points = 0;
    for (std::size_t p = vector.find('.'); p != std::string::npos; p = vector.find('.', p + 1)) {
      ++points;
      EXPECT_EQ(vector.find_first_not_of("0123456789", p + 1), p + 4) << line;
    }
    EXPECT_EQ(points, 3) << line;
    EXPECT_NEAR(length, std::hypot(r[i - 1].x, r[i - 1].y), 0.002) << line;
    EXPECT_NEAR(d, 20 / length, 1e-5) << line;
  }
  EXPECT_LT(std::hypot(r[2].x - r[0].x - r[1].x, r[2].y - r[0].y - r[1].y), 0.003);
  double a12 = 0, a23 = 0, a13 = 0;
  std::getline(lines, line);
  EXPECT_EQ(std::sscanf(line.c_str(), "<R1,R2> = %lf deg.  <R2,R3> = %lf deg.  <R1,R3> = %lf", &a12,
                        &a23, &a13),
            3);
  EXPECT_NEAR(a12, 90, 0.05);
  EXPECT_NEAR(a23, 45, 0.05);
  EXPECT_NEAR(a13, 45, 0.05);
  // d = (1e300 / 1e-300) / 40 overflows: said, exit 3, nothing written.
  const CliRun overflow = run({"measure", png, "--scale-bar", "1e-300", "1e300"});
  EXPECT_EQ(overflow.status, 3);
  EXPECT_EQ(overflow.out, "");
  EXPECT_EQ(overflow.err.rfind("spotindex-cli: measure: The scale bar and the lengths give "
                               "spacings too large",
                               0),
            0u)
      << overflow.err;
}

// The causes, each named: an unreadable or empty file and a centre off the picture give 2, a
// picture with a single spot (no lattice) gives 3; options that do not go together give 2.
TEST_F(PictureFolder, PictureFaultsNameTheirCause) {
  const std::string missing = (folder_ / "missing.png").string();
  const CliRun unreadable = run({"spots", missing});
  EXPECT_EQ(unreadable.status, 2);
  EXPECT_TRUE(contains(unreadable.err, "spots: cannot read the picture \"" + missing + "\""))
      << unreadable.err;
  const CliRun unmeasured =
      run({"index", "--phase", "Al", "--picture", missing, "--scale-bar", "5", "100"});
  EXPECT_EQ(unmeasured.status, 2);
  EXPECT_TRUE(contains(unmeasured.err, "index: cannot read the picture"));
  std::ofstream(folder_ / "empty.png").close();
  EXPECT_EQ(run({"spots", (folder_ / "empty.png").string()}).status, 2);

  PictureRecipe recipe;
  const std::string one = save(RenderPicture(recipe, {{300.5, 200.5, 100, 3}}), "one.png", false);
  EXPECT_EQ(run({"spots", one}).out.substr(0, 50),
            "one.png: 512 x 512 pixels, 1 spot, brightest first");
  // A PNG cut short is a picture of a known kind: the reader's own words say what is wrong.
  const fs::path cut = folder_ / "cut.png";
  fs::copy_file(one, cut);
  fs::resize_file(cut, fs::file_size(cut) / 2);
  const CliRun truncated = run({"spots", cut.string()});
  EXPECT_EQ(truncated.status, 2);
  EXPECT_TRUE(contains(truncated.err, "cut.png") &&
              !contains(truncated.err, "not a picture this program reads"))
      << truncated.err;
  const CliRun noLattice = run({"measure", one, "--scale-bar", "5", "100"});
  EXPECT_EQ(noLattice.status, 3);
  EXPECT_EQ(noLattice.err, "spotindex-cli: measure: \"one.png\": no lattice found: the picture "
                           "has fewer than two non-parallel spot vectors\n");
  const CliRun outside = run({"measure", one, "--scale-bar", "5", "100", "--centre", "600", "10"});
  EXPECT_EQ(outside.status, 2);
  EXPECT_TRUE(contains(outside.err, "--centre: \"one.png\": the centre (600, 10) lies outside "
                                    "the picture of 512 x 512 pixels"))
      << outside.err;

  // A PNG carries no calibration to stand for the scale bar.
  const CliRun uncalibrated = run({"measure", one});
  EXPECT_EQ(uncalibrated.status, 2);
  EXPECT_EQ(uncalibrated.err, "spotindex-cli: measure: \"one.png\": the picture carries no 1/nm "
                              "calibration: give --scale-bar VALUE LENGTH\n");
  EXPECT_EQ(run({"batch", "--phase", "Al", "--picture", one}).err,
            "spotindex-cli: batch: \"one.png\": the picture carries no 1/nm calibration: give "
            "--scale-bar VALUE LENGTH\n");
  EXPECT_EQ(run({"spots"}).err, "spotindex-cli: spots needs a PICTURE file\n");
  EXPECT_EQ(run({"index", "--phase", "Al", "--picture", one, "--scale-bar", "5", "100", "--angles",
                 "90", "45", "45"})
                .err,
            "spotindex-cli: --picture measures the lengths and angles: give it without --d, "
            "--lengths, --numbers and --angles\n");
  EXPECT_EQ(run({"index", "--phase", "Al", "--picture", one}).err,
            "spotindex-cli: index: \"one.png\": the picture carries no 1/nm calibration: give "
            "--scale-bar VALUE LENGTH\n");
  EXPECT_EQ(run({"index", "--phase", "Al", "--d", "0.2", "0.2", "0.14", "--angles", "90", "45",
                 "45", "--centre", "1", "2"})
                .err,
            "spotindex-cli: --centre needs --picture FILE\n");
  EXPECT_EQ(run({"spots", one, "--format", "tsv"}).err,
            "spotindex-cli: --format: \"tsv\" is not one of text, json\n");
}

// Face-centred cubic, a = 0.4 nm, zone [0 1 1]: the allowed (h k -k) with h, k all even or all
// odd, placed independently of the program: in the orthonormal frame e1 = [1 0 0],
// e2 = [0 1 -1] / sqrt 2 the reflection sits at (h / a, 2k / (a sqrt 2)) 1/nm; 12 px per 1/nm
// (scale bar 5 1/nm = 60 px). Indexing straight from the picture ranks a <0 1 1> zone first,
// every detected spot explained.
TEST_F(PictureFolder, IndexingFromThePictureRanksTheTrueZoneFirst) {
  PictureRecipe recipe;
  recipe.beamX = 255.3, recipe.beamY = 250.8;
  recipe.beamAmplitude = 1200;
  const double a = 0.4, scale = 12;
  const auto ex = ScreenVector(1, 23), ey = ScreenVector(1, 113);
  std::vector<TrueSpot> truth;
  for (int h = -12; h <= 12; ++h)
    for (int k = -12; k <= 12; ++k) {
      const bool allEven = h % 2 == 0 && k % 2 == 0, allOdd = h % 2 != 0 && k % 2 != 0;
      if ((h == 0 && k == 0) || !(allEven || allOdd)) continue;
      const double u = scale * h / a, v = scale * 2 * k / (a * std::sqrt(2.0));
      const double x = recipe.beamX + u * ex[0] + v * ey[0];
      const double y = recipe.beamY + u * ex[1] + v * ey[1];
      if (x > 3 && y > 3 && x < 508 && y < 508) truth.push_back({x, y, 60, 2.5});
    }
  const std::string path = save(RenderPicture(recipe, truth), "fcc011.png", false);
  std::vector<std::string> args = {
      "index", "--cell",    "0.4", "0.4",         "0.4", "90", "90",      "90", "--lattice",
      "F",     "--picture", path,  "--scale-bar", "5",   "60", "--range", "4",  "--group"};
  // The agreement of each family as a text table, then in JSON.
  const CliRun text = run(args);
  ASSERT_EQ(text.status, 0) << text.err;
  ExpectColumnsLineUp(text.out.substr(text.out.find('\n', text.out.find("Agreement with")) + 1));
  // The closing line counts the families tied at rank 1, and only a tie has one.
  const std::string table = text.out.substr(text.out.find("Agreement with"));
  std::size_t tied = 0;
  for (std::size_t at = table.find("\n    1  "); at != std::string::npos;
       at = table.find("\n    1  ", at + 1))
    ++tied;
  const std::string tie = "The first " + std::to_string(tied) + " families share rank 1";
  EXPECT_EQ(table.find(tied > 1 ? tie : "share rank 1") != std::string::npos, tied > 1) << table;
  args.insert(args.end(), {"--format", "json"});
  const CliRun index = run(args);
  ASSERT_EQ(index.status, 0) << index.err;
  const std::size_t first = index.out.find("{\"rank\": 1,");
  ASSERT_NE(first, std::string::npos) << index.out;
  const std::size_t axis = index.out.find("\"zone_axis\": [", first) + 14;
  std::array<int, 3> uvw{};
  std::istringstream(index.out.substr(axis)) >> uvw[0];
  const std::string rest = index.out.substr(index.out.find(',', axis) + 1);
  std::sscanf(rest.c_str(), " %d, %d", &uvw[1], &uvw[2]);
  for (int& i : uvw)
    i = std::abs(i);
  std::sort(uvw.begin(), uvw.end());
  EXPECT_EQ(uvw, (std::array<int, 3>{0, 1, 1})) << index.out.substr(first, 400);
  const std::size_t picture = index.out.find("\"picture\": {", first);
  const std::string agreement = index.out.substr(picture, index.out.find('}', picture) - picture);
  const auto count = [&](const std::string& key) {
    return std::stoi(agreement.substr(agreement.find(key) + key.size()));
  };
  EXPECT_EQ(count("\"explained\": "), count("\"detected\": "));
  EXPECT_GT(count("\"detected\": "), 40);
}

// A family's predicted spots lie on the side of the measured R2. The oblique cell a = 1, b = 1.3
// nm, γ = 75° has no mirror through R1: a* = 1/(a sin γ) and b* = 1/(b sin γ), 105° apart, at 50 px
// per 1/nm, with R2 up the screen (R1 x R2 < 0); the spots on the other side would miss by 77 px.
TEST(CliAgreement, PredictionsFollowTheSideOfR2) {
  const double s = 50 / std::sin(75 * M_PI / 180), turn = 105 * M_PI / 180;
  PictureMeasurement m;
  m.width = m.height = 120;
  m.fit.centreX = m.fit.centreY = 60;
  m.fit.r1 = {s, 0};
  m.fit.r2 = {s / 1.3 * std::cos(turn), -s / 1.3 * std::sin(turn)};
  for (int h = -3; h <= 3; ++h)
    for (int k = -3; k <= 3; ++k)
      if (h || k) m.spots.push_back({60 + h * s + k * m.fit.r2.x, 60 + k * m.fit.r2.y, 1, 1});
  m.boxes = BoxTexts::Initial();
  m.boxes[Box::ScaleBarValue] = "1", m.boxes[Box::ScaleBarLength] = "50";
  SolutionFamily f;
  f.g1 = {1, 0, 0}, f.g2 = {0, 1, 0};
  const PictureAgreement a =
      FamilyAgreements({f}, {1, 1.3, 1, 90, 90, 75, 0}, LatticeType::Primitive, m).at(0);
  EXPECT_GE(a.predicted, 5);
  EXPECT_EQ(a.matched, a.predicted);
}

// batch --picture ranks phases by their agreement with the picture before their score. A square
// lattice of 30 px at 12 px per 1/nm measures d = 0.4, 0.4, 0.2828 nm, 90, 45, 45 degrees; with
// tolerances 0.003, 0.05, 0.05 nm and 20 degrees these P1 cells (a, b; nm) score, by
// sqrt(mean of (deviation / tolerance)²):
//   A (0.4, 0.425)   0.2212: d2 +0.025, d3 +0.0084, two angles 1.74 off; along R2 each spot
//                    moves 30 (1 - 0.4 / 0.425) = 1.76 px, past the 6 px tolerance from |n2| = 4
//   B (0.402, 0.402) 0.2729: d1 +0.002; 0.15 px a step, every spot explained
//   C (0.4005, same) 0.0682: d1 +0.0005; 0.04 px a step
//   D (0.4, 0.4025)  0.0222: d2 +0.0025; 0.19 px a step along R2, every spot explained
// So by score A before B and D before C; by the picture B (more explained) before A, and C (the
// same explained, a smaller RMS) before D. Each pair is given in its score order.
TEST_F(PictureFolder, BatchRanksPhasesByTheirAgreementBeforeTheirScore) {
  PictureRecipe recipe;
  recipe.beamAmplitude = 1200;
  const auto lattice =
      spot::testing::LatticeSpots(recipe, ScreenVector(30, 17), ScreenVector(30, 107), 3);
  const std::string picture = save(RenderPicture(recipe, lattice), "square.png", false);
  const auto cif = [&](const std::string& name, const std::string& a, const std::string& b) {
    const std::string file = (folder_ / (name + ".cif")).string();
    std::ofstream(file) << "data_" << name << "\n_cell_length_a " << a << "\n_cell_length_b " << b
                        << "\n_cell_length_c 2\n_cell_angle_alpha 90\n_cell_angle_beta 90\n"
                           "_cell_angle_gamma 90\n_symmetry_space_group_name_H-M 'P 1'\n";
    return file;
  };
  struct Pair {
    std::string first, a1, b1, second, a2, b2; // names and cells (Angstrom), in score order
  };
  for (const Pair& p : {Pair{"A", "4", "4.25", "B", "4.02", "4.02"},
                        Pair{"D", "4", "4.025", "C", "4.005", "4.005"}}) {
    std::vector<std::string> args = {"--record", "1",           "--group", "--format",
                                     "json",     "--d-tol",     "0.003",   "0.05",
                                     "0.05",     "--angle-tol", "20"};
    args.insert(args.begin(),
                {"batch", "--cif", cif(p.first, p.a1, p.b1), "--cif", cif(p.second, p.a2, p.b2)});
    const auto ranksFirst = [&](std::vector<std::string> more) {
      more.insert(more.begin(), args.begin(), args.end());
      const CliRun r = run(more);
      EXPECT_EQ(r.status, 0) << r.err;
      const std::string ranking = r.out.substr(r.out.find("\"ranking\""));
      for (const std::string& name : {p.first, p.second})
        EXPECT_NE(ranking.find("\"name\": \"" + name + "\""), std::string::npos) << ranking;
      return ranking.substr(ranking.find("\"name\": \"") + 9, 1);
    };
    EXPECT_EQ(ranksFirst({"--d", "0.4", "0.4", "0.2828427", "--angles", "90", "45", "45"}),
              p.first);
    EXPECT_EQ(ranksFirst({"--picture", picture, "--scale-bar", "5", "60"}), p.second);
  }
  // Indexed alone, D's two mirror families, R1 along (1 0 0) and R2 along (0 1 0) or (0 -1 0),
  // agree with the picture alike and score alike: they share rank 1.
  const CliRun d =
      run({"index", "--cif", cif("D", "4", "4.025"), "--picture", picture, "--scale-bar", "5", "60",
           "--group", "--d-tol", "0.003", "0.05", "0.05", "--angle-tol", "20"});
  EXPECT_TRUE(contains(d.out, "\nThe first 2 families share rank 1")) << d.out;
}

} // namespace
} // namespace spot::cli
