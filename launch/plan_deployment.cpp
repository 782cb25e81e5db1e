#include "launch/plan_deployment.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "datafile/textio.h"
#include "platform/profile.h"
#include "platform/settings_dir.h"

namespace tidora {
namespace {

// The iteration halves its error at least every step; this bound only stops a runaway.
constexpr int kMaxWaveNumberIterations = 1000;
// The settings dialog reads its doubles into a buffer of this many characters.
constexpr size_t kSettingTextLimit = 511;

constexpr const char* kKeyWaterDepth = "WaterDepth";
constexpr const char* kKeyInstrumentHeight = "InstrumentHeight";
constexpr const char* kKeyEstimatesPerBand = "SpectralEstimatesPerBand";
constexpr const char* kKeySampleInterval = "SampleInterval";
constexpr const char* kKeySamplesPerBurst = "NumberofPointsPerWaveBurst";

// A setting's text as a number: the leading number, 0 when there is none or it is not finite.
double SettingToDouble(std::string text) {
  if (text.size() > kSettingTextLimit) text.resize(kSettingTextLimit);
  double v = 0.0;
  FieldScanner s(text);
  return s.Double(v) && std::isfinite(v) ? v : 0.0;
}

}  // namespace

double DeepWaterDepthRatio(double depth, double period) {
  return kDispersionFactor * depth / (period * period);
}

double WaveNumber(double depth, double period) {
  if (!(depth > 0) || !(period > 0) || !std::isfinite(depth)) return 0;
  double y = DeepWaterDepthRatio(depth, period);
  if (!(y > 0)) return 0;                   // period so long that y underflows
  if (!std::isfinite(y)) return y / depth;  // period so short that the wave is infinitely short
  double x = y / std::tanh(y);
  for (int i = 0; i < kMaxWaveNumberIterations; ++i) {
    double target = y / std::tanh(x);
    double next = (x + target) / 2;
    bool converged = std::fabs(target - next) < kWaveNumberTolerance;
    x = next;
    if (converged) break;
  }
  return x / depth;
}

double InstrumentDepth(double depth, double heightAboveBottom) {
  return depth - heightAboveBottom;
}

double PressureAttenuation(double depth, double instrumentDepth, double period) {
  double z = std::fabs(instrumentDepth);
  if (z == 0) return 1.0;  // at the surface nothing is damped, however short the wave
  double k = WaveNumber(depth, period);
  if (k * depth > kDeepWaterKD) return std::exp(-k * z);
  return std::cosh(k * (depth - z)) / std::cosh(k * depth);
}

double RecordLength(int samples, double samplePeriod) {
  return samples * samplePeriod;
}

double BandWidth(int estimatesPerBand, double recordLength) {
  return recordLength > 0 ? estimatesPerBand / recordLength : 0.0;
}

int HighestResolvedFourierIndex(double depth, double instrumentDepth, int samples,
                                double samplePeriod) {
  double length = RecordLength(samples, samplePeriod);
  if (!(length > 0)) return 0;
  double threshold = kAttenuationThresholdTimesDt / samplePeriod;
  for (int n = samples / 2; n > 0; --n)
    if (PressureAttenuation(depth, instrumentDepth, length / n) > threshold) return n;
  return 0;
}

int NumberOfBands(int highestIndex, int estimatesPerBand) {
  if (estimatesPerBand <= 0 || highestIndex <= 0) return 0;
  return highestIndex / estimatesPerBand;
}

double BandCentre(int band, int estimatesPerBand, double recordLength) {
  double meanIndex = static_cast<double>(band) * estimatesPerBand + (estimatesPerBand + 1) / 2.0;
  return meanIndex / recordLength;
}

void ComputeSpectralParameters(DeploymentPlan& plan) {
  double length = RecordLength(plan.samplesPerBurst, plan.samplePeriod);
  plan.bandWidth = BandWidth(plan.estimatesPerBand, length);
  int n = HighestResolvedFourierIndex(plan.waterDepth,
                                      InstrumentDepth(plan.waterDepth, plan.instrumentHeight),
                                      plan.samplesPerBurst, plan.samplePeriod);
  plan.numBands = NumberOfBands(n, plan.estimatesPerBand);
  if (plan.numBands > 0) {
    plan.firstBandCentre = BandCentre(0, plan.estimatesPerBand, length);
    plan.lastBandCentre = BandCentre(plan.numBands - 1, plan.estimatesPerBand, length);
  } else {
    plan.firstBandCentre = plan.lastBandCentre = 0;
  }
}

std::vector<std::string> PlanResultLines(const DeploymentPlan& plan) {
  char buf[512];
  std::vector<std::string> lines;
  std::snprintf(buf, sizeof buf, "%d Bands Calculated", plan.numBands);
  lines.emplace_back(buf);
  lines.push_back("Band Width (Hz): " + FormatC("%6.4f", plan.bandWidth));
  lines.push_back("Frequency Span (Hz): " + FormatC("%6.4f", plan.firstBandCentre) + " - " +
                  FormatC("%6.4f", plan.lastBandCentre));
  return lines;
}

std::vector<AttenuationPoint> AttenuationCurve(const DeploymentPlan& plan) {
  double z = InstrumentDepth(plan.waterDepth, plan.instrumentHeight);
  std::vector<AttenuationPoint> curve;
  curve.reserve(kCurvePoints);
  for (int i = 1; i <= kCurvePoints; ++i) {
    double period = i * kCurvePeriodStep;
    curve.push_back({period, PressureAttenuation(plan.waterDepth, z, period)});
  }
  return curve;
}

DeploymentPlan ReadPlanSettings(const std::string& iniFile) {
  DeploymentPlan p;
  p.waterDepth = SettingToDouble(GetProfileString(kPlanSection, kKeyWaterDepth, "20.0", iniFile));
  p.instrumentHeight =
      SettingToDouble(GetProfileString(kPlanSection, kKeyInstrumentHeight, "1.0", iniFile));
  p.estimatesPerBand = GetProfileInt(kPlanSection, kKeyEstimatesPerBand, 10, iniFile);
  p.samplePeriod =
      SettingToDouble(GetProfileString(kPlanSection, kKeySampleInterval, "0.25", iniFile));
  p.samplesPerBurst = GetProfileInt(kPlanSection, kKeySamplesPerBurst, 1024, iniFile);
  return p;
}

DeploymentPlan ReadPlanSettings() {
  return ReadPlanSettings(SettingsFile("TidoraWaves.ini"));
}

bool WritePlanSettings(const DeploymentPlan& plan, const std::string& iniFile) {
  bool ok =
      WriteProfileString(kPlanSection, kKeyWaterDepth, FormatC("%f", plan.waterDepth), iniFile);
  ok = WriteProfileString(kPlanSection, kKeyInstrumentHeight, FormatC("%f", plan.instrumentHeight),
                          iniFile) &&
       ok;
  ok = WriteProfileString(kPlanSection, kKeyEstimatesPerBand, std::to_string(plan.estimatesPerBand),
                          iniFile) &&
       ok;
  ok = WriteProfileString(kPlanSection, kKeySampleInterval, FormatC("%f", plan.samplePeriod),
                          iniFile) &&
       ok;
  ok = WriteProfileString(kPlanSection, kKeySamplesPerBurst, std::to_string(plan.samplesPerBurst),
                          iniFile) &&
       ok;
  return ok;
}

bool WritePlanSettings(const DeploymentPlan& plan) {
  return WritePlanSettings(plan, SettingsFile("TidoraWaves.ini"));
}

}  // namespace tidora
