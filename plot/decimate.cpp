#include "plot/decimate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tidora {

namespace {
constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();

// Minimum (or maximum) of two block values, a missing one giving way to the other.
float Lower(float a, float b) {
  if (std::isnan(a)) return b;
  if (std::isnan(b)) return a;
  return std::min(a, b);
}
float Higher(float a, float b) {
  if (std::isnan(a)) return b;
  if (std::isnan(b)) return a;
  return std::max(a, b);
}
float Finite(double v) {
  return std::isfinite(v) ? static_cast<float>(v) : kNoValue;
}
}  // namespace

DecimatedSeries::DecimatedSeries(std::vector<double> x, std::vector<double> y)
    : x_(std::move(x)), y_(std::move(y)) {
  y_.resize(x_.size(), std::numeric_limits<double>::quiet_NaN());
  if (!std::is_sorted(x_.begin(), x_.end())) {
    std::vector<size_t> order(x_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return x_[a] < x_[b]; });
    std::vector<double> sx(x_.size()), sy(x_.size());
    for (size_t i = 0; i < order.size(); ++i) {
      sx[i] = x_[order[i]];
      sy[i] = y_[order[i]];
    }
    x_.swap(sx);
    y_.swap(sy);
  }
  // Level 0 from the points, each further level from the one below.
  // A last block may hold fewer points: none is left out at any level.
  const size_t n = (x_.size() + 1) / 2;
  if (x_.size() < 2) return;
  mins_.emplace_back(n);
  maxs_.emplace_back(n);
  for (size_t j = 0; j < n; ++j) {
    const float a = Finite(y_[2 * j]);
    const float b = 2 * j + 1 < y_.size() ? Finite(y_[2 * j + 1]) : kNoValue;
    mins_[0][j] = Lower(a, b);
    maxs_[0][j] = Higher(a, b);
  }
  while (mins_.back().size() >= 2) {
    const std::vector<float>& lo = mins_.back();
    const std::vector<float>& hi = maxs_.back();
    std::vector<float> nlo((lo.size() + 1) / 2), nhi((lo.size() + 1) / 2);
    for (size_t j = 0; j < nlo.size(); ++j) {
      const bool pair = 2 * j + 1 < lo.size();
      nlo[j] = pair ? Lower(lo[2 * j], lo[2 * j + 1]) : lo[2 * j];
      nhi[j] = pair ? Higher(hi[2 * j], hi[2 * j + 1]) : hi[2 * j];
    }
    mins_.push_back(std::move(nlo));
    maxs_.push_back(std::move(nhi));
  }
}

std::vector<DecimatedSeries::Point> DecimatedSeries::Points(double x0, double x1,
                                                            int columns) const {
  std::vector<Point> out;
  if (x_.empty() || !(x1 > x0) || columns <= 0) return out;
  // The visible points with one neighbour on each side, so lines reach the edges.
  size_t i0 = static_cast<size_t>(std::lower_bound(x_.begin(), x_.end(), x0) - x_.begin());
  size_t i1 = static_cast<size_t>(std::upper_bound(x_.begin(), x_.end(), x1) - x_.begin());
  if (i0 > 0) --i0;
  if (i1 < x_.size()) ++i1;
  const size_t visible = i1 - i0;
  const size_t cols = static_cast<size_t>(columns);
  if (visible <= 2 * cols || mins_.empty()) {
    for (size_t i = i0; i < i1; ++i)
      if (std::isfinite(y_[i]) && std::isfinite(x_[i])) out.emplace_back(x_[i], y_[i]);
    return out;
  }
  // The coarsest level that still gives each column about two blocks.
  size_t level = 0;
  while (level + 1 < mins_.size() && (visible >> (level + 2)) >= 2 * cols) ++level;
  const size_t block = size_t{2} << level;
  const std::vector<float>& lo = mins_[level];
  const std::vector<float>& hi = maxs_[level];
  const size_t b0 = i0 / block;
  const size_t b1 = std::min(lo.size(), (i1 + block - 1) / block);
  const double scale = double(columns) / (x1 - x0);
  out.reserve(2 * cols + 2);
  long column = -1;
  float cmin = kNoValue, cmax = kNoValue;
  double cx = 0;
  auto flush = [&]() {
    if (column < 0 || std::isnan(cmin)) return;
    out.emplace_back(cx, cmin);
    if (cmax != cmin) out.emplace_back(cx, cmax);
  };
  for (size_t b = b0; b < b1; ++b) {
    const double bx = x_[b * block];
    const long c = std::clamp(static_cast<long>(std::floor((bx - x0) * scale)), 0L,
                              static_cast<long>(cols) - 1);
    if (c != column) {
      flush();
      column = c;
      cx = bx;
      cmin = kNoValue;
      cmax = kNoValue;
    }
    cmin = Lower(cmin, lo[b]);
    cmax = Higher(cmax, hi[b]);
  }
  flush();
  return out;
}

}  // namespace tidora
