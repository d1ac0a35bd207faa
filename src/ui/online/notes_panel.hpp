// The notes panel Frame4 ("软件说明") on the "Measurement" tab: what SpotIndex does and where its
// web site and forum are, with its logo and name.
#pragma once

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QWidget>

namespace spot {

/// The SpotIndex logo: a spot pattern with its central beam and a measured vector.
class SpotIndexLogo : public QWidget {
  Q_OBJECT
public:
  explicit SpotIndexLogo(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {64, 64}; }

protected:
  void paintEvent(QPaintEvent* event) override;
};

class NotesPanel : public QGroupBox {
  Q_OBJECT
public:
  /// What the read-only description box says before the web site's and the forum's addresses.
  static const char* const kDescription;

  explicit NotesPanel(QWidget* parent = nullptr);

  QPlainTextEdit* descriptionBox() const { return description_; }

private:
  QPlainTextEdit* description_;
};

} // namespace spot
