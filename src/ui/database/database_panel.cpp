// The "Lattice Database" panel: a tree widget over the phase tree model.
#include "ui/database/database_panel.hpp"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace spot {

DatabasePanel::DatabasePanel(QWidget* parent) : QGroupBox(parent) {
  setObjectName(QStringLiteral("Frame7"));
  setTitle(QStringLiteral("Lattice Database"));

  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("TreeView1"));
  tree_->setColumnCount(1);
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setUniformRowHeights(true);
  // Parameter texts are long; scroll sideways rather than cut them off.
  tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tree_->header()->setStretchLastSection(false);

  buildItems();
  connect(tree_, &QTreeWidget::itemChanged, this,
          [this](QTreeWidgetItem* changed, int) { itemChanged(changed); });

  single_ = new QRadioButton(QStringLiteral("Single"), this);
  single_->setObjectName(QStringLiteral("Option1(0)"));
  single_->setChecked(true);
  multiple_ = new QRadioButton(QStringLiteral("Multiple"), this);
  multiple_->setObjectName(QStringLiteral("Option1(1)"));

  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName(QStringLiteral("Command1"));
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (running_) return emit stopRequested();
    hide();
    emit cancelRequested();
  });
  // The user's own phases: CIF files into the library, and out of it again.
  import_ = new QPushButton(QStringLiteral("Import CIF..."), this);
  import_->setObjectName(QStringLiteral("ImportCif"));
  import_->setToolTip(tr("Add the phases of CIF files to your phase library"));
  connect(import_, &QPushButton::clicked, this, &DatabasePanel::importRequested);
  remove_ = new QPushButton(QStringLiteral("Remove"), this);
  remove_->setObjectName(QStringLiteral("RemoveUserPhase"));
  remove_->setToolTip(tr("Remove the chosen (or the ticked) user phases from your library"));
  connect(remove_, &QPushButton::clicked, this, [this] {
    const QTreeWidgetItem* current = tree_->currentItem();
    if (current) {
      const int node = current->data(0, kNodeRole).toInt();
      if (model_.node(node).userPhase > 0)
        return emit removeRequested({model_.node(node).userPhase});
    }
    emit removeRequested(selectedUserPhases());
  });

  calculate_ = new QPushButton(QString::fromUtf8(kCalculateCaption), this);
  calculate_->setObjectName(QStringLiteral("Command13"));
  connect(calculate_, &QPushButton::clicked, this, [this] {
    if (running_) return emit stopRequested();
    emit batchRequested(selectedRecords(), mode());
  });

  note_ = new QLabel(QStringLiteral("Database Updated\n2019.10.13"), this);
  note_->setObjectName(QStringLiteral("DatabaseNote"));
  note_->setFrameShape(QFrame::StyledPanel);
  note_->setAlignment(Qt::AlignCenter);

  auto* options = new QVBoxLayout;
  options->addWidget(single_);
  options->addWidget(multiple_);
  // Two rows, so the panel is no wider than the calculator it shares its place with.
  auto* modes = new QHBoxLayout;
  modes->addLayout(options);
  modes->addWidget(note_);
  modes->addStretch(1);
  auto* commands = new QHBoxLayout;
  commands->addWidget(import_);
  commands->addWidget(remove_);
  commands->addStretch(1);
  commands->addWidget(cancel_);
  commands->addWidget(calculate_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 2, 6, 6);
  layout->addWidget(tree_, 1);
  layout->addLayout(modes);
  layout->addLayout(commands);

  hide(); // shown by "Lattice database"
}

void DatabasePanel::buildItems() {
  const QSignalBlocker quiet(tree_);
  tree_->clear();
  items_.clear();
  items_.reserve(static_cast<std::size_t>(model_.nodeCount()));
  for (int n = 0; n < model_.nodeCount(); ++n) {
    const PhaseTreeNode& node = model_.node(n);
    // Parents come before their children in node order, so the parent's item already exists.
    auto* added = node.parent < 0
                      ? new QTreeWidgetItem(tree_)
                      : new QTreeWidgetItem(items_[static_cast<std::size_t>(node.parent)]);
    added->setText(0, QString::fromStdString(node.text));
    added->setData(0, kKeyRole, QString::fromStdString(node.key));
    added->setData(0, kNodeRole, n);
    added->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    added->setCheckState(0, Qt::Unchecked);
    if (node.key == "User") added->setExpanded(true);
    items_.push_back(added);
  }
  items_.front()->setExpanded(true);
  if (const std::optional<int> user = model_.findNode("User"))
    items_[static_cast<std::size_t>(*user)]->setExpanded(true);
}

void DatabasePanel::setUserPhases(const std::vector<std::string>& captions) {
  model_ = PhaseTree();
  model_.addUserPhases(captions);
  buildItems();
}

QTreeWidgetItem* DatabasePanel::item(int node) const {
  if (node < 0 || node >= static_cast<int>(items_.size())) return nullptr;
  return items_[static_cast<std::size_t>(node)];
}

QTreeWidgetItem* DatabasePanel::itemWithKey(const QString& key) const {
  const std::optional<int> node = model_.findNode(key.toStdString());
  return node ? item(*node) : nullptr;
}

void DatabasePanel::showRunning() {
  running_ = true;
  calculate_->setText(QString::fromUtf8(kRunningCaption));
  calculate_->setToolTip(tr("The run is in progress; click to stop it"));
  for (QWidget* input :
       std::initializer_list<QWidget*>{tree_, single_, multiple_, import_, remove_})
    input->setEnabled(false);
  calculate_->repaint();
}

void DatabasePanel::showFinished() {
  running_ = false;
  calculate_->setText(QString::fromUtf8(kCalculateCaptionAfterRun));
  calculate_->setToolTip(QString());
  for (QWidget* input :
       std::initializer_list<QWidget*>{tree_, single_, multiple_, import_, remove_})
    input->setEnabled(true);
}

void DatabasePanel::itemChanged(QTreeWidgetItem* changed) {
  const int node = changed->data(0, kNodeRole).toInt();
  const bool checked = changed->checkState(0) == Qt::Checked;
  // itemChanged also reports text changes; only a flipped box runs the rules.
  if (checked == model_.node(node).checked) return;
  model_.onNodeChecked(node, checked, mode());
  showCheckStates();
}

void DatabasePanel::showCheckStates() {
  // Writing the states back must not look like the user ticking them.
  const QSignalBlocker quiet(tree_);
  for (std::size_t n = 0; n < items_.size(); ++n) {
    const Qt::CheckState state =
        model_.node(static_cast<int>(n)).checked ? Qt::Checked : Qt::Unchecked;
    if (items_[n]->checkState(0) != state) items_[n]->setCheckState(0, state);
  }
}

} // namespace spot
