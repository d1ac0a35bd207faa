// The four line slots: fill order, recycling and the dialog's Cancel.
#include <gtest/gtest.h>

#include "measurement/line_slots.hpp"

namespace spot {
namespace {

PictureLine lineAt(double x) { return {{x, 0}, {x, 10}}; }

std::string shown(const LineSlots& slots) {
  std::string text;
  for (const LineSlot& s : slots.allSlots())
    text += s.visible ? '1' : '0';
  return text;
}

TEST(LineSlots, FillInOrderThenFreeTheFirstThreeAndKeepSlotThree) {
  LineSlots slots;
  for (int expected : {0, 1, 2, 3})
    EXPECT_EQ(slots.addLine(lineAt(expected)), expected);
  EXPECT_EQ(slots.addLine(lineAt(4)), 0); // the fifth line
  EXPECT_EQ(shown(slots), "1001");
  EXPECT_EQ(slots.slot(0).line.start.x, 4);
  EXPECT_EQ(slots.slot(3).line.start.x, 3);
  EXPECT_EQ(slots.addLine(lineAt(5)), 1);
  EXPECT_EQ(slots.addLine(lineAt(6)), 2);
  EXPECT_EQ(slots.addLine(lineAt(7)), 0); // all four shown again: 0..2 freed once more
  EXPECT_EQ(shown(slots), "1001");
  slots.showRubberBand(lineAt(7));
  slots.hideAll();
  EXPECT_EQ(shown(slots), "0000");
  EXPECT_FALSE(slots.rubberBandVisible());
}

TEST(LineSlots, CancelHidesTheSlotBeforeTheFirstHiddenOneAndThenSlotThree) {
  LineSlots slots;
  slots.cancelNewest(); // nothing drawn: nothing to hide
  EXPECT_EQ(shown(slots), "0000");

  for (int i = 0; i < 2; ++i)
    slots.addLine(lineAt(i));
  slots.showRubberBand(lineAt(1));
  slots.cancelNewest(); // the line in slot 1
  EXPECT_EQ(shown(slots), "1000");
  EXPECT_FALSE(slots.rubberBandVisible());

  for (int i = 1; i < 4; ++i)
    slots.addLine(lineAt(i));
  slots.cancelNewest(); // the line just put in slot 3: the scan finds no hidden slot
  EXPECT_EQ(shown(slots), "1110");

  slots.addLine(lineAt(3));
  slots.addLine(lineAt(4)); // to slot 0, slot 3 still shown
  slots.cancelNewest();     // hides the new line and the older one in slot 3
  EXPECT_EQ(shown(slots), "0000");
}

} // namespace
} // namespace spot
