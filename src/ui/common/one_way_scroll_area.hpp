// A scroll area that scrolls one way only and is always as large as its content the other way:
// the panel column that scrolls up and down on a short screen, the strip under the results that
// scrolls sideways when the window is narrow (a scaled display, a small laptop).
#pragma once

#include <QScrollArea>

namespace spot {

class OneWayScrollArea : public QScrollArea {
  Q_OBJECT
public:
  /// Takes `content`; `scrolling` is the direction it may scroll in.
  OneWayScrollArea(Qt::Orientation scrolling, QWidget* content, QWidget* parent = nullptr);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  /// The frame, plus the scroll bar while it is shown: it takes room across the scrolling.
  QSize chrome() const;

  Qt::Orientation scrolling_;
};

} // namespace spot
