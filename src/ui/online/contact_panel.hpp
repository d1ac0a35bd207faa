// The contact panel Frame10: the options "官方网站", "官方社区" and "联系我们" with one picture of
// SpotIndex's addresses shown at a time (Image6, Image7, Image9, Image10).
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QImage>
#include <QLabel>

namespace spot {

/// A square code drawn from the address text (the same text always gives the same pattern),
/// with the caption and the address written under it.
QImage DrawAddressPicture(const QString& address, const QString& caption);

class ContactPanel : public QGroupBox {
  Q_OBJECT
public:
  explicit ContactPanel(QWidget* parent = nullptr);

  /// The picture Image6, Image7, Image9 or Image10 by its number.
  QLabel* picture(int number) const;

public slots:
  /// Option i shows its picture and hides the other three: 0 → Image6, 1 → Image7,
  /// 3 → Image10. Any other index changes nothing.
  void showOptionPicture(int index);

private:
  QButtonGroup* options_ = nullptr;
  QLabel* image6_ = nullptr;
  QLabel* image7_ = nullptr;
  QLabel* image9_ = nullptr;
  QLabel* image10_ = nullptr;
};

} // namespace spot
