#include "plot/decimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace tidora {
namespace {

// Lowest and highest y of the raw points in [x0, x1).
std::pair<double, double> RawBounds(const DecimatedSeries& s, double x0, double x1) {
  double lo = INFINITY, hi = -INFINITY;
  for (size_t i = 0; i < s.Size(); ++i)
    if (s.X()[i] >= x0 && s.X()[i] < x1 && std::isfinite(s.Y()[i])) {
      lo = std::min(lo, s.Y()[i]);
      hi = std::max(hi, s.Y()[i]);
    }
  return {lo, hi};
}

TEST(DecimatedSeries, AMillionPointsGiveAtMostTwoPerColumnAndKeepEveryExtreme) {
  const size_t n = 1000001;  // odd: the last block holds one point
  std::vector<double> x(n), y(n);
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0, 1);
  for (size_t i = 0; i < n; ++i) {
    x[i] = double(i);
    y[i] = std::sin(i * 1e-4) + 0.1 * noise(rng);
  }
  y[123457] = 50;  // spikes a plain subsample would miss
  y[n - 1] = -40;
  DecimatedSeries s(x, y);
  const int columns = 800;
  auto pts = s.Points(0, double(n - 1), columns);
  EXPECT_LE(pts.size(), size_t(2 * columns));
  double hi = -INFINITY, lo = INFINITY;
  for (auto& p : pts) {
    hi = std::max(hi, p.second);
    lo = std::min(lo, p.second);
  }
  EXPECT_EQ(hi, 50);
  EXPECT_EQ(lo, -40);
  // Zoomed in: still every column's extremes, points in x order.
  const double x0 = 200000, x1 = 260000;
  pts = s.Points(x0, x1, 100);
  EXPECT_LE(pts.size(), 2u * 100 + 2);
  for (size_t i = 1; i < pts.size(); ++i) EXPECT_LE(pts[i - 1].first, pts[i].first);
  auto raw = RawBounds(s, x0, x1);
  double dlo = INFINITY, dhi = -INFINITY;
  for (auto& p : pts)
    if (p.first >= x0 && p.first < x1) {
      dlo = std::min(dlo, p.second);
      dhi = std::max(dhi, p.second);
    }
  EXPECT_NEAR(dlo, raw.first, 1e-6);
  EXPECT_NEAR(dhi, raw.second, 1e-6);
}

TEST(DecimatedSeries, FewVisiblePointsAreGivenAsTheyAreWithANeighbourOnEachSide) {
  DecimatedSeries s({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90});
  auto pts = s.Points(3.5, 5.5, 100);
  ASSERT_EQ(pts.size(), 4u);
  EXPECT_EQ(pts.front(), (DecimatedSeries::Point{3, 30}));
  EXPECT_EQ(pts.back(), (DecimatedSeries::Point{6, 60}));
  EXPECT_TRUE(s.Points(5, 5, 100).empty());  // no range
}

TEST(DecimatedSeries, UnorderedPointsAreSortedAndMissingValuesLeftOut) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  DecimatedSeries s({3, 1, 2, 0}, {30, 10, nan, 0});
  EXPECT_EQ(s.X(), (std::vector<double>{0, 1, 2, 3}));
  auto pts = s.Points(0, 3, 10);
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[1], (DecimatedSeries::Point{1, 10}));
  // A long series of missing values draws nothing rather than zeros.
  std::vector<double> x(10000), y(10000, nan);
  for (size_t i = 0; i < x.size(); ++i) x[i] = double(i);
  EXPECT_TRUE(DecimatedSeries(x, y).Points(0, 9999, 50).empty());
}

TEST(DecimatedSeries, AConstantSeriesStaysOneValue) {
  std::vector<double> x(100000), y(100000, 12.5);
  for (size_t i = 0; i < x.size(); ++i) x[i] = double(i);
  DecimatedSeries s(x, y);
  auto pts = s.Points(0, 99999, 300);
  ASSERT_FALSE(pts.empty());
  EXPECT_LE(pts.size(), 300u);
  for (auto& p : pts) EXPECT_EQ(p.second, 12.5);
  EXPECT_EQ(pts.front().first, 0);
}

}  // namespace
}  // namespace tidora
