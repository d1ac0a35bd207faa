// The "Simulation" tab and its spot drawing.
#include "ui/online/simulation_panel.hpp"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>
#include <QVBoxLayout>
#include <algorithm> // for max, min
#include <cmath>     // for hypot, sqrt
#include <cstdlib>   // for abs

namespace spot {

std::vector<QPointF> SimulatedSpots() {
  // Net points i·a + j·b with |a| = |b| = 1 at 60°, kept while the hexagonal distance
  // max(|i|, |j|, |i + j|) is at most 3.
  constexpr int rings = 3;
  const double rowHeight = std::sqrt(3.0) / 2.0;
  std::vector<QPointF> spots{QPointF(0.0, 0.0)};
  for (int j = -rings; j <= rings; ++j)
    for (int i = -rings; i <= rings; ++i) {
      if ((i == 0 && j == 0) || std::max({std::abs(i), std::abs(j), std::abs(i + j)}) > rings)
        continue;
      spots.emplace_back(i + 0.5 * j, rowHeight * j);
    }
  return spots;
}

SpotPatternDrawing::SpotPatternDrawing(QWidget* parent) : QWidget(parent) {
  setMinimumSize(220, 220);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SpotPatternDrawing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillRect(rect(), QColor(8, 8, 12));

  const double side = std::min(width(), height());
  const QPointF centre(width() / 2.0, height() / 2.0 - side * 0.04);
  const double spacing = side * 0.12; // three rings fill about three quarters of the side
  painter.setPen(Qt::NoPen);
  for (const QPointF& spot : SimulatedSpots()) {
    const double distance = std::hypot(spot.x(), spot.y());
    const bool central = distance == 0.0;
    // Outer reflections are weaker: smaller and dimmer with distance from the centre.
    const double radius = central ? spacing * 0.32 : spacing * (0.2 - 0.025 * distance);
    const int brightness = central ? 255 : std::max(90, static_cast<int>(235 - 40 * distance));
    const QPointF at = centre + spot * spacing;
    QRadialGradient glow(at, radius);
    glow.setColorAt(0.0, QColor(255, 255, 255, brightness));
    glow.setColorAt(central ? 0.6 : 0.45, QColor(230, 235, 255, brightness));
    glow.setColorAt(1.0, QColor(230, 235, 255, 0));
    painter.setBrush(glow);
    painter.drawEllipse(at, radius, radius);
  }

  // The scale bar and its label, lower left.
  const double barLength = spacing * 2.0;
  const QPointF barStart(side * 0.06, height() - side * 0.07);
  painter.setPen(QPen(Qt::white, std::max(2.0, side * 0.012), Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(barStart, barStart + QPointF(barLength, 0.0));
  QFont font = painter.font();
  font.setPixelSize(std::max(10, static_cast<int>(side * 0.045)));
  painter.setFont(font);
  painter.drawText(QRectF(barStart.x(), barStart.y() - font.pixelSize() * 1.8, barLength * 1.6,
                          font.pixelSize() * 1.5),
                   Qt::AlignLeft | Qt::AlignBottom, QString::fromLatin1(kScaleBarLabel));
}

SimulationPanel::SimulationPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);

  auto* drawingFrame = new QGroupBox(QStringLiteral("Under development"), this);
  drawingFrame->setObjectName(QStringLiteral("Frame13(1)"));
  auto* drawingLayout = new QVBoxLayout(drawingFrame);
  drawingLayout->addWidget(new SpotPatternDrawing(drawingFrame));
  layout->addWidget(drawingFrame, 1);

  auto* invitation = new QLabel(QStringLiteral("给你一首歌的时间，留下你想说的话吧！"), this);
  invitation->setObjectName(QStringLiteral("Label13"));
  invitation->setWordWrap(true);
  layout->addWidget(invitation);

  auto* forumFrame = new QGroupBox(this);
  forumFrame->setObjectName(QStringLiteral("Frame8"));
  auto* forumLayout = new QHBoxLayout(forumFrame);
  forumButton_ = new QPushButton(QStringLiteral("官方论坛"), forumFrame);
  forumButton_->setObjectName(QStringLiteral("Command12"));
  forumLayout->addWidget(forumButton_);
  forumLayout->addStretch(1);
  layout->addWidget(forumFrame);
  connect(forumButton_, &QPushButton::clicked, this, &SimulationPanel::forumRequested);
}

} // namespace spot
