// The simulated zone pattern drawn: one layout for the screen, PNG and SVG.
#include "ui/online/simulated_pattern_view.hpp"

#include <QPainter>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/number_format.hpp"

namespace spot {
namespace {

// SVG coordinates with "." whatever the locale.
std::string svgNumber(double v) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, std::round(v * 100) / 100);
  return std::string(buffer, r.ptr);
}

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text)
    out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : std::string(1, c);
  return out;
}

} // namespace

PatternDrawing LayOutPattern(const SimulatedPattern& pattern, double sidePx, double rotationRad) {
  PatternDrawing d;
  d.side = sidePx;
  d.centreX = d.centreY = sidePx / 2;
  double reach = 0; // 1/nm of the outermost spot
  for (const SimulatedSpot& s : pattern.spots)
    reach = std::max(reach, std::hypot(s.x, s.y));
  if (reach <= 0) reach = 1;
  const double scale = 0.42 * sidePx / reach; // px per 1/nm
  // The strongest spot's radius: a fraction of the closest spacing so that spots stay apart.
  double nearest = reach;
  for (const SimulatedSpot& s : pattern.spots)
    nearest = std::min(nearest, std::hypot(s.x, s.y));
  const double largest = std::clamp(0.3 * nearest * scale, 2.0, 0.05 * sidePx);
  d.centralRadius = largest * 1.2;
  const double c = std::cos(rotationRad), s = std::sin(rotationRad);
  for (const SimulatedSpot& spot : pattern.spots) {
    PatternDrawing::Spot out;
    const double x = spot.x * c - spot.y * s, y = spot.x * s + spot.y * c;
    out.x = d.centreX + x * scale;
    out.y = d.centreY - y * scale; // y up in the pattern, down on the screen
    out.absent = spot.absent != SpotAbsence::None;
    // Area ∝ intensity; a dark spot keeps a small ring so that its place can be seen.
    out.radius =
        out.absent ? largest * 0.25 : std::max(1.0, largest * std::sqrt(spot.intensity / 100));
    out.label = std::to_string(spot.hkl.h) + " " + std::to_string(spot.hkl.k) + " " +
                std::to_string(spot.hkl.l);
    d.spots.push_back(out);
  }
  // A scale bar of 1, 2 or 5 times a power of ten, about a fifth of the side.
  const double wanted = 0.2 * sidePx / scale;
  const double power = std::pow(10.0, std::floor(std::log10(wanted)));
  double bar = power;
  for (const double step : {2.0, 5.0, 10.0})
    if (step * power <= wanted) bar = step * power;
  d.barLengthPx = bar * scale;
  d.barX = 0.06 * sidePx;
  d.barY = 0.94 * sidePx;
  d.barLabel = FormatGeneral(bar) + " 1/nm";
  return d;
}

std::string PatternSvg(const PatternDrawing& d, bool labels) {
  const std::string side = svgNumber(d.side);
  std::string svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "width=\"" +
      side + "\" height=\"" + side + "\" viewBox=\"0 0 " + side + " " + side +
      "\">\n<rect width=\"100%\" height=\"100%\" fill=\"black\"/>\n";
  svg += "<circle cx=\"" + svgNumber(d.centreX) + "\" cy=\"" + svgNumber(d.centreY) + "\" r=\"" +
         svgNumber(d.centralRadius) + "\" fill=\"white\"/>\n";
  for (const PatternDrawing::Spot& s : d.spots) {
    svg += "<circle cx=\"" + svgNumber(s.x) + "\" cy=\"" + svgNumber(s.y) + "\" r=\"" +
           svgNumber(s.radius) + "\" " +
           (s.absent ? "fill=\"none\" stroke=\"gray\"" : "fill=\"white\"") + "/>\n";
    if (labels)
      svg += "<text x=\"" + svgNumber(s.x + s.radius + 2) + "\" y=\"" + svgNumber(s.y - 2) +
             "\" fill=\"yellow\" font-size=\"10\" font-family=\"sans-serif\">" + escaped(s.label) +
             "</text>\n";
  }
  svg += "<line x1=\"" + svgNumber(d.barX) + "\" y1=\"" + svgNumber(d.barY) + "\" x2=\"" +
         svgNumber(d.barX + d.barLengthPx) + "\" y2=\"" + svgNumber(d.barY) +
         "\" stroke=\"white\" stroke-width=\"3\"/>\n";
  svg += "<text x=\"" + svgNumber(d.barX) + "\" y=\"" + svgNumber(d.barY - 6) +
         "\" fill=\"white\" font-size=\"12\" font-family=\"sans-serif\">" + escaped(d.barLabel) +
         "</text>\n</svg>\n";
  return svg;
}

void PaintPatternDrawing(QPainter& painter, const PatternDrawing& d, bool labels) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillRect(QRectF(0, 0, d.side, d.side), Qt::black);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(d.centreX, d.centreY), d.centralRadius, d.centralRadius);
  QFont font = painter.font();
  font.setPixelSize(10);
  painter.setFont(font);
  for (const PatternDrawing::Spot& s : d.spots) {
    if (s.absent) {
      painter.setPen(QPen(Qt::gray, 1));
      painter.setBrush(Qt::NoBrush);
    } else {
      painter.setPen(Qt::NoPen);
      painter.setBrush(Qt::white);
    }
    painter.drawEllipse(QPointF(s.x, s.y), s.radius, s.radius);
    if (labels) {
      painter.setPen(Qt::yellow);
      painter.drawText(QPointF(s.x + s.radius + 2, s.y - 2), QString::fromStdString(s.label));
    }
  }
  painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(QPointF(d.barX, d.barY), QPointF(d.barX + d.barLengthPx, d.barY));
  font.setPixelSize(12);
  painter.setFont(font);
  painter.drawText(QPointF(d.barX, d.barY - 6), QString::fromStdString(d.barLabel));
}

SimulatedPatternView::SimulatedPatternView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SimulatedPattern"));
  setMinimumSize(220, 220);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SimulatedPatternView::setPattern(SimulatedPattern pattern, double rotationRad) {
  pattern_ = std::move(pattern);
  rotation_ = rotationRad;
  update();
}

void SimulatedPatternView::setLabels(bool shown) {
  labels_ = shown;
  update();
}

QImage SimulatedPatternView::render(int sidePx) const {
  QImage image(sidePx, sidePx, QImage::Format_RGB32);
  QPainter painter(&image);
  PaintPatternDrawing(painter, LayOutPattern(pattern_, sidePx, rotation_), labels_);
  return image;
}

void SimulatedPatternView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const double side = std::min(width(), height());
  painter.translate((width() - side) / 2, (height() - side) / 2);
  PaintPatternDrawing(painter, LayOutPattern(pattern_, side, rotation_), labels_);
}

} // namespace spot
