// The "Picture measurement" panel Frame3(0): scale bar, lengths, numbers and angles of the
// measured pattern, typed or written by the picture measurement.
#pragma once

#include <QGroupBox>

#include "ui/common/box_array.hpp"

namespace spot {

class MeasurementBoxesPanel : public QGroupBox {
  Q_OBJECT
public:
  MeasurementBoxesPanel(BoxArray& boxes, QWidget* parent = nullptr);
};

} // namespace spot
