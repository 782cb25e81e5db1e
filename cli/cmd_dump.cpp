// `tidora dump FILE [--vars ID,...]`: any data file as CSV, read through the data file library.
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/command.h"
#include "datafile/dump.h"

namespace tidora::cli {
namespace {

struct DumpArgs {
  std::string file;
  std::string vars;
};

RunFn SetupDump(CLI::App& app) {
  auto args = std::make_shared<DumpArgs>();
  CLI::App* sub = app.add_subcommand(
      "dump",
      "Print a data file (.tid, .wb, .was, .wts, .wt) as CSV: a header of variable names, then "
      "one row per record (tide), per sample (wave burst, surface elevation), per burst "
      "(statistics, auto spectrum) or per band (auto spectrum with ids 13 or 14)");
  sub->add_option("FILE", args->file, "The data file; its extension tells its kind")->required();
  sub->add_option("--vars", args->vars,
                  "Variable ids to print, in order, separated by commas (for example 4,19,27,7); "
                  "default: the file's default variables");
  return [args]() {
    std::vector<int> ids;
    std::string error;
    if (!args->vars.empty() && !ParseVariableList(args->vars, ids, error)) {
      std::fprintf(stderr, "tidora dump: %s\n", error.c_str());
      return 1;
    }
    if (!DumpDataFileCsv(args->file, ids, std::cout, error)) {
      std::fprintf(stderr, "tidora dump: %s\n", error.c_str());
      return 1;
    }
    return 0;
  };
}

}  // namespace

TIDORA_COMMAND(600, SetupDump);

}  // namespace tidora::cli
