// A few curves of the hull sweep (bench/truth), two seeds each: strips and flat faces
// cover Qhull's hull once, alike for both seeds and for the shrunk, enlarged and
// moved copies of each curve; the pictures of the default curve and of a random one
// are whole.
#include <gtest/gtest.h>

#include "app/Glob.h"
#include "bench/truth/TruthCurves.h"

TEST(TruthFast, AreaMatchesQhullAtEverySizePlaceAndSeed) {
  ASSERT_TRUE(GlobInitialize());
  // Whole: the picture and the records are checked too. The strips of torus-trefoil-p-q
  // once ran on across the seam of the square and were drawn again from its other side.
  const struct {
    const char* Name;
    bool Whole;
  } cases[] = {{"default-curve", true}, {"deg3#1", true}, {"deg2#0", true}, {"torus-trefoil-p-q", true},
               {"K=13", true},          {"K=20", true},  {"(2,7)", false}};
  for (const auto& [name, whole] : cases)
    for (const TruthCurves::Curve& c : TruthCurves::TestSet())
      if (c.Name == name) {
        TruthCurves::Tally t;
        TruthCurves::CheckCurve(c, 2, 20000, t);
        EXPECT_EQ(t.Failed + t.Area + t.Seeds + t.VariantArea, 0) << name;
        // No face seen from behind, no hole: the strips meet each other and the flat
        // faces also across the seam of the parameter square, and the far side does not
        // show at the outline. The random curve's first step used to cross the edge of
        // a flat face unseen. Where two strips meet along the curve (at the outline of
        // deg2#0, under the crests of K=13) the far one showed past the near one's
        // chords. Their copies give the same records within 2%.
        if (whole) {
          EXPECT_EQ(t.Orange + t.Holes, 0) << name;
          EXPECT_EQ(t.VariantCounts, 0) << name;
        }
      }
}

// Fifty waves and the (2, 21) torus knot: every strip traced, so strips and faces
// cover Qhull's hull within 2%, also when shrunk, enlarged or moved far away.
TEST(TruthFast, ManyWavesCoverQhullsHull) {
  ASSERT_TRUE(GlobInitialize());
  for (const char* name : {"K=50", "(2,21)"})
    for (const TruthCurves::Curve& c : TruthCurves::TestSet())
      if (c.Name == name) {
        TruthCurves::Tally t;
        TruthCurves::CheckCurve(c, 1, 20000, t);
        EXPECT_EQ(t.Failed + t.Area + t.VariantArea, 0) << name << " worst ratio " << t.WorstRatio;
      }
}
