// The whole road through the command line: a simulated recorder with a known sea state, its upload
// file, the conversion, and the wave processing must give back the sea state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/interaction.h"
#include "postproc/page.h"
#include "postproc/tgr41_reader.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"
#include "wave/wave_module.h"

namespace tidora {
namespace {

using testing::ProgramPath;
using testing::RunCommand;
using testing::TempHome;

TEST(Road, SimulatedSeaStateSurvivesUploadConversionAndWaveProcessing) {
  TempHome home;
  const std::string tidora = ProgramPath("tidora");
  const std::string hex = home.file("deploy.hex");
  // 48 bursts of 1024 samples at 0.25 s under 10 m of water; Hs 1.5 m, peak period 8 s.
  ASSERT_EQ(RunCommand(tidora + " recorder-sim --family TGR41plus --conductivity --output " + hex +
                       " --depth 10 --height 1.5 --period 8 --tide-samples 192 --burst-every 4"),
            0);
  std::string out, err;
  ASSERT_EQ(RunCommand(tidora + " convert " + hex, &out, &err), 0) << err;
  ASSERT_EQ(
      RunCommand(tidora + " waves " + home.file("deploy.wb") + " --yes </dev/null", &out, &err), 0)
      << err;

  // The same processing in this process, to see each burst's figures.
  ScriptedInteraction ui;
  ui.defaultAnswer = MsgAnswer::Yes;
  CWaveModule module(ui);
  module.SetReaderFactory(DataFileReaderFactory());
  module.KeepResults(true);
  CInteractionPage page(ui);
  module.SetPage(&page);
  ASSERT_EQ(module.PrepareFileRun(home.file("deploy.wb"), ""), "");
  module.RunAndWait();
  ASSERT_EQ(module.OutcomeText(), "");
  const std::vector<WaveBurstResult>& bursts = module.Results();
  ASSERT_EQ(bursts.size(), 48u);

  // A 256 s burst of a random sea holds about 32 waves, so one burst's Hs scatters by some 10 %;
  // the mean of 48 bursts has a standard error near 1.5 %, and 5 % leaves room for the sensor's
  // resolution and the band-limited spectrum.
  double hsSum = 0, hThirdSum = 0;
  std::map<double, int> peaks;
  for (const WaveBurstResult& b : bursts) {
    hsSum += b.significantHeight;
    hThirdSum += b.stats.h13;
    ++peaks[b.peakPeriod];
  }
  EXPECT_NEAR(hsSum / 48, 1.5, 0.075);
  // H1/3 of the counted waves is noisier and, for a real spectrum, a few percent below 4 sqrt(E).
  EXPECT_NEAR(hThirdSum / 48, 1.5, 0.15);

  // The peak period is a band centre: the bands are 0.0195 Hz wide (5 estimates of 1/256 Hz), so
  // the commonest peak must lie within half a band of 1/8 Hz.
  auto mode = std::max_element(peaks.begin(), peaks.end(),
                               [](auto& a, auto& b) { return a.second < b.second; });
  EXPECT_NEAR(1.0 / mode->first, 1.0 / 8.0, 0.0098) << "commonest peak period " << mode->first;
}

}  // namespace
}  // namespace tidora
