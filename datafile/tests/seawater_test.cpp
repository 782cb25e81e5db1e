// Published check values of the seawater equations.
#include <gtest/gtest.h>

#include "datafile/tgr41file.h"

namespace tidora {
namespace {

TEST(Seawater, DensityMatchesTheUnescoCheckValues) {
  EXPECT_NEAR(CTGR41File::Density(40, 40, 10000), 59.82037, 5e-6);
  // Further values of the same tables: sigma at one atmosphere and under pressure.
  EXPECT_NEAR(CTGR41File::Density(35, 5, 0), 27.67547, 5e-6);
  EXPECT_NEAR(CTGR41File::Density(35, 25, 10000), 62.53817, 5e-6);
  EXPECT_NEAR(CTGR41File::Density(0, 5, 0), -0.03325, 5e-6);
}

TEST(Seawater, DensityTakesNoSalinityAsAlmostFreshAndClamps) {
  EXPECT_DOUBLE_EQ(CTGR41File::Density(-3, 10, 0), CTGR41File::Density(1e-6, 10, 0));
  EXPECT_DOUBLE_EQ(CTGR41File::Density(35, 10, 1e6), 99.0);
  EXPECT_DOUBLE_EQ(CTGR41File::CheckRange(-150, 99), -99);
  EXPECT_DOUBLE_EQ(CTGR41File::CheckRange(12.5, 99), 12.5);
}

TEST(Seawater, AdiabaticGradientAndPotentialTemperature) {
  EXPECT_NEAR(CTGR41File::ATG(40, 40, 10000), 3.255976e-4, 5e-11);
  EXPECT_NEAR(CTGR41File::PoTemp(40, 40, 10000, 0), 36.89073, 5e-6);
  EXPECT_DOUBLE_EQ(CTGR41File::PoTemp(35, 10, 500, 500), 10.0);
  // Referred back down, the potential temperature returns to where it started.
  double up = CTGR41File::PoTemp(35, 2, 4000, 0);
  EXPECT_NEAR(CTGR41File::PoTemp(35, up, 0, 4000), 2, 1e-4);
}

}  // namespace
}  // namespace tidora
