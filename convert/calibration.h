#pragma once

// Calibration equations of the recorder's sensors: raw counts and frequencies to pressure (psia),
// temperature (deg C, ITS-90), conductivity (S/m) and practical salinity (PSS-78). One function
// per equation, each with the limits the output files rely on.

namespace tidora {

// Quartz pressure sensor: period coefficients in microseconds, pressure coefficients in psia.
struct QuartzCoefficients {
  double U0 = 0, Y1 = 0, Y2 = 0, Y3 = 0;
  double C1 = 0, C2 = 0, C3 = 0, D1 = 0, D2 = 0;
  double T1 = 0, T2 = 0, T3 = 0, T4 = 0, T5 = 0;
};

// Strain-gauge pressure sensor with its temperature compensation.
struct StrainGaugeCoefficients {
  double PA0 = 0, PA1 = 0, PA2 = 0;
  double PTCA0 = 0, PTCA1 = 0, PTCA2 = 0;
  double PTCB0 = 0, PTCB1 = 0, PTCB2 = 0;
  double PTEMPA0 = 0, PTEMPA1 = 0, PTEMPA2 = 0;
};

// Conductivity cell: frequency polynomial and the thermal and pressure corrections.
struct ConductivityCoefficients {
  double G = 0, H = 0, I = 0, J = 0, CTcor = 0, CPcor = 0;
};

// The user's pressure correction, applied after every pressure equation: P * slope + offset.
struct PressureCorrection {
  double slope = 1.0;
  double offset = 0.0;
};

// Out-of-range results are written as these sentinels.
inline constexpr double kQuartzPressureLimit = 999999.0;
inline constexpr double kQuartzPressureSentinel = 99999.0;
inline constexpr double kBprPressureLimit = 20000.0;
inline constexpr double kBprPressureSentinel = 99999.9999;

// Pressure from a pressure number: (N - B) / M, then the correction.
double PressureFromNumber(double number, double M, double B, const PressureCorrection& corr);

// Quartz pressure from the pressure and temperature frequencies (Hz). `offset` is the sensor's
// OFFSET coefficient. Results beyond +-999999 become +-99999.
double QuartzPressure(double fp, double ft, const QuartzCoefficients& q, double offset,
                      const PressureCorrection& corr);

// The terms of the quartz pressure that depend on the temperature frequency alone: computed
// once for the samples of a burst, they give each sample's pressure exactly as QuartzPressure.
struct QuartzTemperatureTerms {
  double C = 0, T0 = 0;
};
QuartzTemperatureTerms QuartzTerms(double ft, const QuartzCoefficients& q);
double QuartzPressure(double fp, const QuartzTemperatureTerms& terms, const QuartzCoefficients& q,
                      double offset, const PressureCorrection& corr);

// Quartz temperature from the temperature frequency (Hz), limited to +-99.99.
double QuartzTemperature(double ft, const QuartzCoefficients& q);

// Strain-gauge pressure from a pressure number n and a temperature number t.
double StrainGaugePressure(double n, double t, const StrainGaugeCoefficients& s, double offset,
                           const PressureCorrection& corr);

// The recorder's own temperature number (0.001 deg C per count from -10, or 0.0005 from -2
// with the alternate scaling).
double TemperatureFromNumber(double number, bool alternateScaling);

// Thermistor temperature from its value x with the TA0..TA3 coefficients; 0 when TA0 is 0,
// -10 when x is not above 0, else limited to -99..99.
double ThermistorTemperature(double x, const double ta[4]);

// The older recorder's thermistor: the voltage of a 13-bit number, and the temperature through
// the interface resistor (AI, XI) and the A0, A1, A3 polynomial; 0 when the polynomial is 0.
double TidewellThermistorVoltage(int number);
double TidewellThermistorTemperature(int number, double AI, double XI, double A0, double A1,
                                     double A3);

// Sea pressure in decibars from absolute pressure in psia, as the converter computes it.
double SeaPressureDbar(double psia);

// A conductivity slope outside 0.5..2.0 is taken as 1.0.
double EffectiveConductivitySlope(double slope);

// Conductivity (S/m) from the cell frequency f (Hz), temperature (deg C) and sea pressure (dbar);
// the result is C * slope + offset (slope already made effective by the caller), 99 when f is
// below 10 Hz, limited to -99..99.
double Conductivity(double f, double temperature, double seaPressure,
                    const ConductivityCoefficients& c, double slope, double offset);

// PSS-78 practical salinity from the conductivity ratio R = C(S,t,p)/C(35,15,0), temperature on
// the IPTS-68 scale and sea pressure in decibars (the published equations, no limits).
double PracticalSalinityPss78(double R, double t68, double seaPressure);

// Salinity as the converter writes it: from conductivity (S/m), ITS-90 temperature and sea
// pressure; 0 for conductivity not above 0, -99 on a zero denominator, limited to -99..99.
double SalinityFromConductivity(double conductivity, double temperature, double seaPressure);

}  // namespace tidora
