#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <map>

#include "platform/clock.h"

namespace tidora {

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
