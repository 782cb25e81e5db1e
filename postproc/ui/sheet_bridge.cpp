#include "postproc/ui/module_sheet.h"

#include <QCoreApplication>
#include <QThread>

namespace tidora::ui {

SheetBridge::SheetBridge() = default;

void SheetBridge::Attach(ModuleSheet* sheet) {
  sheet_ = sheet;
  attached_.store(true);
}

void SheetBridge::Detach() {
  attached_.store(false);
  sheet_ = nullptr;
}

template <class Fn>
void SheetBridge::Deliver(Fn&& fn, bool wait) {
  if (!attached_.load()) return;
  auto call = [this, fn = std::forward<Fn>(fn)]() {
    if (sheet_) fn(*sheet_);
  };
  if (QThread::currentThread() == thread()) {
    call();
  } else {
    QMetaObject::invokeMethod(this, call,
                              wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
  }
}

void SheetBridge::ProgressRange(int low, int high) {
  Deliver([=](ModuleSheet& s) { s.OnProgressRange(low, high); }, true);
}
void SheetBridge::ProgressPos(int percent) {
  Deliver([=](ModuleSheet& s) { s.OnProgressPos(percent); }, true);
}
void SheetBridge::ProcessingStarted(int fileCount) {
  Deliver([=](ModuleSheet& s) { s.OnProcessingStarted(fileCount); }, true);
}
void SheetBridge::ProcessingComplete() {
  Deliver([](ModuleSheet& s) { s.OnProcessingComplete(); }, true);
}
void SheetBridge::ProcessingFile(int index, const std::string& name) {
  Deliver([=](ModuleSheet& s) { s.OnProcessingFile(index, name); }, true);
}
void SheetBridge::ProcessingStopped(int index) {
  Deliver([=](ModuleSheet& s) { s.OnProcessingStopped(index); }, true);
}
void SheetBridge::ThreadEnded() {
  // Queued: the thread must not wait for the page that will join it.
  if (!attached_.load()) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (sheet_) sheet_->OnThreadEnded();
      },
      Qt::QueuedConnection);
}
void SheetBridge::ProcessingWaveData() {
  Deliver([](ModuleSheet& s) { s.OnProcessingWaveData(); }, true);
}
void SheetBridge::StatusText(const std::string& text) {
  Deliver([=](ModuleSheet& s) { s.OnStatusText(text); }, true);
}
void SheetBridge::ShowDataSetupPage() {
  Deliver([](ModuleSheet& s) { s.OnShowDataSetupPage(); }, true);
}
void SheetBridge::RequestClose() {
  if (!attached_.load()) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (sheet_) sheet_->OnRequestClose();
      },
      Qt::QueuedConnection);
}
void SheetBridge::ProcessPendingMessages() {
  if (QThread::currentThread() == thread()) QCoreApplication::processEvents();
}

}  // namespace tidora::ui
