// Spot finding: the diffraction spots of a grey picture as sub-pixel centres, integrated
// intensities and widths, brightest first.
#pragma once

#include <atomic>
#include <vector>

#include "picture/grey_image.hpp"

namespace spot {

/// One spot. Coordinates in the picture's own pixels: the centre of the top-left pixel is (0, 0),
/// x to the right, y down.
struct Spot {
  double x = 0, y = 0;  ///< centre (px)
  double intensity = 0; ///< integrated grey value above the background (grey value x px²)
  double width = 0;     ///< Gaussian sigma (px)
};

/// The tunables of FindSpots; the defaults suit 8-bit and 16-bit diffraction pictures.
struct SpotFinding {
  /// A local maximum of the lightly smoothed picture is looked at when it stands this many
  /// noise sigmas (of the smoothed picture) above the background.
  double candidateSigmas = 7.0;
  /// A fitted spot is kept when its peak stands this many noise sigmas (of the picture itself)
  /// above the background.
  double peakSigmas = 3.5;
  /// ... and when the whole spot stands out this many noise sigmas: its peak times
  /// sqrt(pi) sigma_px, the signal to noise a matched filter would see (a noise blob one pixel
  /// wide needs a higher peak than a spot of sigma 3 px).
  double spotSigmas = 8.0;
  /// Widths (Gaussian sigma, px) a spot may have. Narrower peaks are hot pixels or the strokes
  /// of burnt-in letters.
  double minWidth = 1.0, maxWidth = 12.0;
  /// At most this many candidates are fitted, the highest first (a picture of pure noise or
  /// texture must not take minutes).
  int maxCandidates = 20000;
  /// When set and it becomes true, FindSpots returns no spots as soon as it notices (the window
  /// sets it to cancel a run; a partial list would look complete).
  const std::atomic<bool>* stop = nullptr;
};

/// The spots of `image`, brightest (largest intensity) first. Each centre comes from an
/// intensity-weighted centroid above the background refined by a 2-D Gaussian fit on a local
/// plane; a saturated flat top is centred on its plateau. Burnt-in text and scale bars, which
/// are not Gaussian peaks, are left out. An empty or constant picture has no spots.
std::vector<Spot> FindSpots(const GreyImage& image, const SpotFinding& options = {});

} // namespace spot
