#pragma once

// Checks that a processing loop honours a suspension: the progress at half way suspends the
// run, which must then wait in its check, report no further progress while suspended, and go
// on to its end when resumed.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/interaction.h"
#include "postproc/process_control.h"
#include "testing/scripted_interaction.h"

namespace tidora::testing {

class SuspendHalfway : public ScriptedInteraction {
 public:
  explicit SuspendHalfway(ProcessControl& control) : control_(control) {}
  void ProgressPos(int pos) override {
    ScriptedInteraction::ProgressPos(pos);
    ++steps;
    if (pos >= 50 && !suspended_.exchange(true)) control_.Suspend();
  }
  std::atomic<int> steps{0};

 private:
  ProcessControl& control_;
  std::atomic<bool> suspended_{false};
};

inline void ExpectRunWaitsWhileSuspended(ProcessControl& control, SuspendHalfway& ui,
                                         const std::function<void()>& run) {
  std::atomic<bool> ended{false};
  std::thread t([&] {
    run();
    ended = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!control.Waiting() && !ended.load() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(control.Waiting()) << "the run did not wait while suspended";
  const int steps = ui.steps.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ui.steps.load(), steps) << "progress while suspended";
  EXPECT_FALSE(ended.load());
  control.Resume();
  t.join();
  EXPECT_FALSE(control.Stopped());
}

}  // namespace tidora::testing
