// The "Measure" dialog.
#include "ui/measurement/measure_dialog.hpp"

#include "ui/common/qt_text.hpp"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QScreen>
#include <algorithm> // for max
#include <cmath>     // for lround

namespace spot {

namespace {

/// Where each role's picture goes, twips.
constexpr std::array<QPoint, kLineRoleCount> kIllustrationTwips = {
    {{1680, 600}, {1700, 800}, {1680, 800}, {1660, 800}}};

int pixels(int twips) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / MeasureDialog::kTwipsPerPixel));
}

} // namespace

QRect MeasureDialog::FromTwips(int left, int top, int width, int height) {
  return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

MeasureDialog::MeasureDialog(PictureView& view, MeasurementState& state, BoxArray& boxes,
                             QWidget* parent)
    : QDialog(parent), view_(view), state_(state), boxes_(boxes) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Measure"));
  setModal(false);
  setFixedSize(FromTwips(0, 0, 4650, 2835).size());

  // The pictures first, so the entry box and its captions lie on top of them; they take no
  // focus, so the tab order below is the order of creation.
  for (int i = 0; i < kLineRoleCount; ++i) {
    auto* picture = new RoleIllustration(static_cast<LineRole>(i), this);
    picture->hide();
    illustrations_[static_cast<std::size_t>(i)] = picture;
  }

  auto* roles = new QButtonGroup(this);
  const std::array<const char*, kLineRoleCount> captions = {"Scale bar", "R1", "R2", "R3"};
  const std::array<QRect, kLineRoleCount> places = {
      FromTwips(600, 720, 1215, 255), FromTwips(600, 1080, 705, 255),
      FromTwips(600, 1440, 690, 255), FromTwips(600, 1800, 690, 255)};
  for (int i = 0; i < kLineRoleCount; ++i) {
    auto* option =
        new QRadioButton(QString::fromLatin1(captions[static_cast<std::size_t>(i)]), this);
    option->setObjectName(QStringLiteral("Option1(%1)").arg(i));
    option->setGeometry(places[static_cast<std::size_t>(i)]);
    roles->addButton(option, i);
    options_[static_cast<std::size_t>(i)] = option;
  }
  // A click on the chosen option refreshes the caption too.
  connect(roles, &QButtonGroup::idClicked, this, &MeasureDialog::chooseRole);
  connect(roles, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) chooseRole(id);
  });

  entry_ = new QLineEdit(this);
  entry_->setObjectName(QStringLiteral("Text1"));
  entry_->setGeometry(FromTwips(1920, 480, 495, 270));

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("Command1"));
  okButton_->setGeometry(FromTwips(1200, 2280, 1095, 375));
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &MeasureDialog::confirm);

  cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancelButton_->setObjectName(QStringLiteral("Command2"));
  cancelButton_->setGeometry(FromTwips(2760, 2280, 1095, 375));
  cancelButton_->setAutoDefault(false);
  connect(cancelButton_, &QPushButton::clicked, this, &MeasureDialog::cancel);

  lengthCaption_ = new QLabel(this);
  lengthCaption_->setObjectName(QStringLiteral("Label2"));
  entryCaption_ = new QLabel(this);
  entryCaption_->setObjectName(QStringLiteral("Label1"));
  // Both captions are placed with their texts, by setUp below.

  setUp();
}

void MeasureDialog::placeLabel(QLabel* label, QRect place) {
  // The captions are longer than their laid-out width in most fonts: the label grows to the
  // right (the dialog has room there) instead of cutting the number off.
  const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
  place.setWidth(std::max(place.width(), std::min(needed, width() - place.left())));
  label->setGeometry(place);
}

void MeasureDialog::setUp() {
  role_ = LineRole::ScaleBar;
  options_[0]->setChecked(true);
  entry_->clear();
  showRole(LineRole::ScaleBar);
}

void MeasureDialog::showRole(LineRole role) {
  role_ = role;
  const double length = state_.measuredLengthPx;
  roundedLengthPx_ = RoundedLengthPx(length);
  const int index = static_cast<int>(role);
  for (int i = 0; i < kLineRoleCount; ++i) {
    RoleIllustration* picture = illustrations_[static_cast<std::size_t>(i)];
    if (i != index) {
      picture->hide();
      continue;
    }
    const QPoint at = kIllustrationTwips[static_cast<std::size_t>(i)];
    picture->move(pixels(at.x()), pixels(at.y()));
    picture->show();
  }
  entryCaption_->setText(FromUtf8(RoleEntryCaption(role)));
  placeLabel(entryCaption_, FromTwips(2200, 495, 1185, 225));
  lengthCaption_->setText(QString::fromStdString(RoleLengthCaption(role, length)));
  placeLabel(lengthCaption_, FromTwips(1800, 240, 1425, 225));
}

void MeasureDialog::chooseRole(int index) {
  const std::optional<LineRole> role = LineRoleFromIndex(index);
  if (!role) return;
  options_[static_cast<std::size_t>(index)]->setChecked(true);
  showRole(*role);
}

void MeasureDialog::placeOffLine() {
  // The line just drawn, on the screen, with room around its ends for the spots they mark.
  constexpr int margin = 24;
  const PictureLine& line = state_.lastLine;
  const ScreenPoint start = view_.viewGeometry().toScreen(line.start);
  const ScreenPoint end = view_.viewGeometry().toScreen(line.end);
  const QRect onView =
      QRectF(QPointF(start.x, start.y), QPointF(end.x, end.y)).normalized().toAlignedRect();
  const QRect lineRect = QRect(view_.mapToGlobal(onView.topLeft()), onView.size())
                             .adjusted(-margin, -margin, margin, margin);
  // A place the user chose, or one found before, stays while it leaves the line free.
  if (placed_ && !frameGeometry().intersects(lineRect)) return;

  // The corners of the picture area, top right first (next to the tools), kept on the screen.
  QRect area(view_.mapToGlobal(QPoint(0, 0)), view_.size());
  if (const QScreen* screen = view_.screen()) area &= screen->availableGeometry();
  const QSize size = frameGeometry().size();
  const int inset = 8;
  const int left = area.left() + inset;
  const int right = std::max(left, area.right() - inset - size.width() + 1);
  const int top = area.top() + inset;
  const int bottom = std::max(top, area.bottom() - inset - size.height() + 1);
  const std::array<QPoint, 4> corners = {
      {{right, top}, {right, bottom}, {left, top}, {left, bottom}}};

  QPoint best = corners[0];
  long long leastCovered = -1;
  for (const QPoint& corner : corners) {
    const QRect covered = QRect(corner, size) & lineRect;
    const long long coveredArea =
        covered.isEmpty() ? 0LL : 1LL * covered.width() * covered.height();
    if (leastCovered < 0 || coveredArea < leastCovered) {
      best = corner;
      leastCovered = coveredArea;
    }
    if (coveredArea == 0) break;
  }
  move(best); // a window's position is that of its frame
  placed_ = true;
}

void MeasureDialog::showForLine() {
  if (!open_) {
    setUp();
    placeOffLine();
  }
  open_ = true;
  show();
  raise();
  activateWindow();
  // The value is what the user types next.
  entry_->setFocus(Qt::OtherFocusReason);
}

void MeasureDialog::closeDialog() {
  roundedLengthPx_ = 0;
  open_ = false;
  hide();
}

void MeasureDialog::confirm() {
  BoxTexts texts = boxes_.texts();
  const std::vector<Box> written =
      ConfirmMeasuredLine(role_, entry_->text().toStdString(), state_.lastLine,
                          state_.measuredLengthPx, state_.vectors, texts);
  for (Box box : written)
    boxes_.setText(box, QString::fromStdString(texts[box]));
  closeDialog();
}

void MeasureDialog::cancel() {
  state_.removeNewestLine();
  closeDialog();
}

void MeasureDialog::closeEvent(QCloseEvent* event) {
  // The title bar's close button closes the dialog like a background click: no line removed.
  closeDialog();
  event->accept();
}

// Escape: the line was not wanted, as with "Cancel".
void MeasureDialog::reject() { cancel(); }

} // namespace spot
