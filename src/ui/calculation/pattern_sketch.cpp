// The spot-parallelogram sketch.
#include "ui/calculation/pattern_sketch.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace spot {

PatternSketch::PatternSketch(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Frame12"));
  setFrameShape(QFrame::StyledPanel);
  setMinimumSize(sizeHint());
  const auto make = [this](const char* name) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
  };
  r1Label_ = make("Label16");
  r2Label_ = make("Label15");
  r3Label_ = make("Label14");
  zoneLabel_ = make("Label17");
  QFont bold = zoneLabel_->font();
  bold.setBold(true);
  zoneLabel_->setFont(bold);
  resetLabels();
}

QSize PatternSketch::sizeHint() const { return {250, 160}; }

void PatternSketch::setLabels(const QString& r1, const QString& r2, const QString& r3,
                              const QString& zoneAxis) {
  r1Label_->setText(r1);
  r2Label_->setText(r2);
  r3Label_->setText(r3);
  zoneLabel_->setText(zoneAxis);
  placeLabels();
}

void PatternSketch::resetLabels() {
  const QString plane = QString::fromUtf8(kEmptyPlane);
  setLabels(plane, plane, plane, QString::fromUtf8(kEmptyZoneAxis));
}

PatternSketch::Spots PatternSketch::spots() const {
  // Proportions of the drawing, in parts of the frame: room above for the R2 and R3 labels,
  // below the R1 spot for its label, and at the lower right for the zone axis.
  const double w = width();
  const double h = height();
  Spots s;
  s.centre = {0.22 * w, 0.66 * h};
  s.r1 = {0.74 * w, 0.66 * h};
  s.r2 = {0.08 * w, 0.30 * h};
  s.r3 = s.r1 + (s.r2 - s.centre);
  return s;
}

void PatternSketch::placeLabels() {
  const Spots s = spots();
  for (QLabel* label : {r1Label_, r2Label_, r3Label_, zoneLabel_})
    label->adjustSize();
  const auto clampX = [this](double x, const QLabel* label) {
    return qBound(2, static_cast<int>(x), width() - label->width() - 2);
  };
  // R1 below its spot, R2 and R3 above theirs, the zone axis in the lower right corner.
  r1Label_->move(clampX(s.r1.x() - r1Label_->width() / 2.0, r1Label_),
                 static_cast<int>(s.r1.y()) + 6);
  r2Label_->move(clampX(s.r2.x() - 4, r2Label_),
                 static_cast<int>(s.r2.y()) - r2Label_->height() - 4);
  r3Label_->move(clampX(s.r3.x() - r3Label_->width() / 2.0, r3Label_),
                 static_cast<int>(s.r3.y()) - r3Label_->height() - 4);
  zoneLabel_->move(width() - zoneLabel_->width() - 6, height() - zoneLabel_->height() - 4);
}

void PatternSketch::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  placeLabels();
}

static void drawArrow(QPainter& painter, QPointF from, QPointF to) {
  painter.drawLine(from, to);
  const QPointF direction = to - from;
  const double length = std::hypot(direction.x(), direction.y());
  if (length < 1.0) return;
  const QPointF unit = direction / length;
  const QPointF normal(-unit.y(), unit.x());
  const QPointF tip = to - unit * 5.0; // stop short of the spot
  QPainterPath head;
  head.moveTo(tip);
  head.lineTo(tip - unit * 8.0 + normal * 3.5);
  head.lineTo(tip - unit * 8.0 - normal * 3.5);
  head.closeSubpath();
  painter.fillPath(head, painter.pen().color());
}

void PatternSketch::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const Spots s = spots();
  const QColor ink = palette().color(QPalette::WindowText);

  // The parallelogram's far sides, dashed.
  painter.setPen(QPen(ink, 1, Qt::DashLine));
  painter.drawLine(s.r1, s.r3);
  painter.drawLine(s.r2, s.r3);

  // R1, R2 and the diagonal R3 from the central spot.
  painter.setPen(QPen(ink, 1.4));
  drawArrow(painter, s.centre, s.r1);
  drawArrow(painter, s.centre, s.r2);
  drawArrow(painter, s.centre, s.r3);

  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  painter.drawEllipse(s.centre, 5.5, 5.5);
  for (QPointF spot : {s.r1, s.r2, s.r3})
    painter.drawEllipse(spot, 3.5, 3.5);

  // Names of the vectors along their arrows.
  painter.setPen(ink);
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  painter.setFont(small);
  const auto name = [&](QPointF at, const char* text) {
    painter.drawText(QRectF(at.x() - 14, at.y() - 8, 28, 16), Qt::AlignCenter,
                     QString::fromLatin1(text));
  };
  name((s.centre + s.r1) / 2 + QPointF(0, 9), "R1");
  name((s.centre + s.r2) / 2 + QPointF(-12, 0), "R2");
  name((s.centre + s.r3) / 2 + QPointF(12, 4), "R3");
}

} // namespace spot
