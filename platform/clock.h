#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>

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
  RealClock clock_;
  std::unique_ptr<Impl> impl_;
};

// Virtual time on one thread. Work of the reception thread (the poller) and of the window thread
// (timers, posted calls) interleaves as it would with real threads: while the poller sleeps, due
// window events run; while a window handler sleeps, nothing else runs (the reception thread would
// be waiting for it in a synchronous send).
class VirtualEventLoop : public EventLoop, private Clock {
 public:
  explicit VirtualEventLoop(std::time_t calendarStart = 1767225600);  // 2026-01-01
  Clock& clock() override { return *this; }
  void Send(std::function<void()> fn) override;
  void Post(std::function<void()> fn) override;
  void SetTimer(int id, int ms) override;
  void KillTimer(int id) override;
  bool TimerActive(int id) override;
  void SetTimerHandler(std::function<void(int id)> handler) override;
  void StartPoller(std::function<void()> round, int pauseMs) override;

  // Runs events until `ms` of virtual time have passed.
  void RunFor(int64_t ms);
  // Runs events until `done` holds (checked between events) or `maxMs` have passed; true when
  // `done` held.
  bool RunUntil(const std::function<bool()>& done, int64_t maxMs);

  int64_t NowMs() override { return now_; }
  std::time_t CalendarSeconds() override {
    return calendarStart_ + static_cast<std::time_t>(now_ / 1000);
  }
  void SleepMs(int ms) override;
  bool TimerPeriodRange(int& minMs, int& maxMs) override;
  // Fault injection: the precise timer service is missing.
  bool timerServiceAvailable = true;
  // Called at a virtual time, from whatever sleeps across it (for tests that act "meanwhile").
  void At(int64_t timeMs, std::function<void()> fn);

 private:
  struct Timer {
    int64_t due;
    int period;
  };
  // Runs the earliest window event due by `limit`; false when there is none.
  bool RunOneWindowEvent(int64_t limit);
  bool RunOneEvent(int64_t limit);
  int64_t NextEventTime() const;

  std::time_t calendarStart_;
  int64_t now_ = 0;
  int64_t order_ = 0;
  std::map<int, Timer> timers_;
  std::deque<std::function<void()>> posted_;
  std::multimap<int64_t, std::function<void()>> alarms_;
  std::function<void(int)> timerHandler_;
  std::function<void()> poller_;
  int pollerPause_ = 20;
  int64_t pollerDue_ = -1;
  bool inPoller_ = false;
  int windowDepth_ = 0;
};

}  // namespace tidora
