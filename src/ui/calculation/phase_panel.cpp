// The phase entry panel.
#include "ui/calculation/phase_panel.hpp"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>
#include <iterator> // for size

#include "core/lattice.hpp"
#include "core/number_format.hpp"
#include "ui/common/qt_text.hpp"

namespace spot {

int TwipsToPixels(const QWidget* widget, int twips) {
  return static_cast<int>(std::lround(twips * widget->logicalDpiX() / 1440.0));
}

namespace {

// The phase name box: it asks for the whole name plus 200 twips of room, but the layout gives it
// only what the column has left, so a long name never widens the window; what does not fit
// scrolls in the box and stands whole in its tooltip.
class NameBox : public QLineEdit {
public:
  NameBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(this, &QLineEdit::textChanged, this, [this] {
      updateGeometry();
      showWholeNameIfCut();
    });
  }
  QSize sizeHint() const override { return {wantedWidth(), QLineEdit::sizeHint().height()}; }
  QSize minimumSizeHint() const override {
    // The width of an empty name: the box never holds the column open for its text.
    return {TwipsToPixels(this, 200), QLineEdit::minimumSizeHint().height()};
  }

protected:
  void resizeEvent(QResizeEvent* event) override {
    QLineEdit::resizeEvent(event);
    showWholeNameIfCut();
  }

private:
  int wantedWidth() const {
    return fontMetrics().horizontalAdvance(text()) + TwipsToPixels(this, 200);
  }
  void showWholeNameIfCut() { setToolTip(width() < wantedWidth() ? text() : QString()); }
};

} // namespace

static void setTextColour(QLineEdit* edit, const QColor& colour) {
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Active, QPalette::Text, colour);
  palette.setColor(QPalette::Inactive, QPalette::Text, colour);
  edit->setPalette(palette);
}

PhasePanel::PhasePanel(BoxArray& boxes, QWidget* parent)
    : QGroupBox(QStringLiteral("点阵标尺"), parent), boxes_(boxes) {
  setObjectName(QStringLiteral("Frame1(0)"));

  lockLabel_ = new ClickableLabel(QStringLiteral("Lattice parameters▲"),
                                  tr("Unlock or lock the lattice parameters"), this);
  lockLabel_->setObjectName(QStringLiteral("Label20"));
  lockLabel_->setToolTip(tr("Click to unlock or lock the lattice parameters"));

  nameBox_ = new NameBox(QStringLiteral("NAME"), this);
  nameBox_->setObjectName(QStringLiteral("Text6"));
  nameBox_->setAccessibleName(tr("Phase name"));
  {
    // The name sits on the panel's own colour, like a caption, until it is unlocked.
    QPalette palette = nameBox_->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
      palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Button));
    nameBox_->setPalette(palette);
  }
  nameBox_->installEventFilter(this);

  auto* typeLabel = new QLabel(QStringLiteral("Lattice type"), this);
  typeLabel->setObjectName(QStringLiteral("Label12"));
  latticeType_ = new QComboBox(this);
  latticeType_->setObjectName(QStringLiteral("Combo1"));
  for (std::string_view item : kLatticeSelectorTexts)
    latticeType_->addItem(FromUtf8(item));
  latticeType_->setCurrentIndex(0);
  typeLabel->setBuddy(latticeType_);

  databaseLabel_ = new ClickableLabel(QStringLiteral("Lattice database"),
                                      tr("Show or hide the lattice database"), this);
  databaseLabel_->setObjectName(QStringLiteral("Label10"));
  connect(databaseLabel_, &ClickableLabel::clicked, this, &PhasePanel::databaseLabelClicked);
  {
    QFont font = databaseLabel_->font();
    font.setUnderline(true);
    databaseLabel_->setFont(font);
    lockLabel_->setFont(font);
  }

  calculateButton_ = new QPushButton(QStringLiteral("Calculate"), this);
  calculateButton_->setObjectName(QStringLiteral("Command6"));

  auto* layout = new QVBoxLayout(this);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(lockLabel_);
  nameRow->addWidget(nameBox_);
  nameRow->addStretch(1); // takes what the name leaves
  layout->addLayout(nameRow);

  auto* typeRow = new QHBoxLayout;
  typeRow->addWidget(typeLabel);
  typeRow->addWidget(latticeType_);
  typeRow->addStretch(1);
  typeRow->addWidget(databaseLabel_);
  layout->addLayout(typeRow);

  // a= [ ] nm      α= [ ] deg.   — one row per edge and its opposite angle.
  auto* cell = new QGridLayout;
  const Box edges[] = {Box::A, Box::B, Box::C};
  const Box angles[] = {Box::Alpha, Box::Beta, Box::Gamma};
  const char* edgeCaptions[] = {"a=", "b=", "c="};
  const char* angleCaptions[] = {"nm      α=", "nm      β=", "nm      γ="};
  for (int row = 0; row < 3; ++row) {
    auto* edgeLabel = new QLabel(QString::fromUtf8(edgeCaptions[row]), this);
    auto* angleLabel = new QLabel(QString::fromUtf8(angleCaptions[row]), this);
    QLineEdit* edge = boxes_.box(edges[row]);
    QLineEdit* angle = boxes_.box(angles[row]);
    edgeLabel->setBuddy(edge);
    angleLabel->setBuddy(angle);
    edge->setFixedWidth(80);
    angle->setFixedWidth(80);
    edge->setEnabled(false);
    angle->setEnabled(false);
    cell->addWidget(edgeLabel, row, 0, Qt::AlignRight);
    cell->addWidget(edge, row, 1);
    cell->addWidget(angleLabel, row, 2, Qt::AlignRight);
    cell->addWidget(angle, row, 3);
    cell->addWidget(new QLabel(QStringLiteral("deg."), this), row, 4);
  }
  cell->setColumnStretch(5, 1);
  layout->addLayout(cell);

  auto* rangeRow = new QHBoxLayout;
  auto* rangeLabel = new QLabel(QStringLiteral("Index range"), this);
  QLineEdit* range = boxes_.box(Box::IndexRange);
  rangeLabel->setBuddy(range);
  range->setMaximumWidth(60);
  rangeRow->addWidget(rangeLabel);
  rangeRow->addWidget(range);
  rangeRow->addStretch(1);
  rangeRow->addWidget(calculateButton_);
  layout->addLayout(rangeRow);

  nameBox_->setFrame(false);
  nameBox_->setEnabled(false);
  connect(lockLabel_, &ClickableLabel::clicked, this, &PhasePanel::toggleLock);

  // A cell that is no longer the phase's, or another type, leaves the centring alone.
  for (int i = 0; i < 6; ++i)
    connect(boxes_.box(static_cast<Box>(BoxNumber(Box::A) + i)), &QLineEdit::textChanged, this,
            [this, i](const QString& text) {
              if (attached_ && text != attachedCellTexts_[static_cast<std::size_t>(i)])
                detachGroup();
            });
  connect(latticeType_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (attached_ && index != replacedTypeIndex_) detachGroup();
  });

  // Keyboard order as a phase is entered: unlock, name, type (or the database), the cell, the
  // range, then "Calculate".
  QWidget* order[] = {lockLabel_,
                      nameBox_,
                      latticeType_,
                      databaseLabel_,
                      boxes_.box(Box::A),
                      boxes_.box(Box::B),
                      boxes_.box(Box::C),
                      boxes_.box(Box::Alpha),
                      boxes_.box(Box::Beta),
                      boxes_.box(Box::Gamma),
                      range,
                      calculateButton_};
  for (std::size_t i = 1; i < std::size(order); ++i)
    setTabOrder(order[i - 1], order[i]);
}

void PhasePanel::attachPhase(const CrystalPhase& phase) {
  detachGroup();
  const LatticeParameters& c = phase.cell;
  const std::array<double, 6> values = {c.a, c.b, c.c, c.alpha, c.beta, c.gamma};
  nameBox_->setText(FromUtf8(phase.name));
  // The type first: choosing it would otherwise detach the group just attached.
  latticeType_->setCurrentIndex(SelectorIndexOf(phase.latticeType()));
  for (int i = 0; i < 6; ++i) {
    attachedCellTexts_[static_cast<std::size_t>(i)] =
        FromUtf8(FormatGeneral(values[static_cast<std::size_t>(i)]));
    boxes_.setText(static_cast<Box>(BoxNumber(Box::A) + i),
                   attachedCellTexts_[static_cast<std::size_t>(i)]);
  }
  if (!phase.group) return;
  attached_ = phase;
  replacedTypeIndex_ = latticeType_->currentIndex();
  replacedTypeText_ = latticeType_->itemText(replacedTypeIndex_);
  latticeType_->setItemText(replacedTypeIndex_, FromUtf8(phase.group->symbol()));
  latticeType_->setEnabled(false);
  latticeType_->setToolTip(tr("Space group of the phase; edit a cell box to use the lattice type "
                              "alone"));
  emit attachedPhaseChanged();
}

void PhasePanel::detachGroup() {
  if (!attached_) return;
  attached_.reset();
  latticeType_->setItemText(replacedTypeIndex_, replacedTypeText_);
  replacedTypeIndex_ = -1;
  latticeType_->setEnabled(true);
  latticeType_->setToolTip(QString());
  emit attachedPhaseChanged();
}

std::optional<ReflectionRule> PhasePanel::currentRule() const {
  if (attached_) return attached_->rule();
  const std::optional<LatticeType> type = LatticeTypeFromIndex(latticeType_->currentIndex());
  if (!type) return std::nullopt;
  return ReflectionRule(*type);
}

void PhasePanel::lock() {
  nameBox_->setFrame(false);
  nameBox_->setEnabled(false);
  for (int i = BoxNumber(Box::A); i <= BoxNumber(Box::Gamma); ++i)
    boxes_.box(static_cast<Box>(i))->setEnabled(false);
}

void PhasePanel::unlock() {
  nameBox_->setEnabled(true);
  nameBox_->setText(QString::fromUtf8(kNamePlaceholder));
  nameBox_->setFrame(true);
  const QColor red(255, 0, 0);
  setTextColour(nameBox_, red);
  for (int i = BoxNumber(Box::A); i <= BoxNumber(Box::Gamma); ++i) {
    QLineEdit* edit = boxes_.box(static_cast<Box>(i));
    edit->setEnabled(true);
    setTextColour(edit, red);
  }
}

void PhasePanel::toggleLock() {
  if (isLocked())
    unlock();
  else
    lock();
}

bool PhasePanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == nameBox_ && event->type() == QEvent::FocusIn &&
      nameBox_->text() == QString::fromUtf8(kNamePlaceholder))
    nameBox_->setText(QStringLiteral("     "));
  return QGroupBox::eventFilter(watched, event);
}

} // namespace spot
