// Fuzzes spot finding and the pattern fit on small grey pictures: the first bytes give the size
// (up to 64 x 64), the depth and an optional centre, the rest the grey values, repeated to fill
// the picture. Spots lie on the picture, are finite and brightest first; a fit has R3 = R1 + R2,
// its centre on the picture and two non-parallel vectors; a fault comes with a message.
#include <cmath>
#include <optional>

#include "fuzz_check.hpp"
#include "picture/pattern_fit.hpp"
#include "picture/spot_finder.hpp"

namespace {

using namespace spot;

constexpr int kLargestSide = 64;
constexpr std::size_t kHeaderBytes = 5;

std::string describe(const Vec2& v) { return std::to_string(v.x) + ", " + std::to_string(v.y); }

bool onPicture(double x, double y, int width, int height) {
  return x >= -0.5 && x <= width - 0.5 && y >= -0.5 && y <= height - 0.5;
}

void checkSpots(const std::vector<Spot>& spots, int width, int height, const SpotFinding& o) {
  for (std::size_t i = 0; i < spots.size(); ++i) {
    const Spot& s = spots[i];
    const std::string note = "spot " + std::to_string(i) + " at " + std::to_string(s.x) + ", " +
                             std::to_string(s.y) + ", intensity " + std::to_string(s.intensity) +
                             ", width " + std::to_string(s.width);
    FUZZ_CHECK(std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.intensity) &&
                   std::isfinite(s.width),
               note);
    FUZZ_CHECK(onPicture(s.x, s.y, width, height), note);
    FUZZ_CHECK(s.intensity > 0, note);
    FUZZ_CHECK(s.width >= o.minWidth && s.width <= o.maxWidth, note);
    if (i > 0) FUZZ_CHECK(spots[i - 1].intensity >= s.intensity, "brightest first: " + note);
  }
}

void checkFit(const PatternFitOutcome& outcome, std::size_t spotCount, int width, int height) {
  if (!outcome.fit) {
    FUZZ_CHECK(outcome.fault.has_value() && !outcome.message.empty(), "a fault says why");
    return;
  }
  FUZZ_CHECK(!outcome.fault && outcome.message.empty(), "a fit comes without a fault");
  const PatternFit& f = *outcome.fit;
  const std::string note = "centre " + std::to_string(f.centreX) + ", " +
                           std::to_string(f.centreY) + "; r1 " + describe(f.r1) + "; r2 " +
                           describe(f.r2) + "; r3 " + describe(f.r3);
  for (double v : {f.centreX, f.centreY, f.r1.x, f.r1.y, f.r2.x, f.r2.y, f.r3.x, f.r3.y})
    FUZZ_CHECK(std::isfinite(v), note);
  FUZZ_CHECK(onPicture(f.centreX, f.centreY, width, height), note);
  FUZZ_CHECK(f.r3.x == f.r1.x + f.r2.x && f.r3.y == f.r1.y + f.r2.y, "R3 = R1 + R2: " + note);
  const double cross = f.r1.x * f.r2.y - f.r1.y * f.r2.x;
  const double l1 = std::hypot(f.r1.x, f.r1.y), l2 = std::hypot(f.r2.x, f.r2.y);
  FUZZ_CHECK(l1 > 0 && l2 > 0 && std::fabs(cross) > 1e-9 * l1 * l2, "not parallel: " + note);
  // R1 is the shortest, within the 1 % by which ties are broken; R2 makes at least 90 degrees
  // with it, where the fit counts 89.7 degrees and more as right (cos 89.7 = 0.00524).
  FUZZ_CHECK(l1 <= l2 * 1.01 + 1e-12, "R1 the shorter: " + note);
  FUZZ_CHECK(f.r1.x * f.r2.x + f.r1.y * f.r2.y <= 0.00524 * l1 * l2,
             "R1, R2 at 90 or more: " + note);
  FUZZ_CHECK(f.spotsUsed >= 3 && static_cast<std::size_t>(f.spotsUsed) <= spotCount, note);
  FUZZ_CHECK(std::isfinite(f.residualPx) && f.residualPx >= 0, note);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderBytes) return 0;
  const int width = 1 + data[0] % kLargestSide;
  const int height = 1 + data[1] % kLargestSide;
  const bool deep = data[2] & 1;       // 16-bit values from byte pairs, else 8-bit
  const bool giveCentre = data[2] & 2; // a centre from bytes 3 and 4, up to 4 px off the picture
  const std::optional<Vec2> centre =
      giveCentre ? std::optional<Vec2>(Vec2{data[3] % (width + 8) - 4.0 + (data[2] >> 2) / 64.0,
                                            data[4] % (height + 8) - 4.0})
                 : std::nullopt;
  const std::uint8_t* values = data + kHeaderBytes;
  const std::size_t count = size - kHeaderBytes;
  const std::size_t step = deep ? 2 : 1;

  GreyImage image(width, height);
  if (count >= step)
    for (std::size_t i = 0; i < image.values.size(); ++i) {
      const std::size_t at = (i * step) % (count - count % step);
      image.values[i] = deep ? static_cast<float>(values[at] | values[at + 1] << 8) : values[at];
    }

  const SpotFinding options;
  const std::vector<Spot> spots = FindSpots(image, options);
  checkSpots(spots, width, height, options);

  const PatternFitOutcome outcome = FitPattern(spots, width, height, centre);
  if (centre && !onPicture(centre->x, centre->y, width, height)) {
    FUZZ_CHECK(outcome.fault == PatternFitFault::CentreOutside && !outcome.message.empty(),
               "a centre off the picture is refused: " + describe(*centre));
    return 0;
  }
  checkFit(outcome, spots.size(), width, height);
  return 0;
}
