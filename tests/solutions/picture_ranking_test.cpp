#include "solutions/picture_ranking.hpp"

#include <gtest/gtest.h>

namespace spot {
namespace {

SolutionFamily family(int rank, double score, int h) {
  SolutionFamily f;
  f.rank = rank;
  f.score = score;
  f.g1 = {h, 0, 0};
  return f;
}

// Explained spots first, then RMS (in 0.01 px steps), then fewer unmatched predictions, then the
// order by score they came in; families equal in all share their rank and the first rank's
// count comes back.
TEST(PictureRanking, RanksByExplainedSpotsThenRmsThenScoreAndSharesTies) {
  std::vector<SolutionFamily> families = {family(1, 0.1, 1), family(2, 0.2, 2), family(3, 0.2, 3),
                                          family(4, 0.3, 4), family(5, 0.4, 5)};
  std::vector<PictureAgreement> agreements = {
      {50, 20, 40, 30, 0.5},   // fewer explained than the next three
      {50, 40, 40, 38, 0.301}, // ties with the next: 0.301 and 0.304 are both 30 steps of 0.01
      {50, 40, 40, 38, 0.304}, // and the same score
      {50, 40, 40, 38, 0.2},   // the smallest RMS among the 38s
      {50, 10, 40, 5, 0.1}};
  EXPECT_EQ(RankByPictureAgreement(families, agreements), 1u);
  std::vector<int> order, ranks;
  for (const SolutionFamily& f : families)
    order.push_back(f.g1.h), ranks.push_back(f.rank);
  EXPECT_EQ(order, (std::vector<int>{4, 2, 3, 1, 5}));
  EXPECT_EQ(ranks, (std::vector<int>{1, 2, 2, 4, 5}));
  EXPECT_DOUBLE_EQ(agreements[0].rmsPx, 0.2); // agreements follow their families

  // Two at the top that geometry cannot tell apart.
  std::vector<SolutionFamily> tied = {family(1, 0.25, 1), family(2, 0.25, 2), family(3, 0.5, 3)};
  std::vector<PictureAgreement> same = {{9, 9, 9, 9, 0.1}, {9, 9, 9, 9, 0.1}, {9, 9, 9, 9, 0.1}};
  EXPECT_EQ(RankByPictureAgreement(tied, same), 2u);
  EXPECT_EQ(tied[1].rank, 1);
  EXPECT_EQ(tied[2].rank, 3);

  // The same spots explained as well, but the first predicts 9 places the picture leaves empty.
  std::vector<SolutionFamily> denser = {family(1, 0.1, 1), family(2, 0.2, 2)};
  std::vector<PictureAgreement> places = {{18, 9, 9, 9, 0.1}, {9, 9, 9, 9, 0.1}};
  EXPECT_EQ(RankByPictureAgreement(denser, places), 1u);
  EXPECT_EQ(denser[0].g1.h, 2);

  std::vector<PictureAgreement> tooFew = {{}};
  EXPECT_EQ(RankByPictureAgreement(tied, tooFew), 0u);
  EXPECT_EQ(tied[0].g1.h, 1);
}

} // namespace
} // namespace spot
