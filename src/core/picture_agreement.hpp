// How well the spots a solution predicts agree with the spots found on the picture: the numbers
// the overlay computes and the ranking of families weighs.
#pragma once

namespace spot {

struct PictureAgreement {
  int predicted = 0; ///< predicted spots inside the picture
  int matched = 0;   ///< of those, with a detected spot within the tolerance
  int detected = 0;  ///< detected spots, the direct beam left out
  int explained = 0; ///< of those, with a predicted spot within the tolerance
  double rmsPx = 0;  ///< root mean square distance of the matched pairs (px); 0 with none
};

} // namespace spot
