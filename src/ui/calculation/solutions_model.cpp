// The families of the "Solutions" list as table cells.
#include "ui/calculation/solutions_model.hpp"

#include <QBrush>
#include <QColor>
#include <QPalette>

#include "core/number_format.hpp"
#include "ui/common/qt_text.hpp"

namespace spot {
namespace {

QString plane(const MillerIndex& g) {
  return QStringLiteral("(%1 %2 %3)").arg(g.h).arg(g.k).arg(g.l);
}

} // namespace

QString RepresentativeText(const SolutionFamily& f) {
  return plane(f.g1) + QStringLiteral(" + ") + plane(f.g2) + QStringLiteral(" = ") + plane(f.g3);
}

QString ZoneAxisText(const SolutionFamily& f) {
  QString text = QStringLiteral("[%1 %2 %3]").arg(f.zoneAxis.u).arg(f.zoneAxis.v).arg(f.zoneAxis.w);
  if (f.zoneAxis4)
    text += QStringLiteral(" = [%1 %2 %3 %4]")
                .arg(f.zoneAxis4->u)
                .arg(f.zoneAxis4->v)
                .arg(f.zoneAxis4->t)
                .arg(f.zoneAxis4->w);
  return text;
}

void SolutionsModel::setFamilies(std::vector<SolutionFamily> families, std::vector<int> rowNumbers,
                                 std::vector<PictureAgreement> agreements) {
  beginResetModel();
  families_ = std::move(families);
  rowNumbers_ = std::move(rowNumbers);
  agreements_ = agreements.size() == families_.size() ? std::move(agreements)
                                                      : std::vector<PictureAgreement>();
  greyed_.assign(families_.size(), 0);
  endResetModel();
}

void SolutionsModel::clear() { setFamilies({}, {}); }

std::vector<int> SolutionsModel::familyRowNumbers(int row) const {
  std::vector<int> numbers;
  for (std::size_t member : family(row).members)
    numbers.push_back(rowNumbers_[member]);
  return numbers;
}

void SolutionsModel::setPassingRows(const std::vector<bool>& passByRowNumber) {
  for (std::size_t f = 0; f < families_.size(); ++f) {
    bool any = false;
    for (std::size_t member : families_[f].members) {
      const std::size_t index = static_cast<std::size_t>(rowNumbers_[member] - 1);
      any = any || (index < passByRowNumber.size() && passByRowNumber[index]);
    }
    greyed_[f] = any ? 0 : 1;
  }
  if (!families_.empty())
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::ForegroundRole});
}

int SolutionsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(families_.size());
}

int SolutionsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant SolutionsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const SolutionFamily& f = family(index.row());
  if (role == Qt::ForegroundRole && isGreyed(index.row()))
    return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
  if (role == Qt::TextAlignmentRole)
    return index.column() == RepresentativeColumn || index.column() == ZoneAxisColumn
               ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
               : QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  const auto fixed = [](double value, int decimals) {
    return FromUtf8(FormatFixed(value, decimals));
  };
  switch (index.column()) {
  case RankColumn: return f.rank;
  case RepresentativeColumn: return RepresentativeText(f);
  case ZoneAxisColumn: return ZoneAxisText(f);
  case RowsColumn: return static_cast<int>(f.members.size());
  case DeviationD1Column:
  case DeviationD2Column:
  case DeviationD3Column: return fixed(f.deviation.d[index.column() - DeviationD1Column], 4);
  case DeviationAngle12Column:
  case DeviationAngle23Column:
  case DeviationAngle13Column:
    return fixed(f.deviation.angle[index.column() - DeviationAngle12Column], 2);
  case ScoreColumn: return fixed(f.score, 3);
  case ExplainedColumn:
  case MatchedColumn:
  case RmsColumn: {
    if (!hasAgreements()) return {};
    const PictureAgreement& a = agreement(index.row());
    if (index.column() == ExplainedColumn)
      return QStringLiteral("%1 of %2").arg(a.explained).arg(a.detected);
    if (index.column() == MatchedColumn)
      return QStringLiteral("%1 of %2").arg(a.matched).arg(a.predicted);
    return fixed(a.rmsPx, 2);
  }
  default: return {};
  }
}

QVariant SolutionsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const titles[ColumnCount] = {
      "Rank",     "Representative",  "Zone axis",       "Rows",     "Δd1 (nm)",
      "Δd2 (nm)", "Δd3 (nm)",        "Δ<R1,R2>",        "Δ<R2,R3>", "Δ<R1,R3>",
      "Score",    "Spots explained", "Predicted found", "RMS (px)"};
  return QString::fromUtf8(titles[section]);
}

} // namespace spot
