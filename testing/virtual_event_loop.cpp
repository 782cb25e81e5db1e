#include "testing/virtual_event_loop.h"

#include <algorithm>
#include <utility>

namespace tidora {

VirtualEventLoop::VirtualEventLoop(std::time_t calendarStart) : calendarStart_(calendarStart) {}

void VirtualEventLoop::Send(std::function<void()> fn) {
  ++windowDepth_;
  fn();
  --windowDepth_;
}

void VirtualEventLoop::Post(std::function<void()> fn) {
  posted_.push_back(std::move(fn));
}

void VirtualEventLoop::SetTimer(int id, int ms) {
  timers_[id] = {now_ + ms, ms};
}

void VirtualEventLoop::KillTimer(int id) {
  timers_.erase(id);
}

bool VirtualEventLoop::TimerActive(int id) {
  return timers_.count(id) != 0;
}

void VirtualEventLoop::SetTimerHandler(std::function<void(int)> handler) {
  timerHandler_ = std::move(handler);
}

void VirtualEventLoop::StartPoller(std::function<void()> round, int pauseMs) {
  poller_ = std::move(round);
  pollerPause_ = pauseMs;
  pollerDue_ = now_;
}

void VirtualEventLoop::At(int64_t timeMs, std::function<void()> fn) {
  alarms_.emplace(timeMs, std::move(fn));
}

bool VirtualEventLoop::TimerPeriodRange(int& minMs, int& maxMs) {
  if (!timerServiceAvailable) return false;
  minMs = 1;
  maxMs = 1000000;
  return true;
}

bool VirtualEventLoop::RunOneWindowEvent(int64_t limit) {
  // Posted calls first, then alarms, then the earliest timer.
  if (!posted_.empty()) {
    auto fn = std::move(posted_.front());
    posted_.pop_front();
    ++windowDepth_;
    fn();
    --windowDepth_;
    return true;
  }
  int64_t alarmAt = alarms_.empty() ? INT64_MAX : alarms_.begin()->first;
  int timerId = -1;
  int64_t timerAt = INT64_MAX;
  for (auto& [id, t] : timers_)
    if (t.due < timerAt) {
      timerAt = t.due;
      timerId = id;
    }
  if (alarmAt <= limit && alarmAt <= timerAt) {
    auto fn = std::move(alarms_.begin()->second);
    alarms_.erase(alarms_.begin());
    if (alarmAt > now_) now_ = alarmAt;
    ++windowDepth_;
    fn();
    --windowDepth_;
    return true;
  }
  if (timerId >= 0 && timerAt <= limit) {
    if (timerAt > now_) now_ = timerAt;
    timers_[timerId].due = now_ + timers_[timerId].period;
    ++windowDepth_;
    if (timerHandler_) timerHandler_(timerId);
    --windowDepth_;
    return true;
  }
  return false;
}

int64_t VirtualEventLoop::NextEventTime() const {
  int64_t t = INT64_MAX;
  if (!posted_.empty()) t = now_;
  if (!alarms_.empty()) t = std::min(t, alarms_.begin()->first);
  for (auto& [id, timer] : timers_) t = std::min(t, timer.due);
  if (poller_ && pollerDue_ >= 0) t = std::min(t, pollerDue_);
  return t;
}

bool VirtualEventLoop::RunOneEvent(int64_t limit) {
  int64_t next = NextEventTime();
  if (next > limit) return false;
  bool pollerFirst = poller_ && pollerDue_ >= 0 && pollerDue_ <= next && posted_.empty();
  if (!pollerFirst) {
    // A window event at `next` that is not earlier than the poller.
    if (RunOneWindowEvent(next)) return true;
  }
  if (next > now_) now_ = next;
  inPoller_ = true;
  pollerDue_ = -1;
  poller_();
  inPoller_ = false;
  pollerDue_ = now_ + pollerPause_;
  return true;
}

void VirtualEventLoop::SleepMs(int ms) {
  int64_t target = now_ + (ms > 0 ? ms : 0);
  if (inPoller_ && windowDepth_ == 0) {
    // The window thread is free while the reception thread sleeps.
    while (RunOneWindowEvent(target)) {
    }
  } else {
    while (!alarms_.empty() && alarms_.begin()->first <= target) {
      auto fn = std::move(alarms_.begin()->second);
      if (alarms_.begin()->first > now_) now_ = alarms_.begin()->first;
      alarms_.erase(alarms_.begin());
      fn();
    }
  }
  if (target > now_) now_ = target;
}

void VirtualEventLoop::RunFor(int64_t ms) {
  int64_t end = now_ + ms;
  while (RunOneEvent(end)) {
  }
  if (end > now_) now_ = end;
}

bool VirtualEventLoop::RunUntil(const std::function<bool()>& done, int64_t maxMs) {
  int64_t end = now_ + maxMs;
  while (!done()) {
    if (!RunOneEvent(end)) {
      if (end > now_) now_ = end;
      return done();
    }
  }
  return true;
}

}  // namespace tidora
