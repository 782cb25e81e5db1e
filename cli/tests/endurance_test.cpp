#include <gtest/gtest.h>

#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ProgramPath;
using testing::RunCommand;

int Endurance(const std::string& args, std::string* out, std::string* err) {
  return RunCommand(ProgramPath("tidora") + " endurance " + args, out, err);
}

TEST(EnduranceCommand, ResultLinesInPageOrder) {
  std::string out, err;
  ASSERT_EQ(Endurance("--type 1 --interval 15 --waves-every 4 --samples 1024", &out, &err), 0)
      << err;
  EXPECT_EQ(out,
            "Wave burst duration (seconds) = 256\n"
            "Nominal alkaline battery endurance (days) = 54.1\n"
            "8 MB Memory endurance (days) = 112.6\n");
  ASSERT_EQ(Endurance("--type 2 --interval 15 --duration 60 --waves-every 4 --samples 1024 "
                      "--sample-duration 0.25",
                      &out, &err),
            0)
      << err;
  EXPECT_EQ(out,
            "Wave burst duration (seconds) = 256\n"
            "Wave statistics duration (seconds) = 0\n"
            "Nominal alkaline battery endurance (days) = 692.1\n"
            "Nominal lithium battery endurance (days) = 1976.0\n"
            "32 MB Memory endurance (days) = 444.7\n");
  ASSERT_EQ(Endurance("--type 3 --interval 15 --duration 60 --waves-every 4 --samples 1024 "
                      "--rt-stats --rt-samples 1024",
                      &out, &err),
            0)
      << err;
  EXPECT_NE(out.find("Wave statistics duration (seconds) = 61\n"), std::string::npos) << out;
}

TEST(EnduranceCommand, BprWithReferenceNote) {
  std::string out, err;
  ASSERT_EQ(Endurance("--type 4 --interval 15 --duration 10 --reference-every 96", &out, &err), 0)
      << err;
  EXPECT_EQ(out.substr(out.rfind("32 MB")),
            "32 MB Memory endurance (days) = 20348.4\n"
            "Reference frequency measurement is disabled \n");
  ASSERT_EQ(Endurance("--type 4 --interval 60 --duration 1 --reference-every 720 "
                      "--not-continuous --warmup 5",
                      &out, &err),
            0)
      << err;
  EXPECT_NE(out.find("Warning: deployments longer than 2 years"), std::string::npos) << out;
}

TEST(EnduranceCommand, FailingRulesGoToStderrWithStatus1) {
  std::string out, err;
  EXPECT_EQ(
      Endurance("--type 2 --interval 15 --duration 60 --waves-every 4 --samples 1022", &out, &err),
      1);
  EXPECT_TRUE(out.empty()) << out;
  EXPECT_NE(err.find("Wave Samples per Burst must be a multiple of 4 greater than 0."),
            std::string::npos)
      << err;
  // Type 4 lists every failing rule, in order.
  EXPECT_EQ(Endurance("--type 4 --interval 61 --duration 0 --reference-every 0", &out, &err), 1);
  EXPECT_TRUE(out.empty()) << out;
  size_t a = err.find("Tide interval must be < 60 minutes");
  size_t b = err.find("Tide duration must be >= 1 minute");
  size_t c = err.find("reference frequency measurement interval must be >= one day");
  ASSERT_NE(a, std::string::npos) << err;
  ASSERT_NE(b, std::string::npos) << err;
  ASSERT_NE(c, std::string::npos) << err;
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  // A calculation that ends on its memory guard says so.
  EXPECT_EQ(Endurance("--type 1 --interval 15 --samples 1024", &out, &err), 1);
  EXPECT_NE(err.find("Error calculating memory endurance."), std::string::npos) << err;
}

TEST(EnduranceCommand, OptionsThePageDoesNotHaveAreRefused) {
  struct Case {
    const char* args;
    const char* message;
  } cases[] = {
      {"--type 4 --waves-every 4", "--waves-every does not apply to type 4 (TGR 77 BPR)"},
      {"--type 1 --duration 60", "--duration does not apply to type 1 (TGR 41)"},
      {"--type 3 --no-firmware6", "--no-firmware6 does not apply to type 3 (TGR 41plus-Strain)"},
      {"--type 2 --reference-every 96", "--reference-every does not apply to type 2"},
      {"--type 4 --warmup 5", "--warmup needs --not-continuous"},
      {"--type 2 --rt-samples 512", "--rt-samples needs --rt-stats"},
      {"--type 2 --no-firmware6 --rt-stats", "--rt-stats needs firmware version 6.0"},
      {"--type 1 --sample-duration 0.3", "--sample-duration must be one of 1.00, 0.75, 0.50, 0.25"},
      {"--type 2 --rt-stats --rt-samples 500", "--rt-samples must be one of 16384, 8192"},
  };
  for (const Case& c : cases) {
    std::string out, err;
    EXPECT_EQ(Endurance(c.args, &out, &err), 2) << c.args;
    EXPECT_TRUE(out.empty()) << c.args;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.args << ": " << err;
  }
  std::string out, err;
  EXPECT_NE(Endurance("--type 5", &out, &err), 0);
  EXPECT_NE(Endurance("--interval 15", &out, &err), 0);
}

TEST(EnduranceCommand, ListChoicesAcceptAnyWritingOfTheNumber) {
  std::string out, err;
  ASSERT_EQ(Endurance("--type 1 --interval 15 --waves-every 4 --samples 1024 "
                      "--sample-duration 1",
                      &out, &err),
            0)
      << err;
  EXPECT_EQ(out.substr(0, out.find('\n')), "Wave burst duration (seconds) = 1024");
}

}  // namespace
}  // namespace tidora
