// Seawater equations for the derived densities: the equation of state of 1980 (UNESCO 1981)
// and the adiabatic gradient and potential temperature of UNESCO 1983 (Fofonoff and Millard).
#include <cmath>

#include "datafile/tgr41file.h"

namespace tidora {
namespace {

// The equation is evaluated as the UNESCO 1983 algorithm does: as an anomaly against standard
// seawater (S 35, T 0) with the secant bulk modulus split into K(35, 0, p) and the difference
// from it. This keeps the published check values to the last digit.
constexpr double kR3500 = 1028.1063;  // density of standard seawater at one atmosphere
constexpr double kDR350 = 28.106331;  // the same minus 1000, unrounded
constexpr double kR4 = 4.8314e-4;

}  // namespace

double CTGR41File::CheckRange(double value, double limit) {
  if (value > limit) return limit;
  if (value < -limit) return -limit;
  return value;
}

double CTGR41File::Density(double S, double T, double P) {
  if (!(S > 0)) S = 1e-6;
  const double SR = std::sqrt(S);
  const double p = P / 10.0;  // decibars to bars

  // Density at one atmosphere, as an anomaly against standard seawater.
  double R1 =
      ((((6.536332e-9 * T - 1.120083e-6) * T + 1.001685e-4) * T - 9.095290e-3) * T + 6.793952e-2) *
          T -
      28.263737;
  double R2 = (((5.3875e-9 * T - 8.2467e-7) * T + 7.6438e-5) * T - 4.0899e-3) * T + 8.24493e-1;
  double R3 = (-1.6546e-6 * T + 1.0227e-4) * T - 5.72466e-3;
  double SIG = (kR4 * S + R3 * SR + R2) * S + R1;
  double V350P = 1.0 / kR3500;
  double SVA = -SIG * V350P / (kR3500 + SIG);  // specific volume anomaly
  double sigma = SIG + kDR350;
  if (p != 0.0) {
    // Secant bulk modulus: K(35, 0, p) and the difference DK of K(S, T, p) from it.
    double E = (9.1697e-10 * T + 2.0816e-8) * T - 9.9348e-7;
    double BW = (5.2787e-8 * T - 6.12293e-6) * T + 3.47718e-5;
    double B = BW + E * S;
    double C = (-1.6078e-6 * T - 1.0981e-5) * T + 2.2838e-3;
    double AW = ((-5.77905e-7 * T + 1.16092e-4) * T + 1.43713e-3) * T - 0.1194975;
    double A = (1.91075e-4 * SR + C) * S + AW;
    double B1 = (-5.3009e-4 * T + 1.6483e-2) * T + 7.944e-2;
    double A1 = ((-6.1670e-5 * T + 1.09987e-2) * T - 0.603459) * T + 54.6746;
    double KW = (((-5.155288e-5 * T + 1.360477e-2) * T - 2.327105) * T + 148.4206) * T - 1930.06;
    double K0 = (B1 * SR + A1) * S + KW;
    double DK = (B * p + A) * p + K0;
    double K35 = (5.03217e-5 * p + 3.359406) * p + 21582.27;
    double GAM = p / K35;
    double PK = 1.0 - GAM;
    SVA = SVA * PK + (V350P + SVA) * p * DK / (K35 * (K35 + DK));
    V350P = V350P * PK;
    double DR35P = GAM / V350P;
    double DVAN = SVA / (V350P * (V350P + SVA));
    sigma = kDR350 + DR35P - DVAN;
  }
  return CheckRange(sigma, 99.0);
}

double CTGR41File::ATG(double S, double T, double P) {
  double DS = S - 35.0;
  return (((-2.1687e-16 * T + 1.8676e-14) * T - 4.6206e-13) * P +
          ((2.7759e-12 * T - 1.1351e-10) * DS +
           ((-5.4481e-14 * T + 8.733e-12) * T - 6.7795e-10) * T + 1.8741e-8)) *
             P +
         (-4.2393e-8 * T + 1.8932e-6) * DS + ((6.6228e-10 * T - 6.836e-8) * T + 8.5258e-6) * T +
         3.5803e-5;
}

double CTGR41File::PoTemp(double S, double T0, double P0, double PR) {
  double H = PR - P0;
  double XK = H * ATG(S, T0, P0);
  double T = T0 + 0.5 * XK;
  double Q = XK;
  double P = P0 + 0.5 * H;
  XK = H * ATG(S, T, P);
  T = T + 0.29289322 * (XK - Q);
  Q = 0.58578644 * XK + 0.121320344 * Q;
  XK = H * ATG(S, T, P);
  T = T + 1.707106781 * (XK - Q);
  Q = 3.414213562 * XK - 4.121320344 * Q;
  P = P + 0.5 * H;
  XK = H * ATG(S, T, P);
  return T + (XK - 2.0 * Q) / 6.0;
}

}  // namespace tidora
