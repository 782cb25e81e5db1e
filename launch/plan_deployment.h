#pragma once

#include <string>
#include <vector>

namespace tidora {

// Deployment planning: how strongly the water column damps wave pressure at the mooring depth
// (linear wave theory), and which part of the wave spectrum a burst of N samples resolves.

// Standard gravity, m/s^2.
inline constexpr double kGravity = 9.80665;
// 4 pi^2 / g, the factor of the deep-water dispersion relation (y = 4 pi^2 D / (g T^2)).
inline constexpr double kDispersionFactor = 4.025679137176916;
// The wave number iteration stops when its step is below this (dimensionless k D).
inline constexpr double kWaveNumberTolerance = 1e-6;
// Above this k D the hyperbolic form overflows its meaning and the deep-water form is used.
inline constexpr double kDeepWaterKD = 100.0;
// A Fourier frequency is resolved while its attenuation is above this divided by the sample
// period.
inline constexpr double kAttenuationThresholdTimesDt = 0.0025;
// The attenuation curve: 100 periods 0.25, 0.50, ..., 25.00 seconds.
inline constexpr int kCurvePoints = 100;
inline constexpr double kCurvePeriodStep = 0.25;

// Dimensionless depth y = 4 pi^2 D / (g T^2) of the dispersion relation x tanh(x) = y.
double DeepWaterDepthRatio(double depth, double period);
// Wave number k (rad/m) of a wave of period T (s) in water of depth D (m), from
// omega^2 = g k tanh(k D); 0 when D or T is not above 0.
double WaveNumber(double depth, double period);
// p(instrument) / p(surface) for an instrument `instrumentDepth` metres below the surface
// (its absolute value is used, so an instrument above the surface counts as below it).
double PressureAttenuation(double depth, double instrumentDepth, double period);
// Depth of the instrument below the surface, z = D - H.
double InstrumentDepth(double depth, double heightAboveBottom);

// Record length L = N dt (s).
double RecordLength(int samples, double samplePeriod);
// Band width M / L (Hz); 0 when the record has no length.
double BandWidth(int estimatesPerBand, double recordLength);
// The highest Fourier index n <= N/2 whose attenuation exceeds 0.0025 / dt; 0 when none does.
int HighestResolvedFourierIndex(double depth, double instrumentDepth, int samples,
                                double samplePeriod);
// n / M whole bands; 0 when M is not above 0.
int NumberOfBands(int highestIndex, int estimatesPerBand);
// Centre frequency (Hz) of band i (from 0): the mean of Fourier indices i M + 1 .. i M + M over L.
double BandCentre(int band, int estimatesPerBand, double recordLength);

// The inputs and results of one planning computation.
struct DeploymentPlan {
  double waterDepth = 20.0;       // D, m
  double instrumentHeight = 1.0;  // H above the bottom, m
  double samplePeriod = 0.25;     // dt, s
  int samplesPerBurst = 1024;     // N
  int estimatesPerBand = 10;      // M
  // Results.
  double bandWidth = 0;  // Hz
  int numBands = 0;
  double firstBandCentre = 0;  // Hz
  double lastBandCentre = 0;   // Hz
};

// Fills the results of the plan from its inputs.
void ComputeSpectralParameters(DeploymentPlan& plan);

// The three result lines: "%d Bands Calculated", "Band Width (Hz): %6.4f",
// "Frequency Span (Hz): %6.4f - %6.4f".
std::vector<std::string> PlanResultLines(const DeploymentPlan& plan);

struct AttenuationPoint {
  double period;       // s
  double attenuation;  // p(instrument) / p(surface)
};
// The chart's series: attenuation at the plan's depth and instrument depth for the periods
// 0.25 to 25.00 seconds.
std::vector<AttenuationPoint> AttenuationCurve(const DeploymentPlan& plan);

// ---- Settings: section [PlanDeployment] of TidoraWaves.ini. ----

inline constexpr const char* kPlanSection = "PlanDeployment";

// Reads the five inputs; a missing key gives its default. Doubles are read as text and
// converted (text that is not a number gives 0).
DeploymentPlan ReadPlanSettings(const std::string& iniFile);
DeploymentPlan ReadPlanSettings();  // TidoraWaves.ini in the settings folder
// Writes the five inputs back ("%f" for the doubles, "%d" for the integers). False when the
// file cannot be written.
bool WritePlanSettings(const DeploymentPlan& plan, const std::string& iniFile);
bool WritePlanSettings(const DeploymentPlan& plan);

}  // namespace tidora
