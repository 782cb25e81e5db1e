#include "postproc/process_control.h"

#include <chrono>

namespace tidora {

bool ProcessControl::StopRequested() {
  if (suspended_.load() && !Stopped()) {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiting_;
    // The flag may also be set directly, without a notification: look again now and then.
    while (suspended_.load() && !Stopped()) cv_.wait_for(lock, std::chrono::milliseconds(50));
    --waiting_;
  }
  return Stopped();
}

void ProcessControl::Stop() {
  flag_.store(1);
  { std::lock_guard<std::mutex> lock(mutex_); }  // a waiter is either waiting or sees the flag
  cv_.notify_all();
}

void ProcessControl::Clear() {
  flag_.store(0);
  suspended_.store(false);
}

void ProcessControl::Resume() {
  if (!suspended_.exchange(false)) return;
  { std::lock_guard<std::mutex> lock(mutex_); }
  cv_.notify_all();
}

}  // namespace tidora
