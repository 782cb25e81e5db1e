#pragma once

// Drawing a long series at any zoom without touching all of it: the series is sorted by x
// once, and levels of minimum and maximum over blocks of 2, 4, 8, ... points are built once.
// A view then asks for the points of its x range on its pixel columns and gets at most two
// per column (the lowest and highest value in it), at a cost that grows with the columns and
// the logarithm of the length, never with the length itself.

#include <cstddef>
#include <utility>
#include <vector>

namespace tidora {

class DecimatedSeries {
 public:
  DecimatedSeries() = default;
  // x and y of the same length; pairs are reordered by x when they are not in order.
  DecimatedSeries(std::vector<double> x, std::vector<double> y);

  using Point = std::pair<double, double>;
  // The points to draw for x0..x1 (x0 < x1) on `columns` pixel columns: the finite points in
  // the range with one neighbour on each side when they are few, else per column its lowest
  // and highest value at the column's first x.
  std::vector<Point> Points(double x0, double x1, int columns) const;

  size_t Size() const { return x_.size(); }
  const std::vector<double>& X() const { return x_; }
  const std::vector<double>& Y() const { return y_; }

 private:
  std::vector<double> x_, y_;
  // Level k holds blocks of 2^(k+1) points; NaN for a block without a finite value.
  std::vector<std::vector<float>> mins_, maxs_;
};

}  // namespace tidora
