// The four line slots and the rubber-band line.
#include "measurement/line_slots.hpp"

namespace spot {

int LineSlots::addLine(const PictureLine& line) {
  bool allShown = true;
  for (const LineSlot& s : slots_)
    allShown = allShown && s.visible;
  if (allShown)
    for (int i = 0; i < 3; ++i)
      slots_[static_cast<std::size_t>(i)].visible = false;

  for (int i = 0; i < kSlotCount; ++i) {
    LineSlot& s = slots_[static_cast<std::size_t>(i)];
    if (!s.visible) {
      s.visible = true;
      s.line = line;
      return i;
    }
  }
  return -1; // unreachable: recycling always leaves slot 0 hidden
}

void LineSlots::cancelNewest() {
  for (int i = 0; i < kSlotCount; ++i) {
    if (!slots_[static_cast<std::size_t>(i)].visible) {
      if (i > 0) slots_[static_cast<std::size_t>(i - 1)].visible = false;
      break;
    }
  }
  slots_[kSlotCount - 1].visible = false;
  rubberBandVisible_ = false;
}

void LineSlots::hideAll() {
  for (LineSlot& s : slots_)
    s.visible = false;
  rubberBandVisible_ = false;
}

void LineSlots::showRubberBand(const PictureLine& line) {
  rubberBand_ = line;
  rubberBandVisible_ = true;
}

} // namespace spot
