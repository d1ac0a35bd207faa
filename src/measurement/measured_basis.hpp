// R1 and R2 as directed vectors on the picture, from the lines the user confirmed: what lays a
// solution's predicted spots onto the picture. The dialog keeps each line undirected (an angle
// or its supplement), so the directions are chosen here to make R1 + R2 = R3.
#pragma once

#include <array>
#include <optional>

#include "core/boxes.hpp"
#include "measurement/pattern_vectors.hpp"
#include "measurement/picture_view_geometry.hpp"

namespace spot {

/// R1 and R2 in picture pixels (y down), one spot spacing each: every line divided by its
/// Number. R1 points from where its line started to where it ended; R2 takes the direction
/// that puts R1 + R2 nearest the line confirmed as R3, either way round (its own direction
/// when R3 was not confirmed). nullopt unless R1 and R2 were confirmed, with lines longer than
/// 0 and Numbers above 0.
std::optional<std::array<PicturePoint, 2>> MeasuredBasis(const PatternVectors& vectors,
                                                         const BoxTexts& boxes);

} // namespace spot
