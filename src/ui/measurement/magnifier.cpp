// The screen magnifier window.
#include "ui/measurement/magnifier.hpp"
#include "ui/common/qt_text.hpp"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cmath> // for lround

namespace spot {

namespace {

int pixels(int twips) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / Magnifier::kTwipsPerPixel));
}

QRect fromTwips(int left, int top, int width, int height) {
  return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

const QColor kMarkColour(255, 0, 0);

} // namespace

// DESKTOP

QPoint DesktopScreen::cursorPosition() const { return QCursor::pos(); }

QPixmap DesktopScreen::grab(const QRect& rect) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || rect.isEmpty()) return {};
  const QRect part = rect & screen->virtualGeometry();
  if (part.isEmpty()) {
    QPixmap nothing(rect.size());
    nothing.fill(Qt::black);
    return nothing;
  }
  // Window 0 is the whole desktop.
  QPixmap grabbed = screen->grabWindow(0, part.x(), part.y(), part.width(), part.height());
  if (grabbed.isNull() || part == rect) return grabbed;
  const qreal ratio = grabbed.devicePixelRatio();
  QPixmap whole((QSizeF(rect.size()) * ratio).toSize());
  whole.setDevicePixelRatio(ratio);
  whole.fill(Qt::black);
  QPainter painter(&whole);
  painter.drawPixmap(part.topLeft() - rect.topLeft(), grabbed);
  return whole;
}

// WINDOW

Magnifier::Magnifier(ScreenSource& screen, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), screen_(screen) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("Magnification"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedSize(fromTwips(0, 0, 3270, 3195).size());

  auto* group = new QButtonGroup(this);
  constexpr std::array<int, 4> lefts = {0, 740, 1360, 1980};
  constexpr std::array<int, 4> widths = {750, 630, 630, 1350};
  for (std::size_t i = 0; i < kMagnifierOptions.size(); ++i) {
    const std::string_view caption = kMagnifierOptions[i].caption;
    auto* option = new QRadioButton(FromUtf8(caption), this);
    option->setObjectName(QStringLiteral("Option1(%1)").arg(i));
    option->setGeometry(fromTwips(lefts[i], 2880, widths[i], 300));
    option->setFocusPolicy(Qt::NoFocus);
    group->addButton(option, static_cast<int>(i));
    options_[i] = option;
  }
  connect(group, &QButtonGroup::idClicked, this, &Magnifier::chooseOption);

  timer_.setInterval(MagnifierTimer::kIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &Magnifier::tick);
}

QPoint Magnifier::CrosshairCentre() { return {pixels(1620), pixels(1440)}; }

void Magnifier::setUp() {
  viewHeightPx_ = height() - options_[0]->height();
  zoomFactor_ = kInitialMagnifierZoom;
  options_[0]->setChecked(true);
  ticks_ = MagnifierTimer();
  view_ = QPixmap();
  setWindowTitle(QStringLiteral("Magnification"));
  timer_.start();
}

void Magnifier::showFollowing() {
  if (!open_) {
    setUp();
    open_ = true;
  }
  if (!placed_) {
    // Away from the picture and the "Tools" buttons beside it: the bottom right corner of the
    // screen the main window is on. Before the first show the frame is not known yet, so the
    // bottom margin leaves room for a title bar.
    const QScreen* on = parentWidget() ? parentWidget()->screen() : screen();
    if (on) {
      const QRect area = on->availableGeometry();
      move(area.right() - frameGeometry().width() - 8,
           area.bottom() - frameGeometry().height() - 40);
    }
    placed_ = true;
  }
  if (!isVisible()) show();
}

void Magnifier::closeMagnifier() {
  timer_.stop();
  open_ = false;
  view_ = QPixmap();
  hide();
}

void Magnifier::chooseOption(int index) {
  if (const std::optional<double> factor = MagnifierZoomFactor(index)) zoomFactor_ = *factor;
}

void Magnifier::tick() {
  if (!open_ || !isVisible()) return;
  const QPoint cursor = screen_.cursorPosition();
  const MagnifierTick step = ticks_.tick(isMinimized(), cursor.x(), cursor.y());
  if (!step.active) return;
  setWindowTitle(QString::fromStdString(step.caption));
  if (step.redraw) redraw(cursor);
  if (step.reassertTopmost) raise();
}

void Magnifier::redraw(QPoint cursor) {
  rects_ = MagnifierRectangles(cursor.x(), cursor.y(), width(), viewHeightPx_, zoomFactor_);
  const QPixmap source = screen_.grab(
      QRect(rects_.sourceLeft, rects_.sourceTop, rects_.sourceWidth, rects_.sourceHeight));
  if (source.isNull() || rects_.destinationWidth <= 0 || rects_.destinationHeight <= 0) {
    view_ = QPixmap();
  } else {
    // One stretched copy per redraw, pixels repeated rather than blurred; painting then only
    // puts it on the window.
    const qreal ratio = devicePixelRatioF();
    view_ =
        source.scaled((QSizeF(rects_.destinationWidth, rects_.destinationHeight) * ratio).toSize(),
                      Qt::IgnoreAspectRatio, Qt::FastTransformation);
    view_.setDevicePixelRatio(ratio);
  }
  update();
}

void Magnifier::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (!view_.isNull()) painter.drawPixmap(0, 0, view_);

  // The separator above the option row, then the red marks over the copy.
  painter.setPen(palette().windowText().color());
  painter.drawLine(QPoint(0, pixels(2880)), QPoint(pixels(3360), pixels(2880)));
  painter.setPen(QPen(kMarkColour, 1));
  painter.drawLine(QPoint(0, pixels(1440)), QPoint(pixels(3240), pixels(1440)));
  painter.drawLine(QPoint(pixels(1620), 0), QPoint(pixels(1620), pixels(2865)));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.drawEllipse(fromTwips(1020, 840, 1200, 1200));
}

void Magnifier::closeEvent(QCloseEvent* event) {
  closeMagnifier();
  event->accept();
}

} // namespace spot
