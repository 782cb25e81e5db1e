#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "platform/clock.h"

namespace tidora::ui {

// The terminal's event loop on Qt: the GUI thread is the window thread, window timers are
// QTimers, and the reception thread is a thread of its own whose synchronous calls wait for the
// GUI thread.
class QtEventLoop : public QObject, public EventLoop {
  Q_OBJECT
 public:
  explicit QtEventLoop(QObject* parent = nullptr);
  ~QtEventLoop() override;

  Clock& clock() override { return clock_; }
  void Send(std::function<void()> fn) override;
  void Post(std::function<void()> fn) override;
  void SetTimer(int id, int ms) override;
  void KillTimer(int id) override;
  bool TimerActive(int id) override;
  void SetTimerHandler(std::function<void(int id)> handler) override;
  void StartPoller(std::function<void()> round, int pauseMs) override;

  // Ends the reception thread; a synchronous call it is waiting in is abandoned, so the window
  // can be torn down without waiting for it.
  void Shutdown();

 private:
  bool OnGuiThread() const;

  RealClock clock_;
  std::map<int, QTimer*> timers_;  // GUI thread only
  std::mutex activeMutex_;
  std::set<int> active_;
  std::function<void(int)> handler_;
  std::thread poller_;
  std::atomic<bool> stop_{false};
};

}  // namespace tidora::ui
