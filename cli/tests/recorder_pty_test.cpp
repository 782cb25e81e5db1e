#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>

#include "testing/test_support.h"

namespace tidora::testing {
namespace {

// `tidora recorder-sim --pty` running beside the test, ended when the test is done with it.
class SimulatedRecorder {
 public:
  explicit SimulatedRecorder(const std::string& args) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      std::string cmd =
          "exec " + ProgramPath("tidora") + " recorder-sim --pty " + args + " 2>/dev/null";
      execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    FILE* out = fdopen(fds[0], "r");
    char line[512];
    while (out && std::fgets(line, sizeof line, out)) {
      std::string l(line);
      if (l.rfind("/dev/", 0) == 0) {
        device_ = l.substr(0, l.find_last_not_of("\r\n") + 1);
        break;
      }
    }
    out_ = out;
  }
  ~SimulatedRecorder() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (out_) std::fclose(out_);
  }
  const std::string& device() const { return device_; }

 private:
  pid_t pid_ = -1;
  FILE* out_ = nullptr;
  std::string device_;
};

// Uploads with `tidora term` into the very path recorder-sim wrote its own upload file to, so
// the two files must agree byte for byte.
void UploadAndCompare(const std::string& simArgs, const std::string& termArgs) {
  TempHome home;
  std::string path = home.file("deployment.hex");
  SimulatedRecorder rec("--output " + path + " " + simArgs);
  ASSERT_FALSE(rec.device().empty());
  std::string direct = ReadFile(path);
  ASSERT_FALSE(direct.empty());
  ASSERT_EQ(std::remove(path.c_str()), 0);
  std::string out, err;
  int rc = RunCommand(
      ProgramPath("tidora") + " term --port " + rec.device() + " " + termArgs + " upload " + path,
      &out, &err);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_TRUE(ReadFile(path) == direct) << simArgs << " / " << termArgs << "\n" << err;
}

const char* kSmall = "--tide-samples 24 --burst-every 4 --samples-per-burst 64 ";

TEST(RecorderSimPty, BinaryUploadEqualsTheDirectFile) {
  UploadAndCompare(std::string(kSmall) + "--family TGR41plus --conductivity --rate 19200",
                   "--instrument TGR41plus --baud 19200 --binary --upload-baud 115200");
}

TEST(RecorderSimPty, BinaryUploadWithChecksumErrorsEqualsTheDirectFile) {
  UploadAndCompare(std::string(kSmall) + "--family TGR77 --crc-errors 1",
                   "--instrument TGR41plus --baud 9600 --binary --upload-baud 57600");
}

TEST(RecorderSimPty, AsciiUploadsEqualTheDirectFile) {
  UploadAndCompare(std::string(kSmall) + "--family TGR41plus --ascii --rate 38400",
                   "--instrument TGR41plus --baud 38400 --ascii");
  UploadAndCompare(std::string(kSmall) + "--family TGR41 --rate 9600",
                   "--instrument TGR41 --upload-baud 9600");
}

TEST(RecorderSimPty, LoggingRecorderCancelsTheUpload) {
  TempHome home;
  SimulatedRecorder rec(std::string(kSmall) + "--output " + home.file("x.hex") + " --logging");
  ASSERT_FALSE(rec.device().empty());
  std::string err;
  int rc = RunCommand(ProgramPath("tidora") + " term --port " + rec.device() +
                          " --instrument TGR41plus upload " + home.file("y.hex"),
                      nullptr, &err);
  EXPECT_NE(rc, 0);
  EXPECT_NE(err.find("Stop logging before upload"), std::string::npos) << err;
}

// The default simulated recorder takes the clock setting; the rate search of `tidora term`
// saves the rate it found and nothing of the run's own overrides.
TEST(RecorderSimPty, DefaultRecorderTakesTheClockAndOnlyTheFoundRateIsSaved) {
  TempHome home;
  SimulatedRecorder rec(std::string(kSmall) + "--output " + home.file("x.hex"));
  ASSERT_FALSE(rec.device().empty());
  std::string err;
  int rc = RunCommand(ProgramPath("tidora") + " term --port " + rec.device() +
                          " --instrument TGR41plus --baud 4800 --binary --upload-baud 57600 "
                          "set-time",
                      nullptr, &err);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_NE(err.find("date and time set to UTC time"), std::string::npos) << err;
  std::string ini = ReadFile(home.file("QuaylinkW.ini"));
  EXPECT_NE(ini.find("baud for 41 plus=9600\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("instrument type=TGR41\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("upload binary=0\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("upload baud=9600\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("57600"), std::string::npos) << ini;
  // The help says which firmware refuses the clock setting.
  std::string help;
  RunCommand(ProgramPath("tidora") + " recorder-sim --help", &help);
  EXPECT_NE(help.find("refused by every TGR41, by TGR41plus 5.2, 6.0, 6.0a and 6.1"),
            std::string::npos)
      << help;
}

}  // namespace
}  // namespace tidora::testing
