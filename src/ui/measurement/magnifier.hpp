// The screen magnifier Form3 ("Magnification"): an always-on-top window showing the screen
// around the cursor enlarged 1.5, 2, 3 or 6 times, with a red crosshair and circle on the
// cursor's pixel.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QRadioButton>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <array>

#include "measurement/magnifier_geometry.hpp"

namespace spot {

/// Where the magnifier gets the cursor position and the screen's pixels.
class ScreenSource {
public:
  virtual ~ScreenSource() = default;
  /// The cursor in the desktop's coordinates (device-independent pixels).
  virtual QPoint cursorPosition() const = 0;
  /// One copy of a rectangle of the desktop, rect.size() device-independent pixels; parts
  /// outside every screen are black. Null when the platform allows no screen capture.
  virtual QPixmap grab(const QRect& rect) = 0;
};

/// QCursor::pos() and QScreen::grabWindow over the whole desktop.
class DesktopScreen final : public ScreenSource {
public:
  QPoint cursorPosition() const override;
  QPixmap grab(const QRect& rect) override;
};

class Magnifier : public QWidget {
  Q_OBJECT
public:
  /// The window's layout is in twips; it is drawn at 15 twips per pixel.
  static constexpr int kTwipsPerPixel = 15;

  explicit Magnifier(ScreenSource& screen, QWidget* parent = nullptr);

  /// On every mouse move over the picture: shows the window, first setting it up (factor 1.5,
  /// first option, timer started) when it was closed. Never takes the focus.
  void showFollowing();
  /// Hides and closes the window; the next show starts again at 1.5.
  void closeMagnifier();
  /// Shown or hidden since showFollowing, not closed since.
  bool isOpen() const { return open_; }

  /// Option1(i): 0.5, 1, 2, 5 give the enlargements 1.5, 2, 3, 6; other numbers change nothing.
  void chooseOption(int index);
  double zoomFactor() const { return zoomFactor_; }
  QRadioButton* option(int index) const { return options_.at(static_cast<std::size_t>(index)); }

  /// One 50 ms timer tick: caption, and a new copy of the screen when the cursor moved or
  /// 250 ms have passed. Does nothing while hidden or minimized.
  void tick();

  /// Height of the view above the option row, pixels.
  int viewHeightPx() const { return viewHeightPx_; }
  /// The rectangles of the last redraw.
  const MagnifierRects& lastRectangles() const { return rects_; }
  /// The stretched copy shown in the view, dw x dh device-independent pixels.
  const QPixmap& view() const { return view_; }
  /// The crosshair's centre: the cursor's pixel is drawn there.
  static QPoint CrosshairCentre();

protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void setUp();
  void redraw(QPoint cursor);

  ScreenSource& screen_;
  std::array<QRadioButton*, kMagnifierOptions.size()> options_{};
  QTimer timer_;
  MagnifierTimer ticks_;
  double zoomFactor_ = kInitialMagnifierZoom;
  int viewHeightPx_ = 0;
  MagnifierRects rects_;
  QPixmap view_;
  bool open_ = false;
  bool placed_ = false;
};

} // namespace spot
