// Demo step: tabulate the wave statistics the wave step wrote, as `tidora report` does.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/command.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "reports/tabulon.h"

namespace tidora::cli {
namespace {

int DemoReport(DemoContext& ctx) {
  const std::string was = ctx.dir + "/demo.was";
  const std::string wts = ctx.dir + "/demo.wts";
  if (!IsFile(was) || !IsFile(wts)) {
    std::printf("%s and %s do not both exist (the wave step writes them); nothing to tabulate.\n",
                was.c_str(), wts.c_str());
    return 0;
  }
  CliInteraction ui(true, true);
  CTabulon module(ui);
  CTabulon_Psu& psu = module.ReportSetup().Psu();
  // Burst number, date, significant heights and periods of both calculations.
  psu.SetColumns({kVarBurstNumber, kVarDateTime, kVarSigHeightAs, kVarSigHeightTss, kVarSigPeriodAs,
                  kVarSigPeriodTss});
  const std::string out = ctx.dir + "/demo.r41";
  std::printf(
      "$ tidora report %s %s --set SelectedColumnItems=%s "
      "--output %s --yes\n",
      was.c_str(), wts.c_str(), psu.ColumnListText().c_str(), out.c_str());
  std::fflush(stdout);
  std::string error = module.PrepareReportRun({was, wts}, out);
  if (error.empty() && module.RunAndWait() != 1) error = module.OutcomeText();
  if (!error.empty()) {
    std::fprintf(stderr, "demo report: %s\n", error.c_str());
    return 1;
  }
  std::ifstream in(out, std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  int lines = 0;
  size_t at = 0;
  while (at < text.size() && lines < 12) {
    size_t end = text.find("\r\n", at);
    std::printf("%s\n", text.substr(at, end == std::string::npos ? end : end - at).c_str());
    ++lines;
    if (end == std::string::npos) break;
    at = end + 2;
  }
  std::printf("...\nwrote %s\n", out.c_str());
  return 0;
}

}  // namespace

TIDORA_DEMO_STEP(900, "Tabulate the wave statistics", DemoReport);

}  // namespace tidora::cli
