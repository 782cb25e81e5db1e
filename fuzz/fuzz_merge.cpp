// Tide and barometric files come from recorders, people and weather stations: merging any
// bytes must never crash or overrun, and a run that fails must leave the output as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "merge/baro_merge.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tidora::testing::TempDir* dir = new tidora::testing::TempDir;  // lives for the run
  if (size < 2) return 0;
  // The first byte picks the settings, the second where the tide bytes end.
  const uint8_t flags = data[0];
  std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t split = rest.empty() ? 0 : (data[1] * rest.size()) / 255;
  const std::string tidePath = dir->file("in.tid"), baroPath = dir->file("in.bp");
  const std::string outPath = dir->file("out.tid");
  tidora::testing::WriteFile(tidePath, rest.substr(0, split));
  tidora::testing::WriteFile(baroPath, rest.substr(split));
  tidora::testing::WriteFile(outPath, "previous");

  tidora::MergeSettings settings;
  settings.barometricPressureUnits = flags & 1;
  settings.convertToWaterDepth = (flags >> 1) & 1;
  const long scans = std::count(rest.begin(), rest.begin() + split, '\n') + (flags >> 2);
  tidora::ScriptedInteraction ui;
  tidora::CInteractionPage page(ui);
  tidora::ProcessControl stop;
  tidora::CBaroMerge merge(settings, outPath, {tidePath, baroPath}, scans, ui, &page, &stop);
  if (merge.Run() != 0 && tidora::testing::ReadFile(outPath) != "previous") std::abort();
  return 0;
}
