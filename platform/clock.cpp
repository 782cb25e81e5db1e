#include "platform/clock.h"

#include <time.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tidora {

int64_t RealClock::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::time_t RealClock::CalendarSeconds() {
  return std::time(nullptr);
}

void RealClock::SleepMs(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool RealClock::TimerPeriodRange(int& minMs, int& maxMs) {
  timespec res{};
  if (clock_getres(CLOCK_MONOTONIC, &res) != 0) return false;
  int64_t ns = static_cast<int64_t>(res.tv_sec) * 1000000000 + res.tv_nsec;
  minMs = static_cast<int>(ns / 1000000);  // 0 for any sub-millisecond resolution
  maxMs = 1000000;
  return true;
}

// ---------------------------------------------------------------------------------------------

struct ThreadedEventLoop::Impl {
  struct Task {
    std::function<void()> fn;
    std::shared_ptr<std::atomic<bool>> done;  // set for synchronous calls
  };
  struct Timer {
    std::chrono::steady_clock::time_point due;
    int period;
  };
  std::mutex mutex;
  std::condition_variable cv;
  std::deque<Task> tasks;
  std::map<int, Timer> timers;
  std::function<void(int)> timerHandler;
  std::thread poller;
  std::atomic<bool> stopPoller{false};
  bool quit = false;
  bool shutdown = false;
  std::atomic<std::thread::id> windowThread{};
};

ThreadedEventLoop::ThreadedEventLoop() : impl_(std::make_unique<Impl>()) {}

ThreadedEventLoop::~ThreadedEventLoop() {
  Shutdown();
}

void ThreadedEventLoop::Shutdown() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->shutdown = true;
  }
  impl_->stopPoller = true;
  impl_->cv.notify_all();
  if (impl_->poller.joinable()) impl_->poller.join();
}

void ThreadedEventLoop::Send(std::function<void()> fn) {
  if (std::this_thread::get_id() == impl_->windowThread.load()) {
    fn();
    return;
  }
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::unique_lock<std::mutex> lock(impl_->mutex);
  if (impl_->shutdown) return;
  impl_->tasks.push_back({std::move(fn), done});
  impl_->cv.notify_all();
  impl_->cv.wait(lock, [&] { return done->load() || impl_->shutdown; });
}

void ThreadedEventLoop::Post(std::function<void()> fn) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  if (impl_->shutdown) return;
  impl_->tasks.push_back({std::move(fn), nullptr});
  impl_->cv.notify_all();
}

void ThreadedEventLoop::SetTimer(int id, int ms) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->timers[id] = {std::chrono::steady_clock::now() + std::chrono::milliseconds(ms), ms};
  impl_->cv.notify_all();
}

void ThreadedEventLoop::KillTimer(int id) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->timers.erase(id);
}

bool ThreadedEventLoop::TimerActive(int id) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->timers.count(id) != 0;
}

void ThreadedEventLoop::SetTimerHandler(std::function<void(int)> handler) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->timerHandler = std::move(handler);
}

void ThreadedEventLoop::StartPoller(std::function<void()> round, int pauseMs) {
  if (impl_->poller.joinable()) return;
  impl_->poller = std::thread([this, round = std::move(round), pauseMs] {
    while (!impl_->stopPoller) {
      round();
      clock_.SleepMs(pauseMs);
    }
  });
}

void ThreadedEventLoop::Quit() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->quit = true;
  impl_->cv.notify_all();
}

// Runs the oldest task with the lock released, then tells a sender waiting for it.
void ThreadedEventLoop::RunFrontTask(Impl& impl, std::unique_lock<std::mutex>& lock) {
  Impl::Task task = std::move(impl.tasks.front());
  impl.tasks.pop_front();
  lock.unlock();
  task.fn();
  lock.lock();
  if (task.done) {
    task.done->store(true);
    impl.cv.notify_all();
  }
}

void ThreadedEventLoop::RunPending() {
  impl_->windowThread = std::this_thread::get_id();
  std::unique_lock<std::mutex> lock(impl_->mutex);
  size_t n = impl_->tasks.size();
  while (n-- > 0 && !impl_->tasks.empty()) RunFrontTask(*impl_, lock);
  impl_->windowThread = std::thread::id{};
}

void ThreadedEventLoop::Run(const std::function<bool()>& done) {
  impl_->windowThread = std::this_thread::get_id();
  std::unique_lock<std::mutex> lock(impl_->mutex);
  impl_->quit = false;
  while (!impl_->quit && !impl_->shutdown) {
    if (done) {
      lock.unlock();
      bool finished = done();
      lock.lock();
      if (finished) break;
    }
    auto now = std::chrono::steady_clock::now();
    if (!impl_->tasks.empty()) {
      RunFrontTask(*impl_, lock);
      continue;
    }
    int dueId = -1;
    auto next = now + std::chrono::milliseconds(50);
    for (auto& [id, t] : impl_->timers)
      if (t.due <= now) {
        dueId = id;
        break;
      } else if (t.due < next) {
        next = t.due;
      }
    if (dueId >= 0) {
      Impl::Timer& t = impl_->timers[dueId];
      t.due = now + std::chrono::milliseconds(t.period);
      auto handler = impl_->timerHandler;
      lock.unlock();
      if (handler) handler(dueId);
      lock.lock();
      continue;
    }
    impl_->cv.wait_until(lock, next);
  }
  impl_->windowThread = std::thread::id{};
}

}  // namespace tidora
