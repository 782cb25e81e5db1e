#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/command.h"
#include "platform/interaction.h"
#include "platform/serial_port.h"
#include "terminal/comm_settings.h"
#include "terminal/term_runner.h"
#include "terminal/terminal_window.h"

namespace tidora::cli {
namespace {

// The terminal's window on a command line: received characters to stdout when asked (the
// interactive terminal), the DateTime dialog's field and the Configure hint to stderr.
class CliTerminalWindow : public TerminalWindow {
 public:
  CliTerminalWindow(const CommSettings& s, bool echo) : settings_(s), echo_(echo) {}
  void ShowChar(char c) override {
    if (!echo_) return;
    std::fputc(c, stdout);
    std::fflush(stdout);
  }
  void SetMenu(MenuForm) override {}
  void SetUploadItemEnabled(bool) override {}
  void SetCaptureChecked(bool) override {}
  // Status part 2 names the identified model: kept to be said after a status reply.
  void SetStatusPart(int part, const std::string& text) override {
    if (part == 2) model = text;
  }
  void SetDateTimeStatus(const std::string& text) override {
    std::fprintf(stderr, "DateTime: %s\n", text.c_str());
  }
  void OpenConfigure() override {
    std::fprintf(stderr,
                 "tidora term: set the instrument type (--instrument or QuaylinkW.ini) to match "
                 "the recorder\n");
  }
  bool GetWindowRect(WindowRect& r) override {
    r = {settings_.left, settings_.top, settings_.width, settings_.height};
    return true;
  }

  std::string model;

 private:
  const CommSettings& settings_;
  bool echo_;
};

struct Options {
  std::string port;
  std::string instrument;
  long baud = 0;
  long uploadBaud = 0;
  bool binary = false, ascii = false;
  TermRequest request;
  bool hasCommand = false;
  bool local = false;
};

// Keys from standard input for the interactive terminal: -1 none waiting, -2 end of input.
int NextKey(void*) {
  pollfd p{0, POLLIN, 0};
  if (poll(&p, 1, 0) <= 0) return -1;
  unsigned char c;
  ssize_t n = read(0, &c, 1);
  if (n <= 0) return -2;
  return c;
}

int Run(Options& o) {
  CommSettings s;
  ReleaseFlags release{};
  ReadCommSettings(s, DefaultCommSettingsPath(), ScreenSize{}, &release);
  // The overrides below are for this run only: a save keeps the file's own settings.
  const CommSettings stored = s;
  if (!o.instrument.empty()) {
    if (o.instrument != "TGR41" && o.instrument != "TGR41plus") {
      std::fprintf(stderr, "tidora term: --instrument must be TGR41 or TGR41plus\n");
      return 2;
    }
    s.SetInstrumentType(o.instrument);
    s.modelName = o.instrument;
  }
  if (o.baud > 0) {
    s.baud = o.baud;
    if (s.plus) s.baud41plus = static_cast<int>(o.baud);
  } else if (s.plus) {
    s.baud = s.baud41plus;  // the connect's rate search starts where it last found the recorder
  }
  if (o.uploadBaud > 0) s.uploadBaud = o.uploadBaud;
  if (o.binary) s.uploadBinary = 1;
  if (o.ascii) s.uploadBinary = 0;

  PortDeviceTable table = PortDeviceTable::Load();
  if (!o.port.empty()) table.SetDevice(s.port, o.port);
  s.previousPort = s.port;
  PosixSerialPorts ports(table);

  CliInteraction ui(false, false);
  if (!o.hasCommand) {
    CliTerminalWindow window(s, true);
    termios saved{};
    bool tty = isatty(0) && tcgetattr(0, &saved) == 0;
    if (tty) {
      termios raw = saved;
      raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
      raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
      raw.c_cc[VMIN] = 1;
      raw.c_cc[VTIME] = 0;
      tcsetattr(0, TCSANOW, &raw);
      std::fprintf(stderr, "Connected to %s; Ctrl-] quits.\n", table.Device(s.port).c_str());
    }
    int rc = RunInteractiveTerminal(s, ports, ui, window, &NextKey, nullptr);
    if (tty) tcsetattr(0, TCSANOW, &saved);
    return rc;
  }
  CliTerminalWindow window(s, false);
  if (!o.request.file.empty())
    o.request.file = std::filesystem::absolute(o.request.file).lexically_normal().string();
  o.request.local = o.local;
  o.request.stored = &stored;
  std::string output;
  int rc = RunTermCommand(o.request, s, ports, ui, window, &output);
  if (!output.empty()) {
    std::fputs(output.c_str(), stdout);
    if (output.back() != '\n') std::fputc('\n', stdout);  // the reply ends at the prompt
  }
  if (rc == 0 && o.request.kind == TermRequest::kStatus && !window.model.empty())
    std::fprintf(stderr, "%s\n", window.model.c_str());
  return rc;
}

RunFn SetupTerm(CLI::App& app) {
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "term",
      "Talk to the recorder over a serial line: connect, status, coefficients, clock, upload, "
      "capture and diagnostics; without a command an interactive terminal (Ctrl-] quits)");
  sub->add_option("--port", o->port,
                  "Serial device or pseudo-terminal (default: the configured COM port's device)");
  sub->add_option("--instrument", o->instrument, "TGR41 or TGR41plus (TGR 77 BPR: TGR41plus)");
  sub->add_option("--baud", o->baud, "Normal line rate");
  sub->add_option("--upload-baud", o->uploadBaud, "Upload rate");
  auto* bin = sub->add_flag("--binary", o->binary, "Binary upload (TGR 41plus class)");
  sub->add_flag("--ascii", o->ascii, "ASCII upload")->excludes(bin);
  sub->require_subcommand(0, 1);

  auto command = [&](const char* name, const char* help, TermRequest::Kind kind) {
    CLI::App* c = sub->add_subcommand(name, help);
    c->callback([o, kind] {
      o->hasCommand = true;
      o->request.kind = kind;
    });
    return c;
  };
  command("connect", "Wake the recorder and wait for its prompt", TermRequest::kConnect);
  command("status", "Print the recorder's status reply", TermRequest::kStatus);
  command("coefficients", "Print the recorder's calibration coefficients",
          TermRequest::kCoefficients);
  command("set-time", "Set the recorder's clock to UTC (or --local time)", TermRequest::kSetTime)
      ->add_flag("--local", o->local, "Local time instead of UTC");
  command("upload", "Upload the recorder's memory into an upload file", TermRequest::kUpload)
      ->add_option("FILE", o->request.file, "Upload file (.hex)")
      ->required();
  command("diagnostic", "Collect diagnostic information into a file", TermRequest::kDiagnostic)
      ->add_option("FILE", o->request.file, "Diagnostic file (.dia)")
      ->required();
  CLI::App* cap =
      command("capture", "Store everything the recorder sends for a while", TermRequest::kCapture);
  cap->add_option("FILE", o->request.file, "Capture file (.cap)")->required();
  cap->add_option("--seconds", o->request.seconds, "How long to capture")->required();
  command("stop", "Escape the recorder out of what it is doing", TermRequest::kStop);
  return [o] { return Run(*o); };
}

}  // namespace

TIDORA_COMMAND(300, SetupTerm);

}  // namespace tidora::cli
