// The contact panel and its pictures.
#include "ui/online/contact_panel.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm> // for min
#include <array>
#include <cstdint>

#include "ui/online/online_pages.hpp"

namespace spot {

namespace {

// A 25 × 25 grid in the look of a scan code: three corner squares, a dotted row and column
// between them, and the rest filled from a hash of the text.
constexpr int kModules = 25;
using ModuleGrid = std::array<std::array<bool, kModules>, kModules>;

bool InCornerSquare(int row, int column) {
  const bool top = row < 8, left = column < 8;
  const bool bottom = row >= kModules - 8, right = column >= kModules - 8;
  return (top && left) || (top && right) || (bottom && left);
}

bool CornerSquareModule(int row, int column) {
  // 7 × 7: dark ring, light ring, dark 3 × 3 centre; the eighth row and column stay light.
  const int r = row < 8 ? row : row - (kModules - 7);
  const int c = column < 8 ? column : column - (kModules - 7);
  if (r < 0 || c < 0 || r > 6 || c > 6) return false;
  const int ring = std::min(std::min(r, c), std::min(6 - r, 6 - c));
  return ring != 1;
}

ModuleGrid CodeModules(const QString& text) {
  // FNV-1a over the UTF-8 bytes seeds a splitmix64 stream: fixed for a given text.
  std::uint64_t state = 14695981039346656037ull;
  for (const char byte : text.toUtf8()) {
    state ^= static_cast<unsigned char>(byte);
    state *= 1099511628211ull;
  }
  auto next = [&state] {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  };
  ModuleGrid grid{};
  for (int row = 0; row < kModules; ++row) {
    for (int column = 0; column < kModules; ++column) {
      bool& module = grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
      if (InCornerSquare(row, column))
        module = CornerSquareModule(row, column);
      else if (row == 6 || column == 6)
        module = (row + column) % 2 == 0;
      else
        module = (next() & 1u) != 0;
    }
  }
  return grid;
}

QLabel* PictureLabel(const char* objectName, const QString& address, const QString& caption,
                     QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(objectName));
  label->setPixmap(QPixmap::fromImage(DrawAddressPicture(address, caption)));
  label->setAlignment(Qt::AlignCenter);
  label->setToolTip(address);
  return label;
}

} // namespace

QImage DrawAddressPicture(const QString& address, const QString& caption) {
  constexpr int moduleSide = 7, margin = 14;
  constexpr int codeSide = kModules * moduleSide;
  const int width = codeSide + 2 * margin;
  const int height = codeSide + 2 * margin + 44;
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);

  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const ModuleGrid grid = CodeModules(address);
  for (int row = 0; row < kModules; ++row)
    for (int column = 0; column < kModules; ++column)
      if (grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)])
        painter.fillRect(margin + column * moduleSide, margin + row * moduleSide, moduleSide,
                         moduleSide, QColor(20, 40, 90));

  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setPen(Qt::black);
  QFont font = painter.font();
  font.setPixelSize(14);
  font.setBold(true);
  painter.setFont(font);
  const int textTop = margin + codeSide + 4;
  painter.drawText(QRect(0, textTop, width, 20), Qt::AlignCenter, caption);
  font.setPixelSize(11);
  font.setBold(false);
  painter.setFont(font);
  painter.setPen(QColor(60, 60, 60));
  painter.drawText(QRect(0, textTop + 20, width, 16), Qt::AlignCenter, address);
  return image;
}

ContactPanel::ContactPanel(QWidget* parent) : QGroupBox(QStringLiteral("SpotIndex"), parent) {
  setObjectName(QStringLiteral("Frame10"));
  auto* layout = new QHBoxLayout(this);

  auto* optionColumn = new QVBoxLayout;
  options_ = new QButtonGroup(this);
  const std::array<std::pair<int, const char*>, 3> captions = {
      {{0, "官方网站"}, {1, "官方社区"}, {3, "联系我们"}}};
  for (const auto& [index, caption] : captions) {
    auto* option = new QRadioButton(QString::fromUtf8(caption), this);
    option->setObjectName(QStringLiteral("Option3(%1)").arg(index));
    options_->addButton(option, index);
    optionColumn->addWidget(option);
  }
  options_->button(0)->setChecked(true);
  connect(options_, &QButtonGroup::idClicked, this, &ContactPanel::showOptionPicture);
  optionColumn->addStretch(1);
  auto* addresses = new QLabel(
      QStringLiteral("官方网站：%1\n官方论坛：%2").arg(ProjectHomePage(), ForumPage()), this);
  addresses->setTextInteractionFlags(Qt::TextSelectableByMouse);
  optionColumn->addWidget(addresses);
  layout->addLayout(optionColumn);

  // The four pictures share one place; only one is shown at a time.
  auto* pictures = new QGridLayout;
  image6_ = PictureLabel("Image6", ProjectHomePage(), QStringLiteral("SpotIndex 官方网站"), this);
  image7_ = PictureLabel("Image7", ForumPage(), QStringLiteral("SpotIndex 官方社区"), this);
  image9_ = PictureLabel("Image9", ForumPage(), QStringLiteral("加入 SpotIndex 团队"), this);
  image10_ = PictureLabel("Image10", CommentsPage(), QStringLiteral("联系我们 · 留言"), this);
  for (QLabel* image : {image6_, image7_, image9_, image10_})
    pictures->addWidget(image, 0, 0);
  layout->addLayout(pictures, 1);
  showOptionPicture(0);
}

QLabel* ContactPanel::picture(int number) const {
  switch (number) {
  case 6: return image6_;
  case 7: return image7_;
  case 9: return image9_;
  case 10: return image10_;
  default: return nullptr;
  }
}

void ContactPanel::showOptionPicture(int index) {
  QLabel* shown = nullptr;
  switch (index) {
  case 0: shown = image6_; break;
  case 1: shown = image7_; break;
  case 3: shown = image10_; break;
  default: return;
  }
  for (QLabel* image : {image6_, image7_, image9_, image10_})
    image->setVisible(image == shown);
}

} // namespace spot
