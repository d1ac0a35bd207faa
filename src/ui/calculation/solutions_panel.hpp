// The "Solutions" list under the results: the rows of the last search grouped into families of
// equivalent solutions, best first (by how the picture agrees with them when its spots are
// known), and the nearest misses when the search found nothing. Choosing a family selects its
// rows in the results list and hands it to the calculator.
#pragma once

#include <QLabel>
#include <QTreeView>
#include <QWidget>
#include <functional>
#include <optional>

#include "solutions/families.hpp"
#include "ui/common/background_task.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/picture_evidence.hpp"

namespace spot {

class PhasePanel;
class ResultsPanel;
class SolutionsModel;

class SolutionsPanel : public QWidget {
  Q_OBJECT
public:
  /// Follows the rows of `results`; the phase and pattern are read from the boxes and the
  /// lattice type from `phase` when the rows change.
  SolutionsPanel(BoxArray& boxes, ResultsPanel& results, PhasePanel& phase,
                 QWidget* parent = nullptr);

  /// Where the spots of the picture and its measured R1 and R2 come from, asked at every
  /// refresh; with them the families are ranked by the picture's agreement first.
  void setPictureEvidenceSource(std::function<std::optional<PictureEvidence>()> source) {
    evidenceSource_ = std::move(source);
  }
  /// Groups the rows the results list holds now, ranked by score; with a picture's spots, then
  /// by the picture's agreement once that is worked out (off the window's thread).
  void refresh();
  /// The picture's agreement with the families is being worked out.
  bool rankingByPicture() const { return agreementTask_->isRunning(); }
  /// Selects family `row` (0 = rank 1): its rows selected in the results list, the first in
  /// view, and its representative's planes in the calculator boxes, then `handedOver`.
  void chooseFamily(int row);

  SolutionsModel* model() const { return model_; }
  QTreeView* view() const { return view_; }
  /// "No solution. Nearest: ..." after a search without rows; hidden otherwise.
  QLabel* nearestLabel() const { return nearestLabel_; }
  /// Says which families share the first rank because neither the picture nor the measurement
  /// tells them apart; hidden otherwise.
  QLabel* tieLabel() const { return tieLabel_; }

signals:
  /// A family's planes are in the calculator boxes: the calculator shows and calculates.
  void handedOver();
  /// A family was chosen (its rows are selected already).
  void familyChosen(const SolutionFamily& family);

private:
  void rowColoursChanged();
  void showFamilies(std::vector<SolutionFamily> families, std::vector<int> numbers,
                    std::vector<PictureAgreement> agreements, std::size_t sharingTop);

  BoxArray& boxes_;
  ResultsPanel& results_;
  PhasePanel& phase_;
  SolutionsModel* model_;
  QTreeView* view_;
  QLabel* title_;
  QLabel* nearestLabel_;
  QLabel* tieLabel_;
  std::function<std::optional<PictureEvidence>()> evidenceSource_;
  BackgroundTask* agreementTask_;
};

} // namespace spot
