// `tidora recorder-sim`: writes the upload file of a simulated recorder and the matching
// coefficient file, from a tide, a sea state and the recorder's sampling scheme.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

#include "cli/command.h"
#include "convert/coefficient_file.h"
#include "platform/output_files.h"
#include "sim/pty_recorder.h"
#include "sim/recorder.h"
#include "sim/recorder_setup.h"
#include "sim/upload.h"

namespace tidora::cli {
namespace {

struct SimArgs {
  std::string family = "TGR41plus";
  std::string output = "recorder.hex";
  std::string coefficients;
  bool ascii = false;
  sim::Options o;
  // Serving the recorder on a pseudo-terminal.
  bool pty = false;
  long rate = 9600;
  double seconds = 0;
  bool logging = false;
  sim::RecorderFaults faults;
};

std::atomic<bool> g_stopServing{false};
extern "C" void StopServing(int) {
  g_stopServing = true;
}

// Serves the recorder until a signal ends the program or the given time is over.
int Serve(const SimArgs& a, const sim::Deployment& d) {
  sim::RecorderSetup setup = sim::SetupFor(d, a.faults, a.logging);
  setup.rate = a.rate;
  sim::PtyRecorder recorder(setup);
  std::string error;
  if (!recorder.Start(&error)) {
    std::fprintf(stderr, "tidora recorder-sim: no pseudo-terminal: %s\n", error.c_str());
    return 1;
  }
  std::signal(SIGINT, StopServing);
  std::signal(SIGTERM, StopServing);
  std::printf("%s\n", recorder.devicePath().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "Serving the recorder at %ld baud on %s until interrupted\n", a.rate,
               recorder.devicePath().c_str());
  auto start = std::chrono::steady_clock::now();
  while (!g_stopServing) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (a.seconds > 0 &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >=
            a.seconds)
      break;
  }
  recorder.Stop();
  return 0;
}

bool ParseFamily(const std::string& name, sim::Family& f) {
  if (name == "TGR41plus" || name == "TGR 41plus")
    f = sim::Family::kTgr41plus;
  else if (name == "TGR77" || name == "TGR 77 BPR" || name == "TGR77BPR")
    f = sim::Family::kTgr77Bpr;
  else if (name == "TGR41" || name == "TGR 41" || name == "TIDEWELL")
    f = sim::Family::kTgr41;
  else
    return false;
  return true;
}

int Run(SimArgs& a) {
  if (!ParseFamily(a.family, a.o.family)) {
    std::fprintf(stderr, "tidora recorder-sim: unknown family %s (TGR41, TGR41plus or TGR77)\n",
                 a.family.c_str());
    return 2;
  }
  const sim::Options& o = a.o;
  if (o.samplesPerBurst < 0 || o.samplesPerBurst > 65535 || o.samplePeriod <= 0 ||
      o.tideSamples < 0 || o.tideInterval < 1 || o.tideInterval > 65535 || o.burstEvery < 1 ||
      o.depth <= 0 || o.peakPeriod <= 0 || o.waveHeight < 0) {
    std::fprintf(
        stderr,
        "tidora recorder-sim: out of range (samples per burst 0..65535, sample period > 0, "
        "tide interval 1..65535 s, burst every >= 1, depth > 0, period > 0, height >= 0)\n");
    return 2;
  }
  const std::string coef = a.coefficients.empty() ? CoefficientFilePath() : a.coefficients;
  if (std::string clash =
          CheckOutputFiles({}, {{"upload file", a.output}, {"coefficient file", coef}});
      !clash.empty()) {
    std::fprintf(stderr, "tidora recorder-sim: %s\n", clash.c_str());
    return 1;
  }
  sim::Deployment d = sim::Simulate(o);
  auto method = a.ascii ? sim::UploadMethod::kAscii : sim::UploadMethod::kBinary;
  if (!sim::WriteUploadFile(d, a.output, method)) {
    std::fprintf(stderr, "tidora recorder-sim: cannot write %s\n", a.output.c_str());
    return 1;
  }
  if (!sim::WriteCoefficients(d, coef)) {
    std::fprintf(stderr, "tidora recorder-sim: cannot write %s\n", coef.c_str());
    return 1;
  }
  size_t bytes = sim::BuildMemoryImage(d).size();
  std::printf("Wrote %s: %zu tide samples, %zu wave bursts, %zu bytes of recorder memory\n",
              a.output.c_str(), d.tides.size(), d.bursts.size(), bytes);
  std::printf("Wrote coefficients to %s\n", coef.c_str());
  if (a.pty) return Serve(a, d);
  return 0;
}

// The simulated deployment: the recorder, its sampling plan and the sea it sees.
void AddDeploymentOptions(CLI::App* sub, sim::Options* o) {
  sub->add_flag("--conductivity", o->conductivity, "Conductivity cell fitted");
  sub->add_flag("--strain", o->strainGauge, "Strain-gauge pressure sensor (TGR41plus)");
  sub->add_flag("--time-stamped", o->timeStamped, "Time-stamped tide records (TGR41plus)");
  sub->add_flag("--tsunami", o->tsunami, "Tsunami-demonstration record layout (TGR77)");
  sub->add_flag("--alternate-temperature", o->alternateTemperature,
                "Serial number 35850: temperature in 0.0005 degC counts (TGR41plus)");
  sub->add_option("--firmware", o->firmware,
                  "Firmware version text (default 6.2, 1.2 for TGR77, 3.0 for TGR41; 2.0 gives the "
                  "TGR41's older burst layout). The clock setting (term set-time) is refused by "
                  "every TGR41, by TGR41plus 5.2, 6.0, 6.0a and 6.1, and by TGR77 1.0b, 1.1 and "
                  "1.1a");
  sub->add_flag("--serial-13186", o->serial13186,
                "TGR41 with serial number 13186, which counts bursts as its measurements");
  sub->add_option("--tide-samples", o->tideSamples, "Number of tide samples")
      ->capture_default_str();
  sub->add_option("--tide-interval", o->tideInterval, "Tide interval, seconds")
      ->capture_default_str();
  sub->add_option("--burst-every", o->burstEvery, "A wave burst after every N tide samples")
      ->capture_default_str();
  sub->add_option("--bursts", o->bursts,
                  "Number of wave bursts (default: as many as the tide samples allow; never more)");
  sub->add_option("--samples-per-burst", o->samplesPerBurst, "Pressure samples per burst")
      ->capture_default_str();
  sub->add_option("--sample-period", o->samplePeriod, "Seconds between burst samples")
      ->capture_default_str();
  sub->add_option("--stated-scan-rate", o->statedScanRate,
                  "Scan rate written in the status reply (default 1 / sample period)");
  sub->add_option("--reference-every", o->referenceEvery,
                  "TGR77: a reference record after every N tide samples")
      ->capture_default_str();
  sub->add_option("--depth", o->depth, "Water depth over the sensor, metres")
      ->capture_default_str();
  sub->add_option("--height", o->waveHeight, "Significant wave height, metres")
      ->capture_default_str();
  sub->add_option("--period", o->peakPeriod, "Peak wave period, seconds")->capture_default_str();
  sub->add_option("--temperature", o->temperature, "Mean water temperature, degC")
      ->capture_default_str();
  sub->add_option("--start-year", o->startYear, "TGR41: year the recording starts in")
      ->capture_default_str();
  sub->add_option("--seed", o->seed, "Seed of the random sea")->capture_default_str();
}

// The options of serving the recorder on a pseudo-terminal, and its faults.
void AddServeOptions(CLI::App* sub, SimArgs* a) {
  sub->add_flag("--pty", a->pty,
                "Also serve the recorder on a pseudo-terminal (its device path is printed) until "
                "interrupted, for `tidora term --port DEVICE`");
  sub->add_option("--rate", a->rate, "--pty: the only line rate the recorder talks at")
      ->capture_default_str();
  sub->add_option("--seconds", a->seconds, "--pty: serve this long (default: until interrupted)");
  sub->add_flag("--silent", a->faults.silent, "--pty: a recorder that never answers");
  sub->add_option("--crc-errors", a->faults.crcErrorBlocks,
                  "--pty: the first N binary blocks carry a wrong checksum");
  sub->add_option("--noise", a->faults.noise,
                  "--pty: chance per dumped character of a stray character (line noise)");
  sub->add_flag("--logging", a->logging, "--pty: the recorder reports that it is still logging");
  sub->add_flag("--refuse-clock", a->faults.refuseClock,
                "--pty: firmware that does not know the date/time command");
  sub->add_flag("--answer-both-line-ends", a->faults.answerBothLineEnds,
                "--pty: a prompt for the carriage return and for the line feed of a line end");
  sub->add_option("--silent-after", a->faults.silentAfterBytes,
                  "--pty: a dump falls silent after this many bytes");
  sub->add_flag("--ignore-flow-control", a->faults.ignoreFlowControl,
                "--pty: keeps sending while the terminal holds it");
}

RunFn SetupRecorderSim(CLI::App& app) {
  auto a = std::make_shared<SimArgs>();
  CLI::App* sub = app.add_subcommand(
      "recorder-sim",
      "Write the upload file (.hex) of a simulated recorder and the matching CNVHex.ini");
  sub->footer(
      "The recorder sits on the bottom under --depth metres of water. Its tide follows a 12.42 h "
      "tide of 0.8 m; each burst holds the pressure of a random sea with the given significant "
      "height and peak period (a Bretschneider spectrum), attenuated with depth by linear wave "
      "theory. Temperature and conductivity vary slowly around 12 degC and 4.2 S/m. The "
      "coefficient file goes into the settings folder ($TIDORA_HOME, else "
      "~/.config/tidora) unless --coefficients names another place; `tidora convert` reads it "
      "from the settings folder.");
  sub->add_option("--family", a->family, "Recorder: TGR41 (older, TIDEWELL), TGR41plus or TGR77")
      ->capture_default_str();
  sub->add_option("--output", a->output, "Upload file to write")->capture_default_str();
  sub->add_option("--coefficients", a->coefficients,
                  "Where to write CNVHex.ini (default: the settings folder)");
  sub->add_flag("--ascii", a->ascii,
                "Data section as an ASCII dump received it (the TGR41 always uploads so); "
                "default: as a binary upload's image converted to lines");
  AddDeploymentOptions(sub, &a->o);
  AddServeOptions(sub, a.get());
  return [a]() { return Run(*a); };
}

}  // namespace

TIDORA_COMMAND(150, SetupRecorderSim);

}  // namespace tidora::cli
