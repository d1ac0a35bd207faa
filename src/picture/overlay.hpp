// The spots a solution predicts on the picture, and how they agree with the spots found there.
#pragma once

#include <vector>

#include "core/lattice.hpp"
#include "core/picture_agreement.hpp"
#include "core/reflection_rule.hpp"
#include "picture/pattern_fit.hpp"
#include "picture/spot_finder.hpp"

namespace spot {

/// A solution as the picture sees it: the phase, the planes the row puts at R1 and R2, and where
/// the measurement puts R1 and R2 on the picture.
struct OverlayRequest {
  LatticeParameters cell;                       ///< nm, degrees
  ReflectionRule rule = LatticeType::Primitive; ///< which reflections the phase allows
  MillerIndex g1, g2;                           ///< the row's (h1 k1 l1) and (h2 k2 l2)
  Vec2 centre;                                  ///< the direct beam (px)
  Vec2 r1, r2;                                  ///< measured R1 and R2 (px)
  /// Calibration: picture pixels per 1/nm (scale bar length / value). 0 or less: the measured
  /// R1 sets it (|R1| / |g1|).
  double pxPerInverseNm = 0;
  int width = 0, height = 0; ///< picture size (px)
  /// Reflections of the zone the group allows but the phase's atoms cancel (|F|² next to
  /// nothing); the caller knows the structure. Used only with a space group.
  std::vector<MillerIndex> cancelled;
};

struct PredictedSpot {
  MillerIndex hkl;
  double x = 0, y = 0; ///< px, centre of the top-left pixel at (0, 0)
};

/// Every reflection of the zone g1 x g2 the rule allows and the atoms do not cancel, (000) left
/// out, at the place the cell's reciprocal metric and the calibration put it: (h1 k1 l1) along the
/// measured R1, the plane's other direction on the side of the measured R2. Only those on the
/// picture, nearest the centre first. Empty when the cell is not a real one or g1 and g2 are
/// parallel.
std::vector<PredictedSpot> PredictSpots(const OverlayRequest& request);

/// The zone's lattice positions where only double diffraction puts a spot: those the phase's
/// space group forbids although its centring allows them, and the `cancelled` ones. Placed and
/// ordered as PredictSpots does; empty for a centring-only phase.
std::vector<PredictedSpot> PredictForbiddenSpots(const OverlayRequest& request);

/// Predicted and detected spots within `tolerancePx` of each other pair up. A detected spot
/// within the tolerance of `centre` is the direct beam and not counted.
PictureAgreement CompareWithPicture(const std::vector<PredictedSpot>& predicted,
                                    const std::vector<Spot>& detected, Vec2 centre,
                                    double tolerancePx);

/// Which spots CompareWithPicture counts, one flag a spot, for drawing them.
struct PictureMatches {
  std::vector<bool> matched;    ///< predicted[i] has a detected spot within the tolerance
  std::vector<bool> explained;  ///< detected[j] has a predicted spot within the tolerance
  std::vector<bool> directBeam; ///< detected[j] lies within the tolerance of the centre
};

/// The same pairing as CompareWithPicture, spot by spot.
PictureMatches MatchWithPicture(const std::vector<PredictedSpot>& predicted,
                                const std::vector<Spot>& detected, Vec2 centre, double tolerancePx);

/// For each detected spot that `matches` leaves unexplained (and not the direct beam), the index
/// in `forbidden` of the nearest position within `tolerancePx`, else -1: a possible double
/// diffraction spot rather than an unexplained one.
std::vector<int> MatchForbiddenSpots(const std::vector<PredictedSpot>& forbidden,
                                     const std::vector<Spot>& detected,
                                     const PictureMatches& matches, double tolerancePx);

/// The tolerance the command line and the window use: a fifth of the shorter measured vector,
/// at least 2 px.
double AgreementTolerancePx(Vec2 r1, Vec2 r2);

} // namespace spot
