#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace tidora {

// Time as the terminal sees it. Everything that waits, paces or times out goes through a Clock,
// so tests run the same code on virtual time.
class Clock {
 public:
  virtual ~Clock() = default;
  // Monotonic milliseconds.
  virtual int64_t NowMs() = 0;
  // Calendar time in whole seconds (UTC).
  virtual std::time_t CalendarSeconds() = 0;
  virtual void SleepMs(int ms) = 0;
  // Period range of the precise timer service, in milliseconds; false when it is unavailable.
  virtual bool TimerPeriodRange(int& minMs, int& maxMs) = 0;
};

class RealClock : public Clock {
 public:
  int64_t NowMs() override;
  std::time_t CalendarSeconds() override;
  void SleepMs(int ms) override;
  bool TimerPeriodRange(int& minMs, int& maxMs) override;
};

// The window side of the terminal: a thread that runs handlers, window timers, and synchronous
// ("send") and asynchronous ("post") calls from the reception thread. A GUI implements it with
// its own event loop; the command line uses ThreadedEventLoop; tests use VirtualEventLoop.
class EventLoop {
 public:
  virtual ~EventLoop() = default;
  virtual Clock& clock() = 0;
  // Runs fn on the loop's thread and returns when it has run (at once on that thread).
  virtual void Send(std::function<void()> fn) = 0;
  // Queues fn to run on the loop's thread; returns at once.
  virtual void Post(std::function<void()> fn) = 0;
  // Window timers: (re)starts timer `id`; it fires every `ms` until killed.
  virtual void SetTimer(int id, int ms) = 0;
  virtual void KillTimer(int id) = 0;
  virtual bool TimerActive(int id) = 0;
  virtual void SetTimerHandler(std::function<void(int id)> handler) = 0;
  // Runs `round` again and again on the reception thread, `pauseMs` apart, until the loop ends.
  virtual void StartPoller(std::function<void()> round, int pauseMs) = 0;
};

// Real time: the thread that calls Run() is the window thread; the poller is a thread of its own.
class ThreadedEventLoop : public EventLoop {
 public:
  ThreadedEventLoop();
  ~ThreadedEventLoop() override;
  Clock& clock() override { return clock_; }
  void Send(std::function<void()> fn) override;
  void Post(std::function<void()> fn) override;
  void SetTimer(int id, int ms) override;
  void KillTimer(int id) override;
  bool TimerActive(int id) override;
  void SetTimerHandler(std::function<void(int id)> handler) override;
  void StartPoller(std::function<void()> round, int pauseMs) override;

  // Handles events until Quit() or until `done` (checked after every event) holds.
  void Run(const std::function<bool()>& done = {});
  // Runs the calls queued so far, then returns.
  void RunPending();
  void Quit();
  // Ends the poller thread; pending synchronous calls are abandoned.
  void Shutdown();

 private:
  struct Impl;
  static void RunFrontTask(Impl& impl, std::unique_lock<std::mutex>& lock);
  RealClock clock_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tidora
