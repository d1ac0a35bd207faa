// Spot finding in four steps: the background and the noise; candidates where the lightly smoothed
// picture peaks above the background; saturated plateaus, kept when round; and a Gaussian fit on
// a local plane at each candidate, kept when the peak is a Gaussian one.
#include "picture/spot_finder.hpp"

#include <algorithm>
#include <array>
#include <cmath> // for exp, sqrt, floor, ceil, log, isfinite, hypot
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numbers>

namespace spot {
namespace {

// BACKGROUND

// Block means of kBlock x kBlock pixels, opened with a square of (2 kOpeningRadius + 1) blocks:
// everything narrower than 72 px (every spot, and the direct beam's plateau) is taken away, while
// slopes and the diffuse fall-off around the centre stay.
constexpr int kBlock = 8;
constexpr int kOpeningRadius = 4;

// A saturated plateau of at least this many pixels has a shape to judge; from kLargePlateau
// on it is centred on itself.
constexpr std::size_t kJudgedPlateau = 12;
constexpr double kLargePlateau = 30;

// Min or max over a square of radius r on a grid, one direction at a time.
void filterGrid(std::vector<float>& grid, int gw, int gh, int r, bool takeMin) {
  std::vector<float> line;
  const auto pass = [&](int count, int length, auto at) {
    line.resize(static_cast<std::size_t>(length));
    for (int i = 0; i < count; ++i) {
      for (int j = 0; j < length; ++j)
        line[static_cast<std::size_t>(j)] = at(i, j);
      for (int j = 0; j < length; ++j) {
        float extreme = line[static_cast<std::size_t>(j)];
        for (int k = std::max(0, j - r); k <= std::min(length - 1, j + r); ++k)
          extreme = takeMin ? std::min(extreme, line[static_cast<std::size_t>(k)])
                            : std::max(extreme, line[static_cast<std::size_t>(k)]);
        at(i, j) = extreme;
      }
    }
  };
  const auto cell = [&](int x, int y) -> float& {
    return grid[static_cast<std::size_t>(y) * static_cast<std::size_t>(gw) +
                static_cast<std::size_t>(x)];
  };
  // The lambdas write back through the reference after reading the whole line first.
  pass(gh, gw, [&](int y, int x) -> float& { return cell(x, y); });
  pass(gw, gh, [&](int x, int y) -> float& { return cell(x, y); });
}

GreyImage backgroundOf(const GreyImage& image) {
  const int w = image.width, h = image.height;
  const int gw = (w + kBlock - 1) / kBlock, gh = (h + kBlock - 1) / kBlock;
  std::vector<float> grid(static_cast<std::size_t>(gw) * static_cast<std::size_t>(gh));
  std::vector<double> sums(static_cast<std::size_t>(gw));
  for (int by = 0; by < gh; ++by) {
    std::fill(sums.begin(), sums.end(), 0.0);
    const int y1 = std::min(h, (by + 1) * kBlock);
    for (int y = by * kBlock; y < y1; ++y) {
      const float* row = &image.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)];
      for (int x = 0; x < w; ++x)
        sums[static_cast<std::size_t>(x / kBlock)] += row[x];
    }
    for (int bx = 0; bx < gw; ++bx) {
      const int count = (std::min(w, (bx + 1) * kBlock) - bx * kBlock) * (y1 - by * kBlock);
      grid[static_cast<std::size_t>(by) * static_cast<std::size_t>(gw) +
           static_cast<std::size_t>(bx)] =
          static_cast<float>(sums[static_cast<std::size_t>(bx)] / count);
    }
  }
  filterGrid(grid, gw, gh, kOpeningRadius, true);
  filterGrid(grid, gw, gh, kOpeningRadius, false);

  // Bilinear between block centres; beyond the outer centres the edge value holds.
  GreyImage background(w, h);
  std::vector<int> x0(static_cast<std::size_t>(w));
  std::vector<float> tx(static_cast<std::size_t>(w));
  const auto place = [](int p, int cells, int& i0, float& t) {
    const double g = (p + 0.5) / kBlock - 0.5;
    if (g <= 0 || cells == 1) {
      i0 = 0, t = 0;
    } else if (g >= cells - 1) {
      i0 = cells - 2, t = 1;
    } else {
      i0 = static_cast<int>(g);
      t = static_cast<float>(g - i0);
    }
  };
  for (int x = 0; x < w; ++x)
    place(x, gw, x0[static_cast<std::size_t>(x)], tx[static_cast<std::size_t>(x)]);
  std::vector<float> gridRow(static_cast<std::size_t>(gw));
  for (int y = 0; y < h; ++y) {
    int j0 = 0;
    float ty = 0;
    place(y, gh, j0, ty);
    const int j1 = std::min(j0 + 1, gh - 1);
    for (int i = 0; i < gw; ++i) {
      const float a = grid[static_cast<std::size_t>(j0) * static_cast<std::size_t>(gw) +
                           static_cast<std::size_t>(i)];
      const float b = grid[static_cast<std::size_t>(j1) * static_cast<std::size_t>(gw) +
                           static_cast<std::size_t>(i)];
      gridRow[static_cast<std::size_t>(i)] = a + (b - a) * ty;
    }
    float* out = &background.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)];
    for (int x = 0; x < w; ++x) {
      const int i0 = x0[static_cast<std::size_t>(x)];
      const int i1 = std::min(i0 + 1, gw - 1);
      const float t = tx[static_cast<std::size_t>(x)];
      out[x] = gridRow[static_cast<std::size_t>(i0)] +
               (gridRow[static_cast<std::size_t>(i1)] - gridRow[static_cast<std::size_t>(i0)]) * t;
    }
  }
  return background;
}

// Noise sigma from the differences of neighbouring pixels, which a smooth background and the
// broad spots hardly touch: the median absolute difference is 0.6745 sqrt(2) sigma for Gaussian
// noise. Pairs with a saturated pixel are left out; rows are sampled on large pictures.
double noiseOf(const GreyImage& image, float saturation, bool hasSaturation) {
  const int w = image.width, h = image.height;
  const int step = std::max(1, static_cast<int>((static_cast<long long>(w) * h) / 250000));
  std::vector<float> differences;
  differences.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h / step + 1));
  for (int y = 0; y < h; y += step) {
    const float* row = &image.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)];
    for (int x = 0; x + 1 < w; ++x) {
      if (hasSaturation && (row[x] >= saturation || row[x + 1] >= saturation)) continue;
      differences.push_back(std::fabs(row[x + 1] - row[x]));
    }
  }
  if (differences.empty()) return 0;
  const auto middle = differences.begin() + static_cast<std::ptrdiff_t>(differences.size() / 2);
  std::nth_element(differences.begin(), middle, differences.end());
  double sigma = *middle / (0.6745 * std::numbers::sqrt2);
  if (sigma == 0) { // noise below the grey step: the mean difference still tells its size
    double sum = 0;
    for (float d : differences)
      sum += d;
    sigma = sum / static_cast<double>(differences.size()) * std::sqrt(std::numbers::pi) / 2;
  }
  return sigma;
}

// SMOOTHING

// The binomial kernel 1 4 6 4 1 (sigma 1 px) along rows, then columns; edges repeat the last
// pixel. It lowers white noise to 0.2734 of its sigma.
constexpr double kSmoothedNoise = 70.0 / 256.0;

// Columns first, straight into the result; then each row through one row's buffer, so that
// the picture's size is allocated once.
std::vector<float> smoothed(const GreyImage& image) {
  const int w = image.width, h = image.height;
  std::vector<float> result(image.values.size());
  const auto clampIndex = [](int i, int n) { return std::clamp(i, 0, n - 1); };
  for (int y = 0; y < h; ++y) {
    const float* r[5];
    for (int k = 0; k < 5; ++k)
      r[k] = &image.values[static_cast<std::size_t>(clampIndex(y + k - 2, h)) *
                           static_cast<std::size_t>(w)];
    float* out = &result[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)];
    for (int x = 0; x < w; ++x)
      out[x] = (r[0][x] + r[4][x] + 4 * (r[1][x] + r[3][x]) + 6 * r[2][x]) / 16;
  }
  std::vector<float> row(static_cast<std::size_t>(w));
  for (int y = 0; y < h; ++y) {
    float* out = &result[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)];
    std::copy(out, out + w, row.begin());
    const float* in = row.data();
    for (int x = 0; x < w; ++x) {
      if (x >= 2 && x + 2 < w) {
        out[x] = (in[x - 2] + in[x + 2] + 4 * (in[x - 1] + in[x + 1]) + 6 * in[x]) / 16;
      } else {
        out[x] = (in[clampIndex(x - 2, w)] + in[clampIndex(x + 2, w)] +
                  4 * (in[clampIndex(x - 1, w)] + in[clampIndex(x + 1, w)]) + 6 * in[x]) /
                 16;
      }
    }
  }
  return result;
}

// GAUSSIAN FIT

// f = A exp(-((x - x0)² + (y - y0)²) / (2 s²)) + b0 + bx (x - cx) + by (y - cy) over the pixels of
// a window, by Levenberg-Marquardt. The plane takes up what the background estimate left of a
// slope under the spot, which would otherwise pull the centre uphill.
enum Parameter { kA, kX0, kY0, kS, kB0, kBx, kBy, kParameterCount };
using Parameters = std::array<double, kParameterCount>;

constexpr int kMaxWindow = 40; // px, the largest window radius

struct Window {
  int cx = 0, cy = 0, radius = 0;
  std::vector<float> x, y, v; // pixel positions relative to (cx, cy), values above background
  std::vector<float> cx_, cy_, atLeast; // the same for saturated pixels
  float highest = 0;                    // the largest value above background, saturated or not

  // How far a fitted peak of height a may be trusted: a fit through saturated pixels can put
  // its top anywhere above them.
  double seenPeak(double a) const { return std::min(a, static_cast<double>(highest)); }
};

struct Fit {
  Parameters p{};
  double rms = 0; // root mean square residual
  bool ok = false;
};

// The misfit at p with its gradient terms: J^T J and J^T r over the window. A saturated pixel
// only says that the spot reached at least its value there: it adds to the misfit only where
// the model stays below it. Only the lower triangle of J^T J is summed.
struct Evaluation {
  double chi = 0;
  std::array<std::array<double, kParameterCount>, kParameterCount> jtj{};
  Parameters jtr{};
};

Evaluation evaluate(const Window& w, const Parameters& p) {
  Evaluation e;
  const double s2 = p[kS] * p[kS];
  const double k = -0.5 / s2;
  // Pixels sit on whole offsets from the window's centre, and the Gaussian is a product of one
  // factor along x and one along y: 2 (2r + 1) exponentials instead of one per pixel.
  std::array<double, 2 * kMaxWindow + 1> along{}, down{};
  for (int i = -w.radius; i <= w.radius; ++i) {
    along[static_cast<std::size_t>(i + w.radius)] = std::exp(k * (i - p[kX0]) * (i - p[kX0]));
    down[static_cast<std::size_t>(i + w.radius)] = std::exp(k * (i - p[kY0]) * (i - p[kY0]));
  }
  const auto add = [&](double x, double y, double value, bool atLeast) {
    const double dx = x - p[kX0], dy = y - p[kY0];
    const double r2 = dx * dx + dy * dy;
    const double g = along[static_cast<std::size_t>(static_cast<int>(x) + w.radius)] *
                     down[static_cast<std::size_t>(static_cast<int>(y) + w.radius)];
    const double ag = p[kA] * g;
    const double residual = value - (ag + p[kB0] + p[kBx] * x + p[kBy] * y);
    if (atLeast && residual <= 0) return;
    e.chi += residual * residual;
    const Parameters j = {g, ag * dx / s2, ag * dy / s2, ag * r2 / (s2 * p[kS]), 1.0, x, y};
    for (int a = 0; a < kParameterCount; ++a) {
      e.jtr[a] += j[a] * residual;
      for (int b = 0; b <= a; ++b)
        e.jtj[a][b] += j[a] * j[b];
    }
  };
  for (std::size_t i = 0; i < w.v.size(); ++i)
    add(w.x[i], w.y[i], w.v[i], false);
  for (std::size_t i = 0; i < w.atLeast.size(); ++i)
    add(w.cx_[i], w.cy_[i], w.atLeast[i], true);
  return e;
}

// Solves h d = g in place for h symmetric positive definite, of which only the lower triangle
// is read, by Cholesky (h = L L^T, L written over it); false when h is not positive definite.
bool solve(std::array<std::array<double, kParameterCount>, kParameterCount>& h, Parameters& g) {
  constexpr int n = kParameterCount;
  for (int c = 0; c < n; ++c) {
    double d = h[c][c];
    for (int k = 0; k < c; ++k)
      d -= h[c][k] * h[c][k];
    if (!(d > 0)) return false;
    h[c][c] = std::sqrt(d);
    for (int r = c + 1; r < n; ++r) {
      double s = h[r][c];
      for (int k = 0; k < c; ++k)
        s -= h[r][k] * h[c][k];
      h[r][c] = s / h[c][c];
    }
  }
  for (int c = 0; c < n; ++c) { // L y = g
    for (int k = 0; k < c; ++k)
      g[c] -= h[c][k] * g[k];
    g[c] /= h[c][c];
  }
  for (int c = n - 1; c >= 0; --c) { // L^T d = y
    for (int k = c + 1; k < n; ++k)
      g[c] -= h[k][c] * g[k];
    g[c] /= h[c][c];
  }
  return true;
}

Fit fitGaussian(const Window& w, Parameters p) {
  Fit fit;
  if (w.v.size() < 2 * kParameterCount) return fit;
  Evaluation current = evaluate(w, p);
  double lambda = 1e-3;
  for (int iteration = 0; iteration < 30; ++iteration) {
    bool improved = false;
    Parameters step{};
    while (lambda < 1e10) {
      auto h = current.jtj;
      for (int a = 0; a < kParameterCount; ++a)
        h[a][a] *= 1 + lambda;
      step = current.jtr;
      if (!solve(h, step)) {
        lambda *= 10;
        continue;
      }
      Parameters trial = p;
      for (int a = 0; a < kParameterCount; ++a)
        trial[a] += step[a];
      if (!(trial[kS] > 0.2) || !(trial[kS] < 100)) {
        lambda *= 10;
        continue;
      }
      Evaluation next = evaluate(w, trial);
      if (next.chi <= current.chi) {
        p = trial;
        current = next;
        lambda = std::max(lambda / 10, 1e-7);
        improved = true;
        break;
      }
      lambda *= 10;
    }
    if (!improved) break;
    if (std::fabs(step[kX0]) < 1e-3 && std::fabs(step[kY0]) < 1e-3 && std::fabs(step[kS]) < 1e-3)
      break;
  }
  fit.p = p;
  fit.rms = std::sqrt(current.chi / static_cast<double>(w.v.size() + w.atLeast.size()));
  fit.ok = std::isfinite(fit.rms);
  for (double value : p)
    fit.ok = fit.ok && std::isfinite(value);
  return fit;
}

// SHAPE TESTS

// A fit may miss the data by this fraction of its peak beyond the noise: spots are not quite
// Gaussian in real pictures, but letters miss by more.
constexpr double kShapeMisfit = 0.03;

// The background estimate lies under the picture nearly everywhere; pixels far below it mean the
// window reaches over a dark mark (a box behind burnt-in text) whose edge can pass for a peak.
bool cleanSurroundings(const Window& w, double noise) {
  std::size_t below = 0;
  for (float v : w.v)
    below += v < -3 * noise;
  return below * 20 <= w.v.size(); // at most 5 %
}

// A spot is round: the second moments of what stands above the fitted plane near the centre
// differ by at most 2.5 : 1 between the directions, more for weak peaks, whose moments noise
// makes uneven. Letter strokes and the edges of marks are long and thin.
bool round(const Window& w, const Fit& fit, double noise) {
  const Parameters& p = fit.p;
  const double limit = 2.5 + 25 * noise / p[kA];
  const double reach = 3 * p[kS];
  double sw = 0, sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < w.v.size(); ++i) {
    const double dx = w.x[i] - p[kX0], dy = w.y[i] - p[kY0];
    if (dx * dx + dy * dy > reach * reach) continue;
    const double above = w.v[i] - (p[kB0] + p[kBx] * w.x[i] + p[kBy] * w.y[i]);
    if (above <= 0) continue;
    sw += above, sxx += above * dx * dx, syy += above * dy * dy, sxy += above * dx * dy;
  }
  if (!(sw > 0)) return false;
  sxx /= sw, syy /= sw, sxy /= sw;
  const double mean = (sxx + syy) / 2;
  const double spread = std::sqrt((sxx - syy) * (sxx - syy) / 4 + sxy * sxy);
  return mean + spread <= limit * (mean - spread);
}

// CANDIDATES

struct Candidate {
  int x = 0, y = 0;
  float height = 0; // smoothed picture above background
};

// Candidates sorted into square cells, to find those near a window quickly.
class CandidateCells {
public:
  static constexpr int kCell = 32;
  CandidateCells(const std::vector<Candidate>& candidates, int width, int height)
      : columns_(width / kCell + 1), rows_(height / kCell + 1),
        cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)) {
    for (std::size_t i = 0; i < candidates.size(); ++i)
      cells_[cellOf(candidates[i].x, candidates[i].y)].push_back(i);
  }
  template <class F> void near(int x, int y, int radius, F f) const {
    const int c0 = std::max(0, (x - radius) / kCell),
              c1 = std::min(columns_ - 1, (x + radius) / kCell);
    const int r0 = std::max(0, (y - radius) / kCell),
              r1 = std::min(rows_ - 1, (y + radius) / kCell);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c)
        for (std::size_t i :
             cells_[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) +
                    static_cast<std::size_t>(c)])
          f(i);
  }

private:
  std::size_t cellOf(int x, int y) const {
    return static_cast<std::size_t>(y / kCell) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(x / kCell);
  }
  int columns_, rows_;
  std::vector<std::vector<std::size_t>> cells_;
};

// Width of the peak at (x, y) of the smoothed picture from the curvature of its logarithm,
// less the smoothing kernel's own sigma of 1 px; 2 px when the neighbours do not allow it.
double widthAt(const std::vector<float>& excess, int w, int h, int x, int y) {
  const auto at = [&](int px, int py) {
    return excess[static_cast<std::size_t>(std::clamp(py, 0, h - 1)) * static_cast<std::size_t>(w) +
                  static_cast<std::size_t>(std::clamp(px, 0, w - 1))];
  };
  const double c = at(x, y);
  double total = 0;
  int count = 0;
  for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
    const double a = at(x - dx, y - dy), b = at(x + dx, y + dy);
    if (!(a > 0 && b > 0 && c > 0)) continue;
    const double curvature = 2 * std::log(c) - std::log(a) - std::log(b);
    if (curvature > 1e-3) {
      total += 1 / curvature;
      ++count;
    }
  }
  if (count == 0) return 2;
  return std::sqrt(std::max(total / count - 1, 0.5));
}

bool stopped(const SpotFinding& options) {
  return options.stop != nullptr && options.stop->load(std::memory_order_relaxed);
}

} // namespace

std::vector<Spot> FindSpots(const GreyImage& input, const SpotFinding& options) {
  const int w = input.width, h = input.height;
  if (w < 3 || h < 3 ||
      input.values.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
    return {};

  // Values that are not numbers (float data) count as the lowest finite value.
  float lowest = std::numeric_limits<float>::infinity(), highest = -lowest;
  bool notNumber = false;
  for (float v : input.values) {
    lowest = v < lowest ? v : lowest; // a NaN compares false and is passed over
    highest = v > highest ? v : highest;
    notNumber |= v != v;
  }
  const bool allFinite = !notNumber && std::isfinite(lowest) && std::isfinite(highest);
  if (!allFinite) {
    lowest = std::numeric_limits<float>::infinity(), highest = -lowest;
    for (float v : input.values)
      if (std::isfinite(v)) lowest = std::min(lowest, v), highest = std::max(highest, v);
  }
  if (!(highest > lowest)) return {}; // constant, or nothing finite
  GreyImage cleaned;
  if (!allFinite) {
    cleaned = input;
    for (float& v : cleaned.values)
      if (!std::isfinite(v)) v = lowest;
  }
  const GreyImage& image = allFinite ? input : cleaned;
  const std::size_t pixelCount = image.values.size();
  const auto index = [w](int x, int y) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
  };

  // Saturation: the highest value, when at least two pixels hold it. Saturated pixels say only
  // that the picture was brighter there; fits leave them out.
  std::vector<std::uint8_t> saturated(pixelCount, 0);
  std::size_t atHighest = 0;
  for (float v : image.values)
    atHighest += v >= highest;
  bool hasSaturation = false;
  struct Plateau {
    std::vector<std::size_t> pixels;
  };
  std::vector<Plateau> plateaus;
  if (atHighest >= 2) {
    std::vector<std::size_t> stack;
    for (std::size_t start = 0; start < pixelCount; ++start) {
      // The saturation marks double as the marks of pixels already visited.
      if (saturated[start] || image.values[start] < highest) continue;
      Plateau plateau;
      stack.assign(1, start);
      saturated[start] = 1;
      while (!stack.empty()) {
        const std::size_t p = stack.back();
        stack.pop_back();
        plateau.pixels.push_back(p);
        const int px = static_cast<int>(p % static_cast<std::size_t>(w));
        const int py = static_cast<int>(p / static_cast<std::size_t>(w));
        // Pixels up to two apart join: noise can cut one spot's plateau into pieces.
        for (int dy = -2; dy <= 2; ++dy)
          for (int dx = -2; dx <= 2; ++dx) {
            const int nx = px + dx, ny = py + dy;
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
            const std::size_t n = index(nx, ny);
            if (saturated[n] || image.values[n] < highest) continue;
            saturated[n] = 1;
            stack.push_back(n);
          }
      }
      // Value 1: saturated; 2: also on a plateau large enough to judge by its shape, which is
      // a spot of its own or no spot at all. A few saturated pixels are left to the fits.
      const bool large = plateau.pixels.size() >= kJudgedPlateau;
      for (std::size_t p : plateau.pixels)
        saturated[p] = large ? 2 : 1;
      hasSaturation = true;
      if (large) plateaus.push_back(std::move(plateau));
    }
  }
  if (stopped(options)) return {};

  const GreyImage background = backgroundOf(image);
  double noise = noiseOf(image, highest, hasSaturation);
  noise = std::max(noise, 1e-6 * (static_cast<double>(highest) - lowest));
  if (stopped(options)) return {};

  // Candidates: local maxima over 5 x 5 pixels of the smoothed picture above the background.
  std::vector<float> excess = smoothed(image);
  for (std::size_t i = 0; i < pixelCount; ++i)
    excess[i] -= background.values[i];
  if (stopped(options)) return {};
  const float threshold = static_cast<float>(options.candidateSigmas * kSmoothedNoise * noise);
  std::vector<Candidate> candidates;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const float e = excess[index(x, y)];
      if (!(e > threshold) || saturated[index(x, y)] == 2) continue;
      bool isMaximum = true;
      for (int dy = -2; dy <= 2 && isMaximum; ++dy) {
        const int ny = y + dy;
        if (ny < 0 || ny >= h) continue;
        for (int dx = -2; dx <= 2; ++dx) {
          const int nx = x + dx;
          if (nx < 0 || nx >= w || (dx == 0 && dy == 0)) continue;
          const float n = excess[index(nx, ny)];
          // Equal heights: the first in reading order is the maximum.
          if (n > e || (n == e && (dy < 0 || (dy == 0 && dx < 0)))) {
            isMaximum = false;
            break;
          }
        }
      }
      if (isMaximum) candidates.push_back({x, y, e});
    }
  }
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    return a.height != b.height ? a.height > b.height : (a.y != b.y ? a.y < b.y : a.x < b.x);
  });
  if (candidates.size() > static_cast<std::size_t>(std::max(0, options.maxCandidates)))
    candidates.resize(static_cast<std::size_t>(std::max(0, options.maxCandidates)));
  const CandidateCells cells(candidates, w, h);

  std::vector<Spot> spots;

  // The pixels of a window around (cx, cy) of radius r, above the background, without those
  // nearer to another candidate than to this one; candidates within `own` of (cx, cy) belong to
  // the same spot. Saturated pixels are kept apart as lower bounds.
  const auto windowAt = [&](int cx, int cy, int r, double own) {
    Window window;
    r = std::min(r, kMaxWindow);
    window.cx = cx, window.cy = cy, window.radius = r;
    std::vector<std::pair<int, int>> others;
    cells.near(cx, cy, 2 * r + 2, [&](std::size_t i) {
      const double dx = candidates[i].x - cx, dy = candidates[i].y - cy;
      if (dx * dx + dy * dy > own * own) others.emplace_back(candidates[i].x, candidates[i].y);
    });
    for (int y = std::max(0, cy - r); y <= std::min(h - 1, cy + r); ++y)
      for (int x = std::max(0, cx - r); x <= std::min(w - 1, cx + r); ++x) {
        const std::size_t i = index(x, y);
        const int own = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        if (own > r * r + r) continue; // a disc rather than a square
        bool nearerOther = false;
        for (const auto& [ox, oy] : others)
          if ((x - ox) * (x - ox) + (y - oy) * (y - oy) < own) {
            nearerOther = true;
            break;
          }
        if (nearerOther) continue;
        if (saturated[i]) {
          window.cx_.push_back(static_cast<float>(x - cx));
          window.cy_.push_back(static_cast<float>(y - cy));
          window.atLeast.push_back(highest - background.values[i]);
          window.highest = std::max(window.highest, window.atLeast.back());
          continue;
        }
        window.x.push_back(static_cast<float>(x - cx));
        window.y.push_back(static_cast<float>(y - cy));
        window.v.push_back(image.values[i] - background.values[i]);
        window.highest = std::max(window.highest, window.v.back());
      }
    return window;
  };

  // A spot stands above the picture around it, whatever the background estimate says: the
  // median of the smoothed picture on a ring three widths out lies at least half the
  // candidate's height below its peak. Next to a dark mark (a box behind burnt-in text) the
  // estimate dips and the flat picture beside the mark seems to stand out; the ring, mostly on
  // the flat side, tells.
  std::vector<float> ring;
  const auto standsAboveRing = [&](const Candidate& candidate, double width) {
    const double radius = std::max(4.0, 3 * width);
    const int reach = static_cast<int>(std::ceil(radius + 0.5));
    ring.clear();
    for (int y = std::max(0, candidate.y - reach); y <= std::min(h - 1, candidate.y + reach); ++y)
      for (int x = std::max(0, candidate.x - reach); x <= std::min(w - 1, candidate.x + reach);
           ++x) {
        const double d = std::hypot(x - candidate.x, y - candidate.y);
        if (std::fabs(d - radius) < 0.5)
          ring.push_back(excess[index(x, y)] + background.values[index(x, y)]);
      }
    if (ring.size() < 8) return true; // a corner: nothing to compare with
    const auto middle = ring.begin() + static_cast<std::ptrdiff_t>(ring.size() / 2);
    std::nth_element(ring.begin(), middle, ring.end());
    const std::size_t at = index(candidate.x, candidate.y);
    const double peak = excess[at] + background.values[at];
    return peak - *middle >= 0.5 * candidate.height;
  };

  std::vector<double> plateauReach; // candidates this near a plateau spot are on its wings
  // Saturated plateaus: a round one is a spot centred on the plateau; a long, hollow or ragged
  // one (a scale bar, burnt-in text) is not.
  for (const Plateau& plateau : plateaus) {
    double sx = 0, sy = 0;
    for (std::size_t p : plateau.pixels) {
      sx += static_cast<double>(p % static_cast<std::size_t>(w));
      sy += static_cast<double>(p / static_cast<std::size_t>(w));
    }
    const double n = static_cast<double>(plateau.pixels.size());
    double mx = sx / n, my = sy / n;
    double sxx = 0, syy = 0, sxy = 0;
    for (std::size_t p : plateau.pixels) {
      const double dx = static_cast<double>(p % static_cast<std::size_t>(w)) - mx;
      const double dy = static_cast<double>(p / static_cast<std::size_t>(w)) - my;
      sxx += dx * dx, syy += dy * dy, sxy += dx * dy;
    }
    // Second moments of a filled disc of radius R are R²/4 along every direction; a pixel adds
    // 1/12 of its own.
    sxx = sxx / n + 1.0 / 12, syy = syy / n + 1.0 / 12, sxy /= n;
    const double mean = (sxx + syy) / 2;
    const double spread = std::sqrt(std::max(0.0, (sxx - syy) * (sxx - syy) / 4 + sxy * sxy));
    const double major = mean + spread, minor = mean - spread;
    if (major > 4 * minor) continue;                                          // long
    if (n < 0.75 * 4 * std::numbers::pi * std::sqrt(major * minor)) continue; // hollow, ragged
    const double radius = std::sqrt(n / std::numbers::pi);
    // A spot's wings fall off smoothly: just outside the plateau the picture is still well
    // above the background; around sharp-edged marks it drops at once.
    const int cx = static_cast<int>(std::lround(mx)), cy = static_cast<int>(std::lround(my));
    const int reach = static_cast<int>(std::ceil(radius + 2.5));
    double ringSum = 0;
    int ringCount = 0;
    for (int y = std::max(0, cy - reach); y <= std::min(h - 1, cy + reach); ++y)
      for (int x = std::max(0, cx - reach); x <= std::min(w - 1, cx + reach); ++x) {
        const double r = std::sqrt((x - mx) * (x - mx) + (y - my) * (y - my));
        if (r <= radius + 0.5 || r > radius + 2.5 || saturated[index(x, y)]) continue;
        ringSum += image.values[index(x, y)] - background.values[index(x, y)];
        ++ringCount;
      }
    const double top = highest - background.values[index(cx, cy)];
    // Overexposure sets how steep the wings are: a spot k times the top, of width s, has a
    // plateau of radius R = s sqrt(2 ln k) and d px beyond it has fallen to k^-(2d/R + d²/R²) of
    // the top, for a narrow one below a tenth 2 px out. So the ring need only hold 3 noise sigmas
    // or what a spot 1000 times the top leaves, whichever is more (0.15 of the top at most);
    // around a step edge there is only noise.
    const double q = 1.5 / radius; // d / R at the ring's middle
    const double expected = std::max(3 * noise, top * std::pow(1000.0, -(2 * q + q * q)));
    if (ringCount == 0 || !(ringSum / ringCount > std::min(0.15 * top, expected))) continue;

    // Width and intensity from a Gaussian through the wings (the plateau left out).
    const int r = static_cast<int>(std::ceil(radius)) + 8;
    Window window = windowAt(cx, cy, r, radius + 3);
    // The wings must be a Gaussian's too: a blot of burnt-in letters can be round and filled.
    const auto accepted = [&](const Fit& f) {
      return f.ok && f.p[kS] < 4 * r && f.p[kS] > 0.5 && f.p[kS] >= options.minWidth &&
             std::hypot(f.p[kX0] + cx - mx, f.p[kY0] + cy - my) < radius + 1 &&
             f.rms <= 2 * noise + kShapeMisfit * window.seenPeak(f.p[kA]);
    };
    Fit fit = fitGaussian(window, {2.0 * top, mx - cx, my - cy, std::max(1.0, radius), 0, 0, 0});
    // A broad spot that barely saturates starts far too narrow from its small plateau, and the fit
    // can collapse onto a spike; the second try starts at the width the wings' fall-off shows,
    // from the top at the plateau's edge to the ring about 1.5 px beyond it.
    const double fallOff = top / (ringSum / ringCount);
    if (!accepted(fit) && fallOff > 1) {
      const double s2 =
          ((radius + 1.5) * (radius + 1.5) - radius * radius) / (2 * std::log(fallOff));
      fit = fitGaussian(window, {top * std::exp(radius * radius / (2 * s2)), mx - cx, my - cy,
                                 std::sqrt(s2), 0, 0, 0});
    }
    if (!accepted(fit)) continue;
    const double width = fit.p[kS];
    // A large plateau's edge is many pixels long and fixes its centre well; a small one is a few
    // noisy pixels, and the Gaussian through the wings does better.
    if (n < kLargePlateau) mx = fit.p[kX0] + cx, my = fit.p[kY0] + cy;
    const double extent = radius + 3 * width;
    double intensity = 0;
    const int e = static_cast<int>(std::ceil(extent));
    for (int y = std::max(0, cy - e); y <= std::min(h - 1, cy + e); ++y)
      for (int x = std::max(0, cx - e); x <= std::min(w - 1, cx + e); ++x)
        if ((x - mx) * (x - mx) + (y - my) * (y - my) <= extent * extent)
          intensity += image.values[index(x, y)] - background.values[index(x, y)];
    spots.push_back({mx, my, std::max(intensity, 0.0), width});
    plateauReach.push_back(radius + 2 * width);
  }
  const std::size_t plateauSpots = spots.size();

  for (std::size_t c = 0; c < candidates.size(); ++c) {
    if ((c & 63) == 0 && stopped(options)) return {};
    const Candidate& candidate = candidates[c];
    bool onWing = false;
    for (std::size_t p = 0; p < plateauReach.size(); ++p)
      onWing = onWing ||
               std::hypot(candidate.x - spots[p].x, candidate.y - spots[p].y) < plateauReach[p];
    if (onWing) continue;
    const double width = widthAt(excess, w, h, candidate.x, candidate.y);
    if (!standsAboveRing(candidate, width)) continue;
    const int r = std::clamp(static_cast<int>(std::ceil(2.5 * width + 1)), 4, 30);
    const Window window = windowAt(candidate.x, candidate.y, r, 2.5);

    // Start: the intensity-weighted centroid of what stands above the background near the peak.
    double sw = 0, swx = 0, swy = 0;
    const double near = 1.5 * width + 1;
    for (std::size_t i = 0; i < window.v.size(); ++i) {
      if (window.x[i] * window.x[i] + window.y[i] * window.y[i] > near * near) continue;
      const double weight = std::max(0.0f, window.v[i]);
      sw += weight, swx += weight * window.x[i], swy += weight * window.y[i];
    }
    const double startX = sw > 0 ? swx / sw : 0, startY = sw > 0 ? swy / sw : 0;
    const double peak = candidate.height * (width * width + 1) / (width * width);
    const Fit fit = fitGaussian(window, {peak, startX, startY, width, 0, 0, 0});
    if (!fit.ok) continue;
    const double a = fit.p[kA], s = fit.p[kS];
    const double x = candidate.x + fit.p[kX0], y = candidate.y + fit.p[kY0];
    if (!(a >= options.peakSigmas * noise)) continue;
    if (!(a * std::sqrt(std::numbers::pi) * s >= options.spotSigmas * noise)) continue;
    if (!(s >= options.minWidth && s <= options.maxWidth)) continue;
    if (std::hypot(fit.p[kX0], fit.p[kY0]) > std::max(2.0, s)) continue; // wandered off
    if (x < -0.5 || y < -0.5 || x > w - 0.5 || y > h - 0.5) continue;
    // A Gaussian peak leaves little more than noise behind (measured: at most 1.2 noise sigmas
    // on generated spots); letters and edges leave their shape, several sigmas.
    if (!(fit.rms <= 2 * noise + kShapeMisfit * window.seenPeak(a))) continue;
    if (!cleanSurroundings(window, noise) || !round(window, fit, noise)) continue;
    // Peaks in a row a few pixels apart are the edge of a mark or the strokes of letters: spots
    // stand apart by several widths. Two neighbours that close make it one of those.
    const double crowd = std::max(5.0, 3 * s);
    int neighbours = 0;
    cells.near(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)),
               static_cast<int>(std::ceil(crowd)), [&](std::size_t i) {
                 if (i == c) return;
                 const double dx = candidates[i].x - x, dy = candidates[i].y - y;
                 neighbours += dx * dx + dy * dy < crowd * crowd;
               });
    if (neighbours >= 2) continue;
    spots.push_back({x, y, 2 * std::numbers::pi * a * s * s, s});
  }
  if (stopped(options)) return {};

  // Two candidates of one spot (or a candidate on a plateau's wing) converge to one centre: the
  // plateau, then the brighter, is kept.
  std::stable_sort(spots.begin() + static_cast<std::ptrdiff_t>(plateauSpots), spots.end(),
                   [](const Spot& a, const Spot& b) { return a.intensity > b.intensity; });
  std::vector<Spot> kept;
  std::vector<Candidate> keptPlaces; // for finding kept spots near a new one
  std::vector<std::vector<std::size_t>> keptCells(
      static_cast<std::size_t>(w / CandidateCells::kCell + 1) *
      static_cast<std::size_t>(h / CandidateCells::kCell + 1));
  const auto cellOf = [&](double x, double y) {
    const int cx =
        std::clamp(static_cast<int>(x) / CandidateCells::kCell, 0, w / CandidateCells::kCell);
    const int cy =
        std::clamp(static_cast<int>(y) / CandidateCells::kCell, 0, h / CandidateCells::kCell);
    return std::pair{cx, cy};
  };
  for (const Spot& s : spots) {
    bool duplicate = false;
    const auto [cx, cy] = cellOf(s.x, s.y);
    for (int gy = std::max(0, cy - 1); gy <= std::min(h / CandidateCells::kCell, cy + 1); ++gy)
      for (int gx = std::max(0, cx - 1); gx <= std::min(w / CandidateCells::kCell, cx + 1); ++gx)
        for (std::size_t k : keptCells[static_cast<std::size_t>(gy) *
                                           static_cast<std::size_t>(w / CandidateCells::kCell + 1) +
                                       static_cast<std::size_t>(gx)]) {
          const double dx = s.x - kept[k].x, dy = s.y - kept[k].y;
          const double reach = std::max(1.5, kept[k].width);
          duplicate = duplicate || dx * dx + dy * dy < reach * reach;
        }
    if (duplicate) continue;
    keptCells[static_cast<std::size_t>(cy) *
                  static_cast<std::size_t>(w / CandidateCells::kCell + 1) +
              static_cast<std::size_t>(cx)]
        .push_back(kept.size());
    kept.push_back(s);
  }
  // Values near the ends of float's range can overflow the sums: such a spot is no spot.
  std::erase_if(kept, [](const Spot& s) {
    return !std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.intensity) ||
           !std::isfinite(s.width);
  });
  std::stable_sort(kept.begin(), kept.end(),
                   [](const Spot& a, const Spot& b) { return a.intensity > b.intensity; });
  return kept;
}

} // namespace spot
