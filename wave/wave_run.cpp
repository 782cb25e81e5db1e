#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/interaction.h"
#include "postproc/page.h"
#include "wave/wave_analysis.h"

namespace tidora {

// Bursts analysed ahead of the one being written, by a few threads; the one writing thread
// takes them in burst order. At most `window` bursts are held at a time.
class CWaveAnalysis::BurstPool {
 public:
  BurstPool(const CWaveAnalysis& analysis, int count, int threads)
      : analysis_(analysis), count_(count), slots_(static_cast<size_t>(threads) * 4) {
    ready_.assign(slots_.size(), 0);
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
  }
  ~BurstPool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    work_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  BurstPool(const BurstPool&) = delete;
  BurstPool& operator=(const BurstPool&) = delete;

  // The outcome of burst u, once analysed; the one of u - 1 is then no longer needed.
  BurstOutcome& Take(int u) {
    const size_t window = slots_.size();
    std::unique_lock<std::mutex> lock(mutex_);
    if (u > 0) ready_[(u - 1) % window] = 0;
    limit_ = std::min<long long>(count_, static_cast<long long>(u) + window);
    work_.notify_all();
    done_.wait(lock, [&] { return ready_[u % window] != 0; });
    return slots_[u % window];
  }

 private:
  void Work() {
    BurstScratch scratch;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      work_.wait(lock, [&] { return quit_ || next_ < limit_; });
      if (quit_) return;
      const int u = next_++;
      lock.unlock();
      BurstOutcome& slot = slots_[u % slots_.size()];
      analysis_.Produce(u, scratch, slot, true);
      lock.lock();
      ready_[u % slots_.size()] = 1;
      done_.notify_all();
    }
  }

  const CWaveAnalysis& analysis_;
  const int count_;
  std::vector<BurstOutcome> slots_;
  std::vector<unsigned char> ready_;  // under mutex_
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable work_, done_;
  int next_ = 0;         // the next burst to analyse
  long long limit_ = 0;  // bursts below it may be analysed
  bool quit_ = false;
};

int WaveThreadCount() {
  if (const char* env = std::getenv("TIDORA_WAVE_THREADS")) {
    const int n = std::atoi(env);
    if (n > 0) return n;
  }
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void CWaveAnalysis::Produce(int u, BurstScratch& scratch, BurstOutcome& out, bool pooled) const {
  out.text.was.clear();
  out.text.wts.clear();
  out.text.rpt.clear();
  out.text.wss.clear();
  out.text.wt.clear();
  out.why.clear();
  // A pooled burst waits while the run is suspended, and is not started after a stop.
  if (pooled && stop_ && stop_->StopRequested()) {
    out.state = BurstOutcome::kStopped;
    return;
  }
  WaveBurst burst;
  if (!bursts_.GetBurst(u, burst)) {
    out.state = BurstOutcome::kMissing;
    return;
  }
  out.number = burst.number;
  out.state = Analyse(burst, out.result, scratch, &out.text, out.why) ? BurstOutcome::kDone
                                                                      : BurstOutcome::kRefused;
}

int CWaveAnalysis::ProcessBursts() {
  if (!prepared_ && !PrepareRun()) return 0;
  results_.clear();
  if (!BeginOutputs()) return 0;
  return FinishOutputs(!RunBursts(bursts_.BurstCount()));
}

bool CWaveAnalysis::RunBursts(int count) {
  if (page_) {
    page_->ProgressRange(0, 100);
    page_->ProgressPos(0);
    page_->ProcessingWaveData();
  }
  const int threads = std::min(threads_, count);
  std::unique_ptr<BurstPool> pool;
  if (threads > 1) pool = std::make_unique<BurstPool>(*this, count, threads);
  BurstOutcome serial;
  const int step = std::max(1, count / 100);
  int position = 0;
  for (int u = 0; u < count; ++u) {
    if (u % step == 0) {
      if (StopRequested()) break;
      position = static_cast<int>(static_cast<long long>(u) * 100 / count);
    }
    if (page_) page_->ProgressPos(position);
    BurstOutcome* o = &serial;
    if (pool)
      o = &pool->Take(u);
    else
      Produce(u, scratch_, serial, false);
    if (o->state == BurstOutcome::kStopped || o->state == BurstOutcome::kMissing) break;
    if (o->state == BurstOutcome::kRefused) {
      ui_.Message(BurstErrorText(o->number, o->why), kBurstErrorCaption, MsgIcon::Warning,
                  MsgButtons::Ok);
      return false;
    }
    WriteBurst(o->text);
    if (keepResults_) results_.push_back(o->result);
  }
  return true;
}

}  // namespace tidora
