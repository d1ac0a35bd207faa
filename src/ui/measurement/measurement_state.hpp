// What the measurement panels share: the drawn lines, the last finished line with its length,
// and the measured directions of R1, R2, R3. The picture view, the "Measure" dialog and "Clean"
// all work on this one object, owned by the window.
#pragma once

#include <QObject>

#include "measurement/line_slots.hpp"
#include "measurement/pattern_vectors.hpp"
#include "measurement/picture_view_geometry.hpp"

namespace spot {

class MeasurementState : public QObject {
  Q_OBJECT
public:
  using QObject::QObject;

  /// Line1 and Line2(0)..Line2(3), kept in picture pixels.
  LineSlots lines;
  /// The measured directions of R1, R2, R3; written by the "Measure" dialog, reset by Clean.
  PatternVectors vectors;
  /// The last finished line (MeasureStart to MeasureEnd), picture pixels.
  PictureLine lastLine;
  /// Length of the last finished line in the picture's own pixels (MeasuredLengthPx).
  double measuredLengthPx = 0;

  /// The dialog's "Cancel": hides the newest line and the rubber band.
  void removeNewestLine() {
    lines.cancelNewest();
    emit linesChanged();
  }

signals:
  /// The lines changed outside the picture view, which repaints.
  void linesChanged();
};

} // namespace spot
