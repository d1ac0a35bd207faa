// The numbered boxes of the main window.
#include "ui/common/box_array.hpp"

#include <QStyle>
#include <QStyleOptionFrame>

namespace spot {

BoxArray::BoxArray(QWidget* parent) : QObject(parent) {
  const BoxTexts initial = BoxTexts::Initial();
  for (int i = 0; i < kBoxCount; ++i) {
    auto* edit = new QLineEdit(QString::fromStdString(initial[i]), parent);
    edit->setObjectName(QStringLiteral("Text1(%1)").arg(i));
    edit->setAccessibleName(QString::fromStdString(BoxCaption(static_cast<Box>(i))));
    const Box which = static_cast<Box>(i);
    connect(edit, &QLineEdit::textChanged, this, [this, which] { emit changed(which); });
    boxes_[static_cast<std::size_t>(i)] = edit;
  }
}

BoxTexts BoxArray::texts() const {
  BoxTexts texts;
  for (int i = 0; i < kBoxCount; ++i)
    texts[i] = boxes_[static_cast<std::size_t>(i)]->text().toStdString();
  return texts;
}

void BoxArray::setText(Box which, const QString& text) {
  QLineEdit* edit = box(which);
  // Writing a box always counts as a change, also when the text stays the same: a slider that
  // writes the text already shown must still run the tolerance filter.
  if (edit->text() == text) {
    emit changed(which);
    return;
  }
  edit->setText(text);
  // A number written by the program shows its leading digits, not the end of a long fraction.
  if (!edit->hasFocus()) edit->setCursorPosition(0);
}

void BoxArray::focusAndSelect(Box which) {
  QLineEdit* edit = box(which);
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
}

int BoxWidthFor(const QLineEdit& box, const QString& sample) {
  // What QLineEdit::sizeHint adds to its text: 2 pixels of margin a side, the text margins,
  // and the frame the style draws.
  const QMargins margins = box.textMargins();
  const QSize text(box.fontMetrics().horizontalAdvance(sample) + 4 + margins.left() +
                       margins.right(),
                   box.fontMetrics().height());
  QStyleOptionFrame option;
  option.initFrom(&box);
  option.lineWidth = box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
  return box.style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, &box).width();
}

} // namespace spot
