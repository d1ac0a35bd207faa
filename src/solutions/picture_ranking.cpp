// Ranking by picture agreement: a stable sort on (explained, RMS step), then shared ranks.
#include "solutions/picture_ranking.hpp"

#include <algorithm>
#include <cmath> // for round
#include <numeric>

namespace spot {
namespace {

struct Key {
  int explained = 0;
  double rmsSteps = 0;
  int unmatched = 0; // predicted spots with no detected one
  double scoreSteps = 0;

  bool sameAgreement(const Key& o) const {
    return explained == o.explained && rmsSteps == o.rmsSteps && unmatched == o.unmatched;
  }
};

Key keyOf(const SolutionFamily& family, const PictureAgreement& agreement) {
  // Scores compared at 1e-9, as GroupSolutions compares them.
  return {agreement.explained, std::round(agreement.rmsPx / kAgreementRmsStepPx),
          agreement.predicted - agreement.matched, std::round(family.score * 1e9)};
}

} // namespace

std::size_t RankByPictureAgreement(std::vector<SolutionFamily>& families,
                                   std::vector<PictureAgreement>& agreements) {
  if (families.size() != agreements.size()) return 0;
  const std::size_t n = families.size();
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::vector<Key> keys(n);
  for (std::size_t i = 0; i < n; ++i)
    keys[i] = keyOf(families[i], agreements[i]);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (keys[a].explained != keys[b].explained) return keys[a].explained > keys[b].explained;
    if (keys[a].rmsSteps != keys[b].rmsSteps) return keys[a].rmsSteps < keys[b].rmsSteps;
    return keys[a].unmatched < keys[b].unmatched;
  });
  std::vector<SolutionFamily> rankedFamilies;
  std::vector<PictureAgreement> rankedAgreements;
  std::vector<Key> rankedKeys;
  for (std::size_t i : order) {
    rankedFamilies.push_back(std::move(families[i]));
    rankedAgreements.push_back(agreements[i]);
    rankedKeys.push_back(keys[i]);
  }
  std::size_t top = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const bool same = i > 0 && rankedKeys[i].sameAgreement(rankedKeys[i - 1]) &&
                      rankedKeys[i].scoreSteps == rankedKeys[i - 1].scoreSteps;
    rankedFamilies[i].rank = same ? rankedFamilies[i - 1].rank : static_cast<int>(i) + 1;
    if (rankedFamilies[i].rank == 1) ++top;
  }
  families = std::move(rankedFamilies);
  agreements = std::move(rankedAgreements);
  return top;
}

} // namespace spot
