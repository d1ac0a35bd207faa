// The sketch Frame12: a spot parallelogram with the central spot at the lower left, R1 to the
// right, R2 to the upper left and R3 = R1 + R2 between them, labelled with the planes shown in
// the calculator (Label16, Label15, Label14) and the zone axis (Label17).
#pragma once

#include <QFrame>
#include <QLabel>
#include <QPointF>

namespace spot {

class PatternSketch : public QFrame {
  Q_OBJECT
public:
  static constexpr const char* kEmptyPlane = "（* * *）";
  static constexpr const char* kEmptyZoneAxis = "Z=[* * *]";

  explicit PatternSketch(QWidget* parent = nullptr);

  void setLabels(const QString& r1, const QString& r2, const QString& r3, const QString& zoneAxis);
  /// Back to "（* * *）" and "Z=[* * *]".
  void resetLabels();

  QLabel* r1Label() const { return r1Label_; }
  QLabel* r2Label() const { return r2Label_; }
  QLabel* r3Label() const { return r3Label_; }
  QLabel* zoneAxisLabel() const { return zoneLabel_; }

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  struct Spots {
    QPointF centre, r1, r2, r3;
  };
  Spots spots() const;
  void placeLabels();

  QLabel* r1Label_;
  QLabel* r2Label_;
  QLabel* r3Label_;
  QLabel* zoneLabel_;
};

} // namespace spot
