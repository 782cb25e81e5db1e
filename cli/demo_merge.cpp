// Demo step: a barometric pressure file for the span of the converted tide file, merged into
// a tide file of water depths.
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "cli/command.h"
#include "datafile/tgr41file.h"
#include "datafile/tidfile.h"
#include "merge/merge_module.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/tgr41_reader.h"

namespace tidora::cli {
namespace {

constexpr double kPi = 3.14159265358979323846;

// First and last record times of a tide file (calendar seconds), read one record at a time.
bool TideTimeSpan(const std::string& path, double& first, double& last) {
  CTidFile file;
  int subtitles = 0;
  if (file.ReadFileInfo(path, subtitles) <= 0) return false;
  DataArrays data;
  data.Want(kVarDateTime);
  int count = 0, rows = 0;
  while (file.ReadData(data, 0, count)) {
    if (rows++ == 0) first = data.Get(kVarDateTime, 0);
    last = data.Get(kVarDateTime, 0);
  }
  file.CloseFile();
  return rows > 0;
}

// Hourly readings in millibars from the hour before the first sample to the hour after the
// last: a slow weather swing of a few millibars.
bool WriteBarometricFile(const std::string& path, double first, double last, int& readings) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  readings = 0;
  const double start = std::floor(first / 3600.0) * 3600.0 - 3600.0;
  for (double t = start; t <= last + 3600.0; t += 3600.0) {
    std::tm c = CalendarTime(t);
    double mbar = 1013.25 + 6.0 * std::sin(2 * kPi * (t - start) / (3 * 86400.0));
    std::fprintf(f, "%02d/%02d/%04d %02d:%02d:%02d %8.2f\r\n", c.tm_mon + 1, c.tm_mday,
                 c.tm_year + 1900, c.tm_hour, c.tm_min, c.tm_sec, mbar);
    ++readings;
  }
  return std::fclose(f) == 0;
}

int DemoMerge(DemoContext& ctx) {
  const std::string tide = ctx.dir + "/demo.tid";
  const std::string baro = ctx.dir + "/demo.bp";
  const std::string depth = ctx.dir + "/demo-depth.tid";
  if (!IsFile(tide)) {
    std::printf("%s does not exist (the conversion step writes it); nothing to merge.\n",
                tide.c_str());
    return 0;
  }
  double first = 0, last = 0;
  if (!TideTimeSpan(tide, first, last)) {
    std::fprintf(stderr, "%s holds no tide records\n", tide.c_str());
    return 1;
  }
  int readings = 0;
  if (!WriteBarometricFile(baro, first, last, readings)) {
    std::fprintf(stderr, "could not write %s\n", baro.c_str());
    return 1;
  }
  std::printf("Wrote %s (%d hourly readings in millibars, %s to %s)\n", baro.c_str(), readings,
              TimeToDateTimeStr(static_cast<std::time_t>(first)).c_str(),
              TimeToDateTimeStr(static_cast<std::time_t>(last)).c_str());
  std::printf("$ tidora merge %s %s --set BarometricPressureUnits=1 --output %s --yes\n",
              tide.c_str(), baro.c_str(), depth.c_str());
  std::fflush(stdout);

  CliInteraction ui(true, true);
  CMergeModule module(ui);
  module.MergeSetup().barometricPressureUnits = MergeSettings::kUnitsMillibars;
  module.MergeSetup().convertToWaterDepth = 1;
  module.SetReaderFactory(DataFileReaderFactory());
  if (std::string err = module.PrepareFileRun(tide, baro, depth); !err.empty()) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return 1;
  }
  module.overwriteWarning = false;
  module.RunAndWait();
  if (module.LastOutcome() != CMergeModule::Outcome::kDone) {
    std::fprintf(stderr, "the merge did not complete\n");
    return 1;
  }
  std::printf("Wrote %s (%ld tide records as water depth)\n", depth.c_str(),
              module.LastScanCount());
  std::FILE* f = std::fopen(depth.c_str(), "rb");
  if (!f) return 1;
  char line[256];
  for (int i = 0; i < 6 && std::fgets(line, sizeof line, f); ++i) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::printf("%s\n", text.c_str());
  }
  std::printf("...\n");
  std::fclose(f);
  return 0;
}

}  // namespace

TIDORA_DEMO_STEP(800, "Merge barometric pressure", DemoMerge);

}  // namespace tidora::cli
