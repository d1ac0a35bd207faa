// Families ranked by how the picture agrees with the spots each predicts, before their score:
// what the window's "Solutions" list and the command line's --picture show.
#pragma once

#include <cstddef>
#include <vector>

#include "core/picture_agreement.hpp"
#include "solutions/families.hpp"

namespace spot {

/// RMS distances are compared in steps of this many pixels: closer than that, spot centres
/// cannot tell two families apart.
inline constexpr double kAgreementRmsStepPx = 0.01;

/// Reorders `families` (as GroupSolutions ranked them) and `agreements` (one per family, same
/// order) together: more explained spots first, then the smaller RMS distance, then fewer
/// predicted spots without a detected one (a zone that predicts a denser lattice than the
/// picture shows explains as much, but not its empty places), then the order they had. Families
/// equal in these and in score share a rank (1, 1, 3 ...). Returns how many
/// share the first rank; more than one means geometry cannot tell them apart. Lists of different
/// lengths are left as they are (0).
std::size_t RankByPictureAgreement(std::vector<SolutionFamily>& families,
                                   std::vector<PictureAgreement>& agreements);

} // namespace spot
