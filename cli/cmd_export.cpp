// `tidora export FILE... [--output OUT.nc] [--attr KEY=VALUE]...`: data files as CF netCDF.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "export/cf_export.h"
#include "platform/interaction.h"

namespace tidora::cli {
namespace {

struct ExportArgs {
  std::vector<std::string> files;
  std::string output;
  std::vector<std::string> attributes;
  double latitude = 0, longitude = 0;
};

// The command as typed, for the file's history.
std::string CommandText(const ExportArgs& a, const CLI::App& sub) {
  std::string text = "tidora export";
  for (const std::string& f : a.files) text += " " + f;
  if (!a.output.empty()) text += " --output " + a.output;
  for (const std::string& kv : a.attributes) text += " --attr \"" + kv + "\"";
  if (sub.count("--latitude")) text += " --latitude " + std::to_string(a.latitude);
  if (sub.count("--longitude")) text += " --longitude " + std::to_string(a.longitude);
  return text;
}

RunFn SetupExport(CLI::App& app) {
  auto args = std::make_shared<ExportArgs>();
  CLI::App* sub = app.add_subcommand(
      "export",
      "Write data files as CF-1.8 netCDF-4: a tide file (.tid) as a time series, a wave burst "
      "file (.wb) as a burst x sample matrix, or a wave run's statistics (.wts) and auto "
      "spectra (.was) as per-burst series with a burst x frequency spectrum");
  sub->add_option("FILE", args->files, "One .tid or .wb file, or the .wts and .was of one run")
      ->required();
  sub->add_option("--output", args->output,
                  "The netCDF file to write (default: the first file's name with .nc added, "
                  "the .wts's for a wave run); an existing file is replaced once the new one "
                  "is complete");
  sub->add_option("--attr", args->attributes,
                  "A global attribute KEY=VALUE (institution, source, title, ...)")
      ->type_name("KEY=VALUE");
  sub->add_option("--latitude", args->latitude, "The mooring's latitude, degrees north")
      ->check(CLI::Range(-90.0, 90.0));
  sub->add_option("--longitude", args->longitude, "The mooring's longitude, degrees east")
      ->check(CLI::Range(-180.0, 360.0));
  return [args, sub]() {
    ExportOptions options;
    for (const std::string& kv : args->attributes) {
      std::string key, value;
      if (!SplitAssignment(kv, key, value)) {
        std::fprintf(stderr, "tidora export: --attr expects KEY=VALUE, not \"%s\"\n", kv.c_str());
        return 2;
      }
      options.attributes.emplace_back(key, value);
    }
    if (sub->count("--latitude")) options.latitude = args->latitude;
    if (sub->count("--longitude")) options.longitude = args->longitude;
    options.command = CommandText(*args, *sub);
    options.version = TIDORA_VERSION;
    CliInteraction ui(false, true);
    options.ui = &ui;
    const std::string output = args->output.empty() ? DefaultExportPath(args->files) : args->output;
    std::string error;
    if (!ExportToNetcdf(args->files, output, options, error)) {
      std::fprintf(stderr, "tidora export: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s\n", output.c_str());
    return 0;
  };
}

}  // namespace

TIDORA_COMMAND(650, SetupExport);

}  // namespace tidora::cli
