// The lines drawn on the picture: the rubber-band line and the four slots that keep finished
// lines on screen, with the order slots are filled, recycled and taken back.
#pragma once

#include <array>

#include "measurement/picture_view_geometry.hpp"

namespace spot {

/// A straight line between two points of the picture. Kept in picture pixels, so the view
/// transform places it and panning or zooming moves it with the picture.
struct PictureLine {
  PicturePoint start, end;
};

struct LineSlot {
  bool visible = false;
  PictureLine line;
};

class LineSlots {
public:
  static constexpr int kSlotCount = 4;

  /// Puts a finished line in a slot and returns the slot's number. When all four are shown,
  /// slots 0, 1 and 2 are freed first (slot 3 stays); the line goes to the first hidden slot.
  int addLine(const PictureLine& line);

  /// The dialog's Cancel: at the first hidden slot i (scanning 0..3) hide slot i - 1, then hide
  /// slot 3 if it is shown, then hide the rubber band.
  void cancelNewest();

  /// Hides every slot and the rubber band (Initial, Clean, Open).
  void hideAll();

  const LineSlot& slot(int index) const { return slots_.at(static_cast<std::size_t>(index)); }
  /// All four slots. (Not named slots(): Qt defines that word as a macro.)
  const std::array<LineSlot, kSlotCount>& allSlots() const { return slots_; }

  /// The line following the mouse while a line is drawn; it stays shown on top of the finished
  /// line until something hides it.
  void showRubberBand(const PictureLine& line);
  void hideRubberBand() { rubberBandVisible_ = false; }
  bool rubberBandVisible() const { return rubberBandVisible_; }
  const PictureLine& rubberBand() const { return rubberBand_; }

private:
  std::array<LineSlot, kSlotCount> slots_{};
  bool rubberBandVisible_ = false;
  PictureLine rubberBand_;
};

} // namespace spot
