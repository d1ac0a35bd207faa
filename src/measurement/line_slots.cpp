// The four line slots and the rubber-band line.
#include "measurement/line_slots.hpp"

#include <algorithm> // for find_if

namespace spot {

int LineSlots::addLine(const PictureLine& line) {
  auto target =
      std::find_if(slots_.begin(), slots_.end(), [](const LineSlot& s) { return !s.visible; });
  if (target == slots_.end()) {
    // All four shown: slots 0..2 are freed and slot 0 is the first hidden one.
    for (int i = 0; i < 3; ++i)
      slots_[static_cast<std::size_t>(i)].visible = false;
    target = slots_.begin();
  }
  target->visible = true;
  target->line = line;
  return static_cast<int>(target - slots_.begin());
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
