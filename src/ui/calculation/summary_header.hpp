// The heading Label7 over the measured-value line Label5: its caption as it stands, each of its
// words drawn centred over the matching value of the line below.
#pragma once

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QRect>

namespace spot {

class SummaryHeader : public QLabel {
  Q_OBJECT
public:
  /// `summary` is the line whose values the caption's words head.
  SummaryHeader(const QString& caption, QLabel* summary, QWidget* parent = nullptr);

  /// Where each word of the caption is drawn, in this label's coordinates, left to right. Empty
  /// when the caption and the line do not have the same number of words and values; the caption
  /// is then drawn as it stands.
  QList<QRect> wordRects() const;

protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QPointer<QLabel> summary_;
  QString laidOutFor_; // the line the last drawing was placed over
};

} // namespace spot
