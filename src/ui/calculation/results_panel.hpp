// The right side of the "Calculation" tab: the results list ListView1 and the frame Frame9 under
// it (count Label22, measured-value summary Label5, tolerance sliders, pattern sketch), with the
// search behind "Calculate", the tolerance filter and the hand-over of a row to the calculator.
#pragma once

#include <QLabel>
#include <QSplitter>
#include <QWidget>
#include <optional>
#include <vector>

#include "database/report_file.hpp"
#include "indexing/run_search.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/prompts.hpp"

namespace spot {

class PatternSketch;
class PhasePanel;
class ResultsModel;
class ResultsView;
class TolerancePanel;

class ResultsPanel : public QWidget {
  Q_OBJECT
public:
  /// Searches with the boxes and the lattice type of `phase`, whose "Calculate" it answers.
  ResultsPanel(BoxArray& boxes, PhasePanel& phase, Prompts& prompts, QWidget* parent = nullptr);

  /// "Calculate" (Command6): the search, then sorted by "No.", coloured, and the phase locked.
  void calculate();
  /// The search alone over the boxes: fills the list, the count and the summary, with its
  /// message when it stops; rows stay in search order. Returns why it stopped, if it did.
  std::optional<SearchFault> runIndexingSearch();
  /// Shows what one search returned: the rows in search order, the count, the summary, and its
  /// message when it stopped (unless the caller reports problems itself).
  void showSearchOutcome(SearchOutcome outcome, bool reportProblems);
  /// Sorted by "No." and coloured as after a search.
  void showInSearchOrder();
  /// True after a search that rejected a box as not numeric.
  bool inputErrorFlag() const { return inputErrorFlag_; }

  /// Empties the list and sets the count to "0".
  void clearResults();
  /// Empties the list and the summary, as before any measurement.
  void clearMeasurement();
  /// The six default tolerances, as a click on the counter restores them.
  void resetTolerances();
  /// "Calculate zone axis index": the selected row's planes into the calculator boxes, then
  /// `handedOver`. Does nothing without a selected row.
  void handOverSelectedRow();
  /// Every row's cells as the list shows them, in the list's order (for a report).
  std::vector<ResultCells> shownCells() const;

  /// Puts `widget` under the list, above the frame, sharing the list's height with it.
  void addBelowList(QWidget* widget);
  /// True when the rows shown come from a search that ran to its end (possibly with no row);
  /// false after clearing, a refused box or a fault.
  bool showsCompletedSearch() const { return completedSearch_; }

  ResultsModel* model() const { return model_; }
  ResultsView* view() const { return view_; }
  QLabel* countLabel() const { return countLabel_; }     ///< Label22
  QLabel* summaryLabel() const { return summaryLabel_; } ///< Label5
  TolerancePanel* tolerancePanel() const { return tolerancePanel_; }
  PatternSketch* sketch() const { return sketch_; }

signals:
  /// "Calculate" starts: secondary windows that would cover the list close.
  void searchStarting();
  /// A row's planes are in the calculator boxes: the calculator shows and calculates.
  void handedOver();
  /// The rows were replaced or cleared.
  void resultsChanged();
  /// The user moved to a row (click, arrow keys, or a family choosing its rows).
  void solutionChosen(const IndexingResult& row);

private:
  QWidget* buildFrame();
  void boxChanged(Box which);
  void runToleranceFilter(Box toleranceBox);
  void sliderMoved(Box toleranceBox, int position);

  BoxArray& boxes_;
  PhasePanel& phase_;
  Prompts& prompts_;
  bool inputErrorFlag_ = false;
  bool completedSearch_ = false;
  QSplitter* listSplitter_ = nullptr;
  ResultsModel* model_;
  ResultsView* view_;
  QLabel* countLabel_ = nullptr;
  QLabel* summaryLabel_ = nullptr;
  TolerancePanel* tolerancePanel_ = nullptr;
  PatternSketch* sketch_ = nullptr;
};

} // namespace spot
