#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace tidora {

// A run's stop flag and its suspension, shared by the window that asks and the processing
// loops that check. Every processing loop checks through StopRequested, so a run paused while
// the window asks a question stays paused wherever it is.
class ProcessControl {
 public:
  // The one check of a processing loop: waits while the run is suspended, then tells whether
  // a stop was asked.
  bool StopRequested();
  // The stop flag as it stands, without waiting (for decisions after a loop).
  bool Stopped() const { return flag_.load() != 0; }
  void Stop();
  // A new run: no stop, not suspended.
  void Clear();
  void Suspend() { suspended_.store(true); }
  void Resume();
  bool IsSuspended() const { return suspended_.load(); }
  // True while a loop waits in StopRequested.
  bool Waiting() const { return waiting_.load() > 0; }
  // The flag itself, for code that sets or reads it directly.
  std::atomic<int>& Flag() { return flag_; }

 private:
  std::atomic<int> flag_{0};
  std::atomic<bool> suspended_{false};
  std::atomic<int> waiting_{0};
  std::mutex mutex_;
  std::condition_variable cv_;
};

}  // namespace tidora
