// The heading over the measured-value line.
#include "ui/calculation/summary_header.hpp"

#include <QEvent>
#include <QPainter>
#include <QStringList>
#include <algorithm>

namespace spot {
namespace {

// A run of non-blank characters of a text: where it starts and how long it is. The blanks of the
// empty line include ideographic spaces, which QChar::isSpace counts as blanks.
struct Run {
  qsizetype start;
  qsizetype length;
};

QList<Run> runsOf(const QString& text) {
  QList<Run> runs;
  qsizetype i = 0;
  while (i < text.size()) {
    while (i < text.size() && text.at(i).isSpace())
      ++i;
    const qsizetype start = i;
    while (i < text.size() && !text.at(i).isSpace())
      ++i;
    if (i > start) runs.append({start, i - start});
  }
  return runs;
}

} // namespace

SummaryHeader::SummaryHeader(const QString& caption, QLabel* summary, QWidget* parent)
    : QLabel(caption, parent), summary_(summary) {
  if (summary_) summary_->installEventFilter(this);
}

QList<QRect> SummaryHeader::wordRects() const {
  if (!summary_) return {};
  const QString caption = text();
  const QString line = summary_->text();
  const QList<Run> words = runsOf(caption);
  const QList<Run> values = runsOf(line);
  if (words.isEmpty() || words.size() != values.size()) return {};

  // The line is drawn from the left of its label; its values are placed as its font lays them.
  const QFontMetrics lineMetrics(summary_->font());
  const QFontMetrics ownMetrics(font());
  const int lineLeft = summary_->contentsRect().left() + summary_->margin();
  const int offset = mapFromGlobal(summary_->mapToGlobal(QPoint(lineLeft, 0))).x();
  const QRect area = contentsRect();

  QList<QRect> rects;
  int nextFree = area.left();
  for (qsizetype i = 0; i < words.size(); ++i) {
    const Run& value = values[i];
    const int valueLeft = lineMetrics.horizontalAdvance(line.left(value.start));
    const int valueWidth = lineMetrics.horizontalAdvance(line.mid(value.start, value.length));
    const int centre = offset + valueLeft + valueWidth / 2;
    const int width = ownMetrics.horizontalAdvance(caption.mid(words[i].start, words[i].length));
    // Never over the word before, never off the label's left edge.
    const int left = std::max(centre - width / 2, nextFree);
    rects.append(QRect(left, area.top(), width, area.height()));
    nextFree = left + width + ownMetrics.horizontalAdvance(QLatin1Char(' '));
  }
  return rects;
}

void SummaryHeader::paintEvent(QPaintEvent* event) {
  laidOutFor_ = summary_ ? summary_->text() : QString();
  const QList<QRect> rects = wordRects();
  if (rects.isEmpty()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  const QList<Run> words = runsOf(text());
  for (qsizetype i = 0; i < rects.size(); ++i)
    painter.drawText(rects[i], Qt::AlignLeft | Qt::AlignVCenter,
                     text().mid(words[i].start, words[i].length));
}

bool SummaryHeader::eventFilter(QObject* watched, QEvent* event) {
  // The line has no signal of its own: a new text shows when it paints, and the words follow.
  // The filter watches the line alone.
  switch (event->type()) {
  case QEvent::Paint:
    if (summary_->text() != laidOutFor_) update();
    break;
  case QEvent::Move:
  case QEvent::Resize:
  case QEvent::FontChange: update(); break;
  default: break;
  }
  return QLabel::eventFilter(watched, event);
}

} // namespace spot
