#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

namespace tidora::cli {

// A sub-command adds itself to the program: its setup declares the options on its own CLI11
// sub-command and returns the function that runs it (exit status: 0 success, 1 failure,
// 2 bad usage).
using RunFn = std::function<int()>;
using SetupFn = RunFn (*)(CLI::App& app);

bool RegisterCommand(int order, SetupFn setup);

// Splits "KEY=VALUE"; false when there is no "=" or the key is empty.
bool SplitAssignment(const std::string& text, std::string& key, std::string& value);

}  // namespace tidora::cli

// In a cmd_*.cpp file: TIDORA_COMMAND(order, SetupFunction); order sets the place in --help.
#define TIDORA_COMMAND(order, fn) \
  static const bool tidora_registered_##fn = ::tidora::cli::RegisterCommand(order, &fn)
