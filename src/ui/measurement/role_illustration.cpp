// Drawing the role pictures of the "Measure" dialog.
#include "ui/measurement/role_illustration.hpp"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath> // for atan2, cos, sin

namespace spot {

namespace {

const QColor kPatternBackground(24, 24, 32);
const QColor kSpot(235, 235, 235);
const QColor kChosen(255, 64, 64);
const QColor kOther(140, 140, 160);

/// An arrow from `from` to `to` with a filled head.
void drawArrow(QPainter& painter, QPointF from, QPointF to, const QColor& colour, double width) {
  painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
  const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
  constexpr double head = 7;
  constexpr double spread = 0.45; // radians either side of the shaft
  const QPointF back = to - QPointF(std::cos(angle), std::sin(angle)) * head * 0.8;
  painter.drawLine(from, back);
  QPainterPath path(to);
  path.lineTo(to - QPointF(std::cos(angle - spread), std::sin(angle - spread)) * head);
  path.lineTo(to - QPointF(std::cos(angle + spread), std::sin(angle + spread)) * head);
  path.closeSubpath();
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPath(path);
  painter.setBrush(Qt::NoBrush);
}

void drawSpot(QPainter& painter, QPointF centre, double radius) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kSpot);
  painter.drawEllipse(centre, radius, radius);
  painter.setBrush(Qt::NoBrush);
}

} // namespace

RoleIllustration::RoleIllustration(LineRole role, QWidget* parent) : QWidget(parent), role_(role) {
  setObjectName(QStringLiteral("Image1(%1)").arg(static_cast<int>(role)));
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RoleIllustration::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (role_ == LineRole::ScaleBar)
    paintScaleBar(painter);
  else
    paintVectors(painter);
}

void RoleIllustration::paintScaleBar(QPainter& painter) const {
  // The top strip stays free: the entry box and its unit sit over it in the dialog.
  const QRectF plate(kInset, 20, kWidth - kInset, kHeight - 20);
  painter.fillRect(plate, kPatternBackground);
  // A few spots of the pattern above the bar.
  for (int i = 0; i < 6; ++i)
    drawSpot(painter, QPointF(kInset + 20 + 26 * i, 34 + (i % 2) * 8), i == 2 ? 3.5 : 2);

  // The printed scale bar and its label.
  const double barY = plate.bottom() - 16;
  const QPointF barStart(kInset + 12, barY), barEnd(kInset + 100, barY);
  painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(barStart, barEnd);
  QFont font = painter.font();
  font.setPointSizeF(7.5);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(kInset + 106, barY - 9, 60, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("5 1/nm"));

  // The line the user draws along it, end to end.
  const QPointF lift(0, -8);
  painter.setPen(QPen(kChosen, 1.5));
  painter.drawLine(barStart + lift, barEnd + lift);
  painter.drawLine(barStart + lift + QPointF(0, -4), barStart + lift + QPointF(0, 4));
  painter.drawLine(barEnd + lift + QPointF(0, -4), barEnd + lift + QPointF(0, 4));
}

void RoleIllustration::paintVectors(QPainter& painter) const {
  const QRectF plate(kInset, 0, kWidth - kInset, kHeight);
  painter.fillRect(plate, kPatternBackground);
  // Central spot and the two base vectors of the spot lattice; R3 = R1 + R2 is the diagonal
  // of the parallelogram, between R1 and R2.
  const QPointF origin(kInset + 30, 66);
  const QPointF r1(58, 0);
  const QPointF r2(22, -40);
  for (int i = -1; i <= 3; ++i)
    for (int j = -1; j <= 2; ++j) {
      const QPointF spot = origin + r1 * i + r2 * j;
      if (plate.adjusted(3, 3, -3, -3).contains(spot))
        drawSpot(painter, spot, (i == 0 && j == 0) ? 4.5 : 2.2);
    }

  const std::array<QPointF, 3> ends = {origin + r1, origin + r2, origin + r1 + r2};
  const std::array<const char*, 3> names = {"R1", "R2", "R3"};
  const std::array<QPointF, 3> labelOffsets = {QPointF(-6, 16), QPointF(-20, -4), QPointF(4, -4)};
  const int chosen = static_cast<int>(role_) - 1;
  QFont font = painter.font();
  font.setPointSizeF(7.5);
  font.setBold(true);
  painter.setFont(font);
  // The other vectors first, so the chosen one lies on top.
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < 3; ++i) {
      const bool isChosen = i == chosen;
      if (isChosen != (pass == 1)) continue;
      const QColor colour = isChosen ? kChosen : kOther;
      drawArrow(painter, origin, ends[static_cast<std::size_t>(i)], colour, isChosen ? 2.2 : 1);
      painter.setPen(colour);
      painter.drawText(ends[static_cast<std::size_t>(i)] +
                           labelOffsets[static_cast<std::size_t>(i)],
                       QString::fromLatin1(names[static_cast<std::size_t>(i)]));
    }
}

} // namespace spot
