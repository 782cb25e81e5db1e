#include <benchmark/benchmark.h>

#include "launch/plan_deployment.h"

namespace {

// The planning dialog recomputes on every Calculate: the scan over Fourier indices dominates.
void BM_SpectralParameters(benchmark::State& state) {
  tidora::DeploymentPlan plan;
  plan.samplesPerBurst = static_cast<int>(state.range(0));
  for (auto _ : state) {
    tidora::ComputeSpectralParameters(plan);
    benchmark::DoNotOptimize(plan.numBands);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) / 2);
}
BENCHMARK(BM_SpectralParameters)->Arg(1024)->Arg(65536);

void BM_AttenuationCurve(benchmark::State& state) {
  tidora::DeploymentPlan plan;
  for (auto _ : state) benchmark::DoNotOptimize(tidora::AttenuationCurve(plan));
}
BENCHMARK(BM_AttenuationCurve);

}  // namespace
