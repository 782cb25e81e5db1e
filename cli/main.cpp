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
    return app.exit(e);
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
