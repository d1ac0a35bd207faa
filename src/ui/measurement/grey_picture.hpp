// The picture as spot finding sees it: a QImage turned into grey values, keeping the file's own
// scale (0-255 for 8-bit pictures, 0-65535 for 16-bit ones) and reading colour as luminance.
#pragma once

#include <QImage>

#include "measurement/picture_view_geometry.hpp"
#include "picture/grey_image.hpp"

namespace spot {

/// True for pictures with more than 8 bits a channel (16-bit grey, 16-bit or float colour): a
/// 32-bit display copy of them loses the low bits, so the view keeps the decoded picture too.
bool HasDeepPixels(const QImage& image);

/// Grey values of `image`, row by row. Grey pictures keep their values exactly; colour is read
/// as luminance Y = 0.299 R + 0.587 G + 0.114 B (the weights of Qt's own grey conversion),
/// transparency as Qt flattens it (over black). 8-bit pictures (indexed, grey, colour, mono) give
/// 0-255, deeper ones 0-65535 (float pixels are read on that scale too). A null image gives an
/// empty one.
GreyImage GreyImageOf(const QImage& image);

// Spot finding counts from the centre of the top-left pixel, the view from its corner.

/// A point of spot finding (own pixels, pixel centres at whole numbers) in the view's picture
/// coordinates.
inline PicturePoint FromPixelCentres(double x, double y) { return {x + 0.5, y + 0.5}; }
/// The inverse.
inline PicturePoint ToPixelCentres(PicturePoint point) { return {point.x - 0.5, point.y - 0.5}; }

} // namespace spot
