#pragma once

#include <vector>

namespace tidora {

// Linear sea states turned into the pressures a bottom-mounted recorder would see: test data
// for the wave analysis, its benchmarks and the demonstration.

struct SeaComponent {
  double amplitude;  // m
  double period;     // s
  double phase;      // rad
};

// A narrow-banded sea of 2 * halfWidth + 1 components at every fifth harmonic of the record
// length around the peak period, with Gaussian weights and random phases, scaled so that 4 sqrt(m0)
// is the significant height.
std::vector<SeaComponent> NarrowSea(double significantHeight, double peakPeriod,
                                    double recordLength, int halfWidth, unsigned seed);

// n pressure samples (psia), dt apart from time t0, at depth d below the mean surface in total
// depth h, for sea water of the given density: atmosphere + rho g (d + sum K_i eta_i) where
// K_i is the linear pressure response of each component.
std::vector<float> SeaPressureBurst(const std::vector<SeaComponent>& sea, double h, double d,
                                    double density, int n, double dt, double t0 = 0);

// Mean pressure (psia) at depth d for the given density.
double HydrostaticPsia(double d, double density);

}  // namespace tidora
