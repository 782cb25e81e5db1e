#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/coefficient_file.h"
#include "convert/hex_decoder.h"
#include "recorder/instrument.h"

namespace tidora::sim {

// A simulated recorder: physical inputs (a tide, wave bursts from a sea state, temperature and
// conductivity) turned into the memory image, status and coefficient replies and upload file
// of a real one, by inverting the calibration equations.

using Family = tidora::RecorderFamily;

struct Options {
  Family family = Family::kTgr41plus;
  bool conductivity = false;
  bool strainGauge = false;           // TGR 41plus
  bool timeStamped = false;           // TGR 41plus
  bool tsunami = false;               // TGR 77 BPR
  bool alternateTemperature = false;  // TGR 41plus with serial number 35850
  std::string firmware;               // empty: 6.2 (TGR 41plus), 1.2 (TGR 77 BPR), 3.0 (TGR 41)
  bool serial13186 = false;           // TGR 41: bursts counted as measurements

  int tideSamples = 192;
  double tideInterval = 900.0;  // seconds
  int burstEvery = 4;           // a burst after every this many tide samples
  int bursts = -1;              // -1: as many as the tide samples allow
  int samplesPerBurst = 1024;
  double samplePeriod = 0.25;   // seconds
  double statedScanRate = 0.0;  // scans/s written in the status; 0: 1 / sample period
  int referenceEvery = 48;      // TGR 77 BPR: a reference record after this many tide samples

  double depth = 10.0;             // m of water over the sensor, which sits on the bottom
  double tideAmplitude = 0.8;      // m, semidiurnal
  double waveHeight = 1.5;         // significant wave height Hs, m
  double peakPeriod = 8.0;         // s
  double temperature = 12.0;       // deg C, mean
  double conductivityValue = 4.2;  // S/m, mean
  uint32_t seed = 1;
  // The user's corrections in CNVHex.ini: pressure slope and offset, conductivity slope and
  // offset (the last two used for the TGR 41 only).
  double slopeCorrection = 1.0, offsetCorrection = 0.0;
  double conductivitySlope = 1.0, conductivityOffset = 0.0;

  // Start of the recording: seconds since 2000-01-01 (TGR 41plus, TGR 77 BPR); for the TGR 41
  // seconds into `startYear` in its 365-day calendar.
  double startTime = -1;  // -1: 2026-06-01 00:00:00, or day 150 of the start year
  int startYear = 1996;
};

struct TideSample {
  double time;  // recorder seconds (the TGR 41: 1989-based)
  double pressure, temperature, conductivity;
};

struct Burst {
  double startTime;  // as the converter writes it (the TGR 41: 1989-based)
  int afterTide;     // index of the tide sample it follows
  double temperature;
  std::vector<double> pressure;  // psia
};

struct Reference {
  int afterTide;
  double time;
  uint32_t whole;  // value = whole + micro * 1e-6
  uint32_t micro;
  int integer;
};

struct Deployment {
  Options options;
  HeaderCoefficients coef;  // what the status lists
  CoefficientFile file;     // the matching CNVHex.ini
  std::vector<TideSample> tides;
  std::vector<Burst> bursts;
  std::vector<Reference> references;
  double statedScanRate() const;
  int recordSize() const;  // bytes of a tide record in the image, time stamp included
};

// The physical deployment for the options (deterministic for a seed).
Deployment Simulate(const Options& options);

// The recorder's memory: the TGR 41plus and TGR 77 BPR byte image, or the TGR 41's 4-byte words.
std::vector<uint8_t> BuildMemoryImage(const Deployment& d);

// The 16-bit integer a TGR 77 BPR standard record carries (any value is carried unchanged).
int BprRecordInteger(int index);

// Linear wave theory: wave number (rad/m) of frequency f (Hz) at water depth h (m), and the
// pressure response factor of a sensor on the bottom.
double WaveNumber(double f, double depth);
double BottomPressureResponse(double f, double depth);

// Raw values from physical ones: the inverses of the calibration equations.
double PressureNumberFor(double psia, double M, double B, const PressureCorrection& corr);
double QuartzTemperatureFrequencyFor(double temperature, const QuartzCoefficients& q);
double QuartzPressureFrequencyFor(double psia, double ft, const QuartzCoefficients& q,
                                  double offset, const PressureCorrection& corr);
double StrainTemperatureNumberFor(double temperature, const StrainGaugeCoefficients& s);
double StrainPressureNumberFor(double psia, double t, const StrainGaugeCoefficients& s,
                               double offset, const PressureCorrection& corr);
double ThermistorValueFor(double temperature, const double ta[4]);
int TidewellThermistorNumberFor(double temperature, double AI, double XI, double A0, double A1,
                                double A3);
double ConductivityFrequencyFor(double conductivity, double temperature, double seaPressure,
                                const ConductivityCoefficients& c, double slope, double offset);

}  // namespace tidora::sim
