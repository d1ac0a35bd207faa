// The icon of every SpotIndex window: a diffraction spot pattern with one indexed vector, in the
// sizes a desktop asks for.
#pragma once

#include <QIcon>

namespace spot {

/// The PNG renderings of data/icons/spotindex.svg, from 16 to 256 pixels, built into the
/// program.
QIcon ApplicationIcon();

} // namespace spot
