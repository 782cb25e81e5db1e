#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "sim/recorder_engine.h"

namespace tidora::sim {

// A simulated recorder served on a pseudo-terminal in real time: the terminal opens
// devicePath() like any serial device. The recorder hears the line at the rate the terminal set
// on it; what it sends at another rate arrives as noise.
class PtyRecorder {
 public:
  explicit PtyRecorder(RecorderSetup setup);
  ~PtyRecorder();
  PtyRecorder(const PtyRecorder&) = delete;
  PtyRecorder& operator=(const PtyRecorder&) = delete;

  // Opens the pseudo-terminal and starts serving it; false with a reason on failure.
  bool Start(std::string* error = nullptr);
  void Stop();
  const std::string& devicePath() const { return path_; }

  // Read-outs of the recorder, safe while it runs.
  std::vector<std::string> commands();
  std::string clockSetTo();
  int blocksSent();
  bool sending();

 private:
  void Run();

  RecorderEngine engine_;
  std::mutex mutex_;
  RealClock clock_;
  int master_ = -1, slave_ = -1;
  std::string path_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

}  // namespace tidora::sim
