#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/command.h"

namespace tidora::cli {
namespace {

struct Step {
  int order;
  const char* title;
  DemoStepFn fn;
};

std::vector<Step>& Steps() {
  static std::vector<Step> steps;
  return steps;
}

RunFn SetupDemo(CLI::App& app) {
  auto dir = std::make_shared<std::string>("tidora-demo");
  CLI::App* sub = app.add_subcommand(
      "demo", "Run the whole road on a simulated deployment, writing every file into one folder");
  sub->add_option("--dir", *dir, "Folder for the demo's files (created; default tidora-demo)");
  return [dir]() {
    std::error_code ec;
    std::filesystem::create_directories(*dir, ec);
    if (ec) {
      std::fprintf(stderr, "tidora demo: cannot create %s: %s\n", dir->c_str(),
                   ec.message().c_str());
      return 1;
    }
    DemoContext ctx{std::filesystem::absolute(*dir).lexically_normal().string()};
    while (ctx.dir.size() > 1 && ctx.dir.back() == '/') ctx.dir.pop_back();
    auto steps = Steps();
    std::stable_sort(steps.begin(), steps.end(),
                     [](const Step& a, const Step& b) { return a.order < b.order; });
    for (const Step& s : steps) {
      std::printf("\n== %s\n", s.title);
      std::fflush(stdout);
      if (int rc = s.fn(ctx); rc != 0) {
        std::fprintf(stderr, "tidora demo: step \"%s\" failed\n", s.title);
        return rc;
      }
      std::fflush(stdout);
    }
    std::printf("\nDemo files are in %s\n", ctx.dir.c_str());
    return 0;
  };
}

}  // namespace

bool RegisterDemoStep(int order, const char* title, DemoStepFn step) {
  Steps().push_back({order, title, step});
  return true;
}

TIDORA_COMMAND(900, SetupDemo);

}  // namespace tidora::cli
