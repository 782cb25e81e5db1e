#include "terminal/ui/qt_event_loop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <future>

namespace tidora::ui {

QtEventLoop::QtEventLoop(QObject* parent) : QObject(parent) {}

QtEventLoop::~QtEventLoop() {
  Shutdown();
}

bool QtEventLoop::OnGuiThread() const {
  return QThread::currentThread() == thread();
}

void QtEventLoop::Shutdown() {
  stop_ = true;
  if (poller_.joinable()) poller_.join();
  // Nothing of the session runs after its end: no timer fires, no queued call runs.
  if (OnGuiThread())
    for (auto& [id, timer] : timers_) timer->stop();
  handler_ = nullptr;
  std::lock_guard<std::mutex> lock(activeMutex_);
  active_.clear();
}

void QtEventLoop::Send(std::function<void()> fn) {
  if (OnGuiThread()) {
    fn();
    return;
  }
  if (stop_) return;
  // The promise lives as long as either side holds it: an abandoned call may still run later.
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  QMetaObject::invokeMethod(
      this,
      [this, fn = std::move(fn), done] {
        if (!stop_) fn();
        done->set_value();
      },
      Qt::QueuedConnection);
  // Waits in slices so a shutdown of the window thread never leaves this thread hanging.
  while (finished.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    if (stop_) return;
  }
}

void QtEventLoop::Post(std::function<void()> fn) {
  QMetaObject::invokeMethod(
      this,
      [this, fn = std::move(fn)] {
        if (!stop_) fn();
      },
      Qt::QueuedConnection);
}

void QtEventLoop::SetTimer(int id, int ms) {
  if (!OnGuiThread()) return Send([this, id, ms] { SetTimer(id, ms); });
  QTimer*& timer = timers_[id];
  if (!timer) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, id] {
      if (handler_) handler_(id);
    });
  }
  timer->start(ms);
  std::lock_guard<std::mutex> lock(activeMutex_);
  active_.insert(id);
}

void QtEventLoop::KillTimer(int id) {
  if (!OnGuiThread()) return Send([this, id] { KillTimer(id); });
  auto it = timers_.find(id);
  if (it != timers_.end()) it->second->stop();
  std::lock_guard<std::mutex> lock(activeMutex_);
  active_.erase(id);
}

bool QtEventLoop::TimerActive(int id) {
  std::lock_guard<std::mutex> lock(activeMutex_);
  return active_.count(id) != 0;
}

void QtEventLoop::SetTimerHandler(std::function<void(int)> handler) {
  handler_ = std::move(handler);
}

void QtEventLoop::StartPoller(std::function<void()> round, int pauseMs) {
  if (poller_.joinable()) return;
  stop_ = false;
  poller_ = std::thread([this, round = std::move(round), pauseMs] {
    while (!stop_) {
      round();
      std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
  });
}

}  // namespace tidora::ui
