// Demo step: the simulated deployment's recorder on a pseudo-terminal, uploaded with the
// terminal core as a person would from QuaylinkW, and the upload compared with the file the
// simulation wrote directly.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/command.h"
#include "cli/demo_deployment.h"
#include "platform/interaction.h"
#include "platform/serial_port.h"
#include "platform/settings_dir.h"
#include "sim/pty_recorder.h"
#include "sim/recorder.h"
#include "sim/recorder_setup.h"
#include "terminal/term_runner.h"

namespace tidora::cli {
namespace {

// The file without its "*FileName = " line, which names each file's own path.
std::string WithoutFileName(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  size_t at = text.find("*FileName = ");
  if (at != std::string::npos) {
    size_t end = text.find('\n', at);
    text.erase(at, end == std::string::npos ? std::string::npos : end - at + 1);
  }
  return text;
}

int UploadOverSerial(DemoContext& ctx) {
  std::string direct = ctx.dir + "/demo.hex";
  if (!std::filesystem::exists(direct)) {
    std::printf("no %s to compare with: step skipped\n", direct.c_str());
    return 0;
  }
  sim::Deployment d = sim::Simulate(DemoDeploymentOptions());
  sim::PtyRecorder recorder(sim::SetupFor(d));
  std::string error;
  if (!recorder.Start(&error)) {
    std::fprintf(stderr, "no pseudo-terminal for the recorder: %s\n", error.c_str());
    return 1;
  }
  CommSettings s;
  s.settingsPath = SettingsFile("QuaylinkW.ini");
  s.SetInstrumentType("TGR41plus");
  s.modelName = "TGR41plus";
  s.baud = s.baud41plus = 9600;
  s.uploadBinary = 1;
  s.uploadBaud = s.uploadBaud41plus = 115200;
  PortDeviceTable table;
  table.SetDevice(0, recorder.devicePath());
  PosixSerialPorts ports(table);
  CliInteraction ui(false, true);
  HeadlessWindow window;
  TermRequest request;
  request.kind = TermRequest::kUpload;
  request.file = ctx.dir + "/demo-uploaded.hex";
  std::printf("recorder on %s; binary upload at 115200 baud into %s\n",
              recorder.devicePath().c_str(), request.file.c_str());
  std::fflush(stdout);
  int rc = RunTermCommand(request, s, ports, ui, window);
  recorder.Stop();
  if (rc != 0) {
    std::fprintf(stderr, "the upload failed\n");
    return 1;
  }
  if (WithoutFileName(request.file) != WithoutFileName(direct)) {
    std::fprintf(stderr, "%s differs from %s\n", request.file.c_str(), direct.c_str());
    return 1;
  }
  std::printf("%d blocks read; demo-uploaded.hex equals demo.hex (apart from its file name line)\n",
              recorder.blocksSent());
  return 0;
}

}  // namespace

TIDORA_DEMO_STEP(400, "Upload over a serial line", UploadOverSerial);

}  // namespace tidora::cli
