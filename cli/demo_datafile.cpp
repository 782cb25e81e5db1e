// Demo step: write a small tide file (with conductivity and salinity) and a small wave burst
// file with the library's writers, and show their first rows as `tidora dump` does.
#include <cmath>
#include <cstdio>
#include <iostream>

#include "cli/command.h"
#include "datafile/dump.h"
#include "datafile/tgr41file.h"
#include "datafile/writers.h"

namespace tidora::cli {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::tm Date(int year, int month, int day) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  return t;
}

bool WriteDemoTideFile(const std::string& path) {
  TideFileWriter w;
  if (!w.Open(path)) return false;
  bool ok = true;
  for (int i = 0; i < 48; ++i) {
    // A semidiurnal tide sampled every 15 minutes from 1 June 2024 00:00.
    std::tm t = CalendarTime(CalendarSeconds(Date(2024, 6, 1)) + i * 900.0);
    double hours = i * 0.25;
    double pressure = 14.7 + 14.6 + 1.8 * std::sin(2 * kPi * hours / 12.42);
    double temperature = 11.5 + 0.3 * std::cos(2 * kPi * hours / 24);
    ok = w.WriteRecord(i + 1, t, pressure, temperature, 3, 4.08 + 0.002 * i, 34.6) && ok;
  }
  return w.Close() && ok;
}

bool WriteDemoWaveBurstFile(const std::string& path) {
  WaveBurstFileWriter w;
  if (!w.Open(path) || !w.WriteIdentification()) return false;
  bool ok = true;
  // Two bursts of 64 samples at 2 Hz, an hour apart, with an 8-second swell.
  double start = CalendarSeconds(Date(2024, 6, 1)) - CalendarSeconds(Date(2000, 1, 1));
  for (int b = 0; b < 2; ++b) {
    ok = w.WriteBurstHeader(b, start + 3600.0 * b, 0.5, 64) && ok;
    for (int i = 0; i < 64; i += 4) {
      double v[4];
      for (int k = 0; k < 4; ++k) v[k] = 29.3 + 0.4 * std::sin(2 * kPi * (i + k) * 0.5 / 8.0 + b);
      ok = w.WriteRow(v[0], v[1], v[2], v[3]) && ok;
    }
  }
  return w.Close() && ok;
}

int DumpFirstRows(const std::string& path, const std::vector<int>& vars) {
  std::string list;
  for (int id : vars) list += (list.empty() ? " --vars " : ",") + std::to_string(id);
  std::printf("$ tidora dump %s%s\n", path.c_str(), list.c_str());
  std::fflush(stdout);
  std::string error;
  if (!DumpDataFileCsv(path, vars, std::cout, error, 6)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::cout << "...\n";
  std::cout.flush();
  return 0;
}

int DemoDataFiles(DemoContext& ctx) {
  std::string tid = ctx.dir + "/demo-datafile.tid";
  std::string wb = ctx.dir + "/demo-datafile.wb";
  if (!WriteDemoTideFile(tid) || !WriteDemoWaveBurstFile(wb)) {
    std::fprintf(stderr, "could not write the demo data files in %s\n", ctx.dir.c_str());
    return 1;
  }
  std::printf("Wrote %s (48 tide records with conductivity and salinity)\n", tid.c_str());
  std::printf("Wrote %s (2 bursts of 64 samples)\n\n", wb.c_str());
  if (int rc = DumpFirstRows(tid, {kVarDateTime, kVarPressure, kVarTemperature, kVarConductivity,
                                   kVarSalinity, kVarSigmaT, kVarSigmaTheta}))
    return rc;
  std::printf("\n");
  return DumpFirstRows(wb, {});
}

}  // namespace

TIDORA_DEMO_STEP(600, "Write and dump a tide file and a wave burst file", DemoDataFiles);

}  // namespace tidora::cli
