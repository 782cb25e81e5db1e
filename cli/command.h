#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

namespace tidora::cli {

// A sub-command adds itself to the program: its setup declares the options on its own CLI11
// sub-command and returns the function that runs it (exit status: 0 success, 1 failure,
// 2 bad usage: every usage error, CLI11's own included, exits 2 with a hint to --help).
using RunFn = std::function<int()>;
using SetupFn = RunFn (*)(CLI::App& app);

bool RegisterCommand(int order, SetupFn setup);

// `tidora demo` runs every registered demo step in order, in one folder. A step prints what it
// shows to stdout and returns 0, or returns non-zero to stop the demo.
struct DemoContext {
  std::string dir;  // the demo's folder, created before the first step; no trailing "/"
};
using DemoStepFn = int (*)(DemoContext& ctx);
bool RegisterDemoStep(int order, const char* title, DemoStepFn step);

// A usage error of `tidora COMMAND`: the message and a hint to --help on stderr; returns 2.
int UsageError(const std::string& command, const std::string& message);

// Option checks for numbers that make no physical sense otherwise: a value that is not a
// number, or is out of range, is a usage error naming the range.
CLI::Validator GreaterThanZero();
CLI::Validator NotNegative();

// Splits "KEY=VALUE"; false when there is no "=" or the key is empty.
bool SplitAssignment(const std::string& text, std::string& key, std::string& value);

}  // namespace tidora::cli

// In a cmd_*.cpp file: TIDORA_COMMAND(order, SetupFunction); order sets the place in --help.
#define TIDORA_COMMAND(order, fn) \
  static const bool tidora_registered_##fn = ::tidora::cli::RegisterCommand(order, &fn)

// In a demo_*.cpp file: TIDORA_DEMO_STEP(order, "Title", StepFunction). Steps run by order;
// the road's steps use 100 (plan) 200 (endurance) 300 (simulate) 400 (upload) 500 (convert)
// 600 (dump) 700 (waves) 800 (merge) 900 (report).
#define TIDORA_DEMO_STEP(order, title, fn) \
  static const bool tidora_demo_##fn = ::tidora::cli::RegisterDemoStep(order, title, &fn)
