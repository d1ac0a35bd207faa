// What the picture tells about the solutions of a search: the spots found on it, the pattern's
// centre, the measured R1 and R2 and the calibration. The picture view gathers it; the overlay
// and the "Solutions" list place each solution's predicted spots with it.
#pragma once

#include <vector>

#include "core/lattice.hpp"
#include "core/reflection_rule.hpp"
#include "picture/overlay.hpp"

namespace spot {

struct PictureEvidence {
  std::vector<Spot> spots;   ///< brightest first, the picture's own pixels
  Vec2 centre;               ///< the direct beam, own pixels
  Vec2 r1, r2;               ///< the measured R1 and R2, one spot spacing each (px)
  double pxPerInverseNm = 0; ///< scale bar length / value; 0 when the scale bar is not known
  int width = 0, height = 0; ///< picture size (px)

  /// How far apart a predicted and a detected spot may be to pair up (px).
  double tolerancePx() const { return AgreementTolerancePx(r1, r2); }

  /// The overlay of the solution that puts g1 at R1 and g2 at R2.
  OverlayRequest requestFor(const LatticeParameters& cell, const ReflectionRule& rule,
                            MillerIndex g1, MillerIndex g2) const {
    OverlayRequest request;
    request.cell = cell;
    request.rule = rule;
    request.g1 = g1;
    request.g2 = g2;
    request.centre = centre;
    request.r1 = r1;
    request.r2 = r2;
    request.pxPerInverseNm = pxPerInverseNm;
    request.width = width;
    request.height = height;
    return request;
  }
};

} // namespace spot
