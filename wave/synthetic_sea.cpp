#include "wave/synthetic_sea.h"

#include <cmath>
#include <random>

#include "wave/wave_math.h"

namespace tidora {

std::vector<SeaComponent> NarrowSea(double hs, double peakPeriod, double recordLength,
                                    int halfWidth, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> phase(0, 2 * kPi);
  const int peak = static_cast<int>(std::lround(recordLength / peakPeriod));
  std::vector<SeaComponent> sea;
  double variance = 0;
  for (int i = -halfWidth; i <= halfWidth; ++i) {
    // Five harmonics apart: the Hann window mixes no two components, and bands of five
    // harmonics hold one component each.
    const int harmonic = peak + 5 * i;
    if (harmonic < 1) continue;
    const double spread = halfWidth > 0 ? halfWidth / 2.0 : 1.0;
    const double a = std::exp(-0.5 * (i / spread) * (i / spread));
    sea.push_back({a, recordLength / harmonic, phase(rng)});
    variance += a * a / 2;
  }
  const double scale = (hs / 4) / std::sqrt(variance);
  for (SeaComponent& c : sea) c.amplitude *= scale;
  return sea;
}

double HydrostaticPsia(double d, double density) {
  return kAtmosphericPsi + density * kStandardGravity * d / kPascalsPerPsi;
}

std::vector<float> SeaPressureBurst(const std::vector<SeaComponent>& sea, double h, double d,
                                    double density, int n, double dt, double t0) {
  std::vector<double> response;
  for (const SeaComponent& c : sea) response.push_back(PressureResponse(h, d, c.period));
  std::vector<float> p(n);
  const double rhoG = density * kStandardGravity;
  for (int i = 0; i < n; ++i) {
    const double t = t0 + i * dt;
    double eta = 0;
    for (size_t j = 0; j < sea.size(); ++j)
      eta += response[j] * sea[j].amplitude * std::cos(2 * kPi * t / sea[j].period + sea[j].phase);
    p[i] = static_cast<float>(kAtmosphericPsi + rhoG * (d + eta) / kPascalsPerPsi);
  }
  return p;
}

}  // namespace tidora
