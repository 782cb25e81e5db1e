// Payload rate of the binary upload on virtual time: a simulated recorder with 600000 bytes of
// memory uploads at 115200 baud. The counters give the payload as a fraction of the line's
// byte rate (10 bits a byte), for the blocks alone and for the whole upload from the status
// exchange to the written file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "platform/clock.h"
#include "platform/interaction.h"
#include "sim/recorder_engine.h"
#include "sim/virtual_port.h"
#include "terminal/session.h"
#include "testing/scripted_interaction.h"
#include "testing/virtual_event_loop.h"

namespace tidora {
namespace {

void BM_BinaryUpload115200(benchmark::State& state) {
  const long bytes = state.range(0);
  std::string dir = std::filesystem::temp_directory_path() / "tidora-bench-upload";
  std::filesystem::create_directories(dir);
  setenv("TIDORA_HOME", dir.c_str(), 1);
  double blockFraction = 0, wholeFraction = 0;
  for (auto _ : state) {
    sim::RecorderSetup r;
    r.family = sim::RecorderFamily::kTgr41plus;
    r.image.assign(static_cast<size_t>(bytes), 0x3C);
    r.statusReply = "TGR 41plus V 6.2\r\nsamples = 0\r\nmeasurements = 0\r\nbursts = 0\r\n";
    r.coefficientReply = "PA0 = 1\r\n";
    sim::RecorderEngine recorder(r);
    VirtualEventLoop loop;
    sim::VirtualSerialPorts ports(loop.clock());
    ports.Attach(0, &recorder);
    ScriptedInteraction ui;
    HeadlessWindow window;
    CommSettings s;
    s.SetInstrumentType("TGR41plus");
    s.settingsPath = dir + "/QuaylinkW.ini";
    s.uploadBinary = 1;
    s.uploadBaud = 115200;
    TerminalSession session(loop, ports, ui, window, s);
    session.Start();
    ui.QueueFiles({dir + "/bench.hex"});
    int64_t start = loop.NowMs();
    session.Upload();
    loop.RunUntil([&] { return session.state() == kIdle && !session.uploading(); }, 3600000);
    if (session.uploadOutcome() != Outcome::kSucceeded) {
      state.SkipWithError("upload failed");
      break;
    }
    const double lineBytesPerMs = 115200.0 / 10.0 / 1000.0;
    blockFraction = static_cast<double>(session.binaryDataBytes()) /
                    (static_cast<double>(session.binaryBlockMs()) * lineBytesPerMs);
    wholeFraction =
        static_cast<double>(bytes) / (static_cast<double>(loop.NowMs() - start) * lineBytesPerMs);
  }
  state.counters["blocks_fraction_of_line"] = blockFraction;
  state.counters["whole_fraction_of_line"] = wholeFraction;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_BinaryUpload115200)->Arg(600000)->Arg(60000)->Unit(benchmark::kMillisecond);

void BM_ImageToHexLines(benchmark::State& state) {
  std::vector<uint8_t> image(1 << 20);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 37 + 11);
  InstrumentInfo info;
  info.tgr41plus = true;
  for (auto _ : state) benchmark::DoNotOptimize(ImageToHexLines(image.data(), image.size(), info));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(image.size()));
}
BENCHMARK(BM_ImageToHexLines);

void BM_Crc32(benchmark::State& state) {
  std::vector<uint8_t> block(250000, 0xA5);
  for (auto _ : state) benchmark::DoNotOptimize(Crc32(block.data(), block.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(block.size()));
}
BENCHMARK(BM_Crc32);

}  // namespace
}  // namespace tidora
