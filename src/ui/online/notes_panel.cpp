// The notes panel and the logo.
#include "ui/online/notes_panel.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm> // for min, max
#include <cmath>     // for hypot

#include "ui/online/online_pages.hpp"

namespace spot {

const char* const NotesPanel::kDescription =
    "SpotIndex indexes selected-area electron diffraction spot patterns. Open a diffraction "
    "picture, switch to \"Measure\" and draw the scale bar and the vectors R1, R2 and R3 from "
    "the central spot; the \"Measure\" dialog turns each line into lengths and angles. On the "
    "\"Calculation\" tab, type a phase or pick one from the built-in database and press "
    "\"Calculate\": every assignment of lattice planes (h k l) to R1, R2 and R3 that agrees "
    "with the measurement within the tolerances is listed, and the plane calculator gives the "
    "zone axis of any row. Right-click the \"Picture measurement\" frame to keep up to four "
    "measurements and import them later.";

SpotIndexLogo::SpotIndexLogo(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Logo"));
  setFixedSize(sizeHint());
}

void SpotIndexLogo::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double side = std::min(width(), height());
  const QPointF centre(width() / 2.0, height() / 2.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(24, 24, 48));
  painter.drawEllipse(centre, side / 2 - 1, side / 2 - 1);

  // A 2-D spot lattice; spots fade with distance from the central beam.
  const QPointF a(side * 0.2, 0), b(side * 0.08, -side * 0.17);
  for (int i = -3; i <= 3; ++i)
    for (int j = -3; j <= 3; ++j) {
      const QPointF spot = centre + a * i + b * j;
      const QPointF d = spot - centre;
      const double distance = std::hypot(d.x(), d.y()) / (side / 2);
      if (distance > 0.85) continue;
      const int grey = static_cast<int>(255 - 120 * distance);
      painter.setBrush(QColor(grey, grey, 255));
      const double radius = (i == 0 && j == 0) ? side * 0.07 : side * 0.035;
      painter.drawEllipse(spot, radius, radius);
    }

  // R1 from the central beam, in the colour of the measuring lines.
  painter.setPen(QPen(QColor(255, 0, 0), std::max(1.5, side / 32), Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(centre, centre + a + b);
}

NotesPanel::NotesPanel(QWidget* parent) : QGroupBox(QStringLiteral("软件说明"), parent) {
  setObjectName(QStringLiteral("Frame4"));
  auto* layout = new QVBoxLayout(this);

  auto* heading = new QHBoxLayout;
  heading->addWidget(new SpotIndexLogo(this));
  auto* name = new QLabel(QStringLiteral("SpotIndex"), this);
  name->setObjectName(QStringLiteral("ProgramName"));
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.6);
  name->setFont(bold);
  heading->addWidget(name);
  heading->addStretch(1);
  layout->addLayout(heading);

  // Each address on a line of its own, so the narrow box does not break it.
  description_ =
      new QPlainTextEdit(QString::fromUtf8(kDescription) + QStringLiteral("\n\nWeb site:\n") +
                             ProjectHomePage() + QStringLiteral("\nForum:\n") + ForumPage(),
                         this);
  description_->setObjectName(QStringLiteral("NotesText"));
  description_->setReadOnly(true);
  description_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(description_, 1);
}

} // namespace spot
