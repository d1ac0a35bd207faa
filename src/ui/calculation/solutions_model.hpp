// The "Solutions" list: one family of equivalent result rows a line, with its rank,
// representative, zone axis, number of rows, deviations and score, and with a picture how well
// its predicted spots agree with the spots found; families whose rows the tolerance filter has
// all turned away are greyed.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "core/picture_agreement.hpp"
#include "solutions/families.hpp"

namespace spot {

class SolutionsModel : public QAbstractTableModel {
  Q_OBJECT
public:
  enum Column {
    RankColumn,
    RepresentativeColumn,
    ZoneAxisColumn,
    RowsColumn,
    DeviationD1Column,
    DeviationD2Column,
    DeviationD3Column,
    DeviationAngle12Column,
    DeviationAngle23Column,
    DeviationAngle13Column,
    ScoreColumn,
    ExplainedColumn, ///< detected spots the family explains, of those found
    MatchedColumn,   ///< its predicted spots with a spot found there, of those on the picture
    RmsColumn,       ///< RMS distance of those pairs (px)
    ColumnCount
  };

  using QAbstractTableModel::QAbstractTableModel;

  /// Replaces the families; `rowNumbers[i]` is the "No." of the i-th row they were grouped from,
  /// `agreements` (one per family, or none without a picture) how the picture agrees with each.
  void setFamilies(std::vector<SolutionFamily> families, std::vector<int> rowNumbers,
                   std::vector<PictureAgreement> agreements = {});
  void clear();

  const SolutionFamily& family(int row) const { return families_[static_cast<std::size_t>(row)]; }
  /// Whether the families carry a picture agreement (the last three columns are filled).
  bool hasAgreements() const { return !agreements_.empty(); }
  const PictureAgreement& agreement(int row) const {
    return agreements_[static_cast<std::size_t>(row)];
  }
  /// The "No." numbers of a family's rows, ascending.
  std::vector<int> familyRowNumbers(int row) const;
  /// Greys every family none of whose rows passes, by "No." (index = No. - 1).
  void setPassingRows(const std::vector<bool>& passByRowNumber);
  bool isGreyed(int row) const { return greyed_[static_cast<std::size_t>(row)] != 0; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

private:
  std::vector<SolutionFamily> families_;
  std::vector<int> rowNumbers_;
  std::vector<PictureAgreement> agreements_;
  std::vector<unsigned char> greyed_;
};

/// "(h k l) + (h k l) = (h k l)".
QString RepresentativeText(const SolutionFamily& family);
/// "[u v w]", and " = [u v t w]" for a hexagonal cell.
QString ZoneAxisText(const SolutionFamily& family);

} // namespace spot
