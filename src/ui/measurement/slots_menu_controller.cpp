// Saving and importing measurement slots from the popup menu.
#include "ui/measurement/slots_menu_controller.hpp"

#include <QComboBox>
#include <QMouseEvent>

#include "ui/common/qt_text.hpp"
#include "ui/common/report_places.hpp"

namespace spot {

SlotsMenuController::SlotsMenuController(BoxArray& boxes, QLineEdit& phaseName,
                                         QComboBox& latticeType, Prompts& prompts, Places& places,
                                         QObject* parent)
    : QObject(parent), boxes_(boxes), phaseName_(phaseName), latticeType_(latticeType),
      prompts_(prompts), places_(places), menu_(new QMenu) {
  menu_->setObjectName(QStringLiteral("pop3"));

  saveAction_ = menu_->addAction(QStringLiteral("Save Calculated Data"));
  saveAction_->setObjectName(QStringLiteral("pop30"));
  connect(saveAction_, &QAction::triggered, this, &SlotsMenuController::save);
  for (int k = 1; k <= kStoredSlotCount; ++k) {
    QAction* action = menu_->addAction(QStringLiteral("Import%1").arg(k));
    action->setObjectName(QStringLiteral("pop3%1").arg(k));
    connect(action, &QAction::triggered, this, [this, k] { importSlot(k); });
    importActions_[static_cast<std::size_t>(k - 1)] = action;
  }
}

// The menu is a top-level popup without a parent widget.
SlotsMenuController::~SlotsMenuController() { delete menu_; }

std::filesystem::path SlotsMenuController::slotsFile() const {
  return FileSystemPath(places_.slotsFilePath());
}

void SlotsMenuController::report(const SlotsFileFailure& failure) {
  prompts_.showMessage(QString::fromStdString(SlotsFileMessage(failure)));
}

void SlotsMenuController::refreshCaptions() {
  const SlotsMenu prepared = PrepareSlotsMenu(slotsFile());
  for (int k = 0; k < kStoredSlotCount; ++k) {
    // A "&" in a picture name is shown as typed, not taken as a menu shortcut.
    QString caption = QString::fromStdString(prepared.importCaptions[static_cast<std::size_t>(k)]);
    importActions_[static_cast<std::size_t>(k)]->setText(
        caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
  }
  if (prepared.failure) report(*prepared.failure);
}

void SlotsMenuController::showSlotsMenu(QPoint globalPosition) {
  refreshCaptions();
  menu_->popup(globalPosition);
}

bool SlotsMenuController::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() == Qt::RightButton) {
      showSlotsMenu(press->globalPosition().toPoint());
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void SlotsMenuController::save() {
  const std::optional<QString> name =
      prompts_.askText(QStringLiteral("Input name of your picture."), QString(), QString());
  if (!name || name->isEmpty()) return;

  SlotContent content;
  content.boxes = boxes_.texts();
  content.comboPosition = latticeType_.currentIndex();
  content.phaseName = ToUtf8(phaseName_.text());
  if (const auto failure = SaveSlot(slotsFile(), name->toStdString(), content)) report(*failure);
}

void SlotsMenuController::importSlot(int slot) {
  const SlotImport read = ImportSlot(slotsFile(), slot);
  if (read.failure) report(*read.failure);
  if (!read.slot) return;
  const ImportedSlot& imported = *read.slot;

  // Box by box in element order, then the name: each reacts as when typed.
  for (int i = 0; i < kBoxCount; ++i)
    boxes_.setText(static_cast<Box>(i), FromUtf8(imported.boxes[i]));
  phaseName_.setText(FromUtf8(imported.phaseName));
  // A never-saved slot has no lattice type: only the boxes and the name are taken.
  if (!imported.comboPosition) return;
  latticeType_.setCurrentIndex(*imported.comboPosition);
  emit phaseImported();
}

} // namespace spot
