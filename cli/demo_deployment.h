#pragma once

#include "sim/recorder.h"

namespace tidora::cli {

// The deployment the demo simulates; the upload step serves the same recorder on a line.
inline sim::Options DemoDeploymentOptions() {
  sim::Options o;
  o.family = sim::Family::kTgr41plus;
  o.conductivity = true;
  o.depth = 10.0;
  o.tideInterval = 900.0;
  o.tideSamples = 192;  // two days
  o.burstEvery = 4;
  o.samplesPerBurst = 1024;
  o.samplePeriod = 0.25;
  o.waveHeight = 1.5;
  o.peakPeriod = 8.0;
  return o;
}

}  // namespace tidora::cli
