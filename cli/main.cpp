#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <vector>

#include "cli/command.h"

namespace tidora::cli {
namespace {

struct Entry {
  int order;
  SetupFn setup;
};

std::vector<Entry>& Registry() {
  static std::vector<Entry> entries;
  return entries;
}

}  // namespace

bool RegisterCommand(int order, SetupFn setup) {
  Registry().push_back({order, setup});
  return true;
}

int UsageError(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "tidora %s: %s\nRun 'tidora %s --help' for more information.\n",
               command.c_str(), message.c_str(), command.c_str());
  return 2;
}

namespace {
CLI::Validator NumberCheck(bool zeroAllowed) {
  return CLI::Validator(
      [zeroAllowed](std::string& text) -> std::string {
        double v = 0;
        if (!CLI::detail::lexical_cast(text, v)) return "\"" + text + "\" is not a number";
        if (zeroAllowed ? !(v >= 0) : !(v > 0))
          return text +
                 (zeroAllowed ? " is negative; it must be 0 or more" : " must be greater than 0");
        return {};
      },
      zeroAllowed ? "NUMBER >= 0" : "NUMBER > 0");
}
}  // namespace

CLI::Validator GreaterThanZero() {
  return NumberCheck(false);
}

CLI::Validator NotNegative() {
  return NumberCheck(true);
}

bool SplitAssignment(const std::string& text, std::string& key, std::string& value) {
  size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  key = text.substr(0, eq);
  value = text.substr(eq + 1);
  return true;
}

}  // namespace tidora::cli

int main(int argc, char** argv) {
  using namespace tidora::cli;
  CLI::App app{
      "Tidora for Waves: plan a deployment, talk to the recorder, convert its upload, and "
      "process, merge and tabulate its tide and wave data.",
      "tidora"};
  app.set_version_flag("--version", std::string("tidora ") + TIDORA_VERSION);
  app.require_subcommand(1);
  app.fallthrough(false);

  auto entries = Registry();
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.order < b.order; });
  std::map<CLI::App*, RunFn> runs;
  for (const Entry& e : entries) {
    size_t before = app.get_subcommands([](CLI::App*) { return true; }).size();
    RunFn run = e.setup(app);
    auto subs = app.get_subcommands([](CLI::App*) { return true; });
    if (subs.size() > before) runs[subs.back()] = run;
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // CLI11 prints the message and the hint to --help; its own exit codes (104, 106, 109,
    // ...) become the one status of a usage error.
    return app.exit(e) == 0 ? 0 : 2;
  }
  try {
    for (auto& [sub, run] : runs)
      if (sub->parsed()) return run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tidora: %s\n", e.what());
    return 1;
  }
  return 2;
}
