#pragma once

// The simulated deployments the decoding tests go through: every family and every variant of
// its record layout, each small.

#include <vector>

#include "sim/recorder.h"

namespace tidora::testing {

using sim::Family;

struct Variant {
  const char* name;
  sim::Options options;
  double pressureTol, temperatureTol, burstTol;
};

inline sim::Options Base(Family f) {
  sim::Options o;
  o.family = f;
  o.tideSamples = 26;
  o.burstEvery = 4;
  o.samplesPerBurst = 64;
  o.referenceEvery = 5;
  return o;
}

inline std::vector<Variant> Variants() {
  std::vector<Variant> v;
  auto add = [&](const char* name, sim::Options o, double p, double t, double b) {
    v.push_back({name, o, p, t, b});
  };
  sim::Options o = Base(Family::kTgr41plus);
  add("41plus quartz", o, 6e-5, 6e-4, 3e-3);
  o.conductivity = true;
  add("41plus conductivity", o, 6e-5, 6e-4, 3e-3);
  o.slopeCorrection = 1.002;
  o.offsetCorrection = -0.15;
  add("41plus with pressure corrections", o, 6e-5, 6e-4, 3e-3);
  o.slopeCorrection = 1.0;
  o.offsetCorrection = 0.0;
  o.timeStamped = true;
  add("41plus conductivity time-stamped", o, 6e-5, 6e-4, 3e-3);
  o = Base(Family::kTgr41plus);
  o.timeStamped = true;
  add("41plus time-stamped", o, 6e-5, 6e-4, 3e-3);
  o = Base(Family::kTgr41plus);
  o.strainGauge = true;
  add("41plus strain gauge", o, 6e-5, 6e-4, 1e-4);
  o.alternateTemperature = true;
  o.temperature = 20;
  add("41plus strain alternate scaling", o, 6e-5, 3e-4, 1e-4);
  o = Base(Family::kTgr77Bpr);
  add("77 standard", o, 1e-4, 2e-3, 0);
  o.conductivity = true;
  add("77 conductivity", o, 1e-4, 2e-3, 0);
  o.slopeCorrection = 1.001;
  o.offsetCorrection = 0.2;
  add("77 conductivity with pressure corrections", o, 1e-4, 2e-3, 0);
  o = Base(Family::kTgr77Bpr);
  o.tsunami = true;
  add("77 tsunami", o, 0.02, 2e-3, 0);
  o = Base(Family::kTgr41);
  add("41 version 3", o, 2e-3, 0.03, 3e-3);
  o.conductivity = true;
  add("41 conductivity", o, 2e-3, 0.03, 3e-3);
  o.conductivitySlope = 1.05;
  o.conductivityOffset = 0.02;
  o.slopeCorrection = 0.998;
  o.offsetCorrection = 0.3;
  add("41 with corrections", o, 2e-3, 0.03, 3e-3);
  o.conductivitySlope = 2.5;  // out of range: acts as 1.0
  add("41 with a conductivity slope of 2.5", o, 2e-3, 0.03, 3e-3);
  o = Base(Family::kTgr41);
  o.firmware = "2.0";
  o.samplesPerBurst = 63;  // 3 in the first buffer, then whole buffers of 4
  add("41 version 2.0", o, 2e-3, 0.03, 3e-3);
  o = Base(Family::kTgr41);
  o.serial13186 = true;
  add("41 serial 13186", o, 2e-3, 0.03, 3e-3);
  o = Base(Family::kTgr41);
  o.startTime = 364 * 86400.0 + 3600;  // bursts cross into the next year
  o.tideInterval = 3600;
  o.tideSamples = 60;
  o.burstEvery = 6;
  add("41 across the new year", o, 2e-3, 0.03, 3e-3);
  o.startYear = 1995;  // and into the leap year 1996
  o.startTime = 364 * 86400.0 + 3600 - 70 * 86400.0;
  o.tideInterval = 6 * 3600;
  o.tideSamples = 400;
  o.burstEvery = 40;
  add("41 over a leap day", o, 2e-3, 0.03, 3e-3);
  return v;
}

}  // namespace tidora::testing
