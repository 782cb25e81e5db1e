#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "recorder/instrument.h"
#include "terminal/comm_settings.h"
#include "terminal/serial_link.h"

namespace tidora {

// What the binary transfer tells the session as it goes.
enum class BinaryEvent {
  kFailed,
  kStarted,
  kPercent,  // with the share of the image received
  kStopped,  // at the person's request (or the window closing)
  kChecksumError,
  kStopping,  // the stop procedure is under way
};

// The session's side of a binary transfer; called on the window thread.
class BinaryUploadHost {
 public:
  virtual ~BinaryUploadHost() = default;
  virtual void OnBinaryEvent(BinaryEvent event, int percent) = 0;
  // The image as the data section of the upload file.
  virtual void OnBinaryImage(const std::string& dataSection) = 0;
  virtual void OnBinaryProgressStep() = 0;
};

// The binary upload on the reception thread: the rate test, the image read block by block with
// a checksum each (retried with smaller blocks and lower rates after checksum errors), and the
// procedure that escapes the recorder when the transfer is stopped. The transfer runs while
// `state` is kBinaryUpload; kStopping asks for the stop procedure, and `closing` makes it not
// wait for the recorder.
class BinaryUploader {
 public:
  BinaryUploader(EventLoop& loop, SerialLink& link, const CommSettings& settings,
                 const std::atomic<int>& state, const std::atomic<bool>& closing,
                 BinaryUploadHost& host);

  // One transfer of the whole image; `uploadPath` names the upload file, beside which the image
  // waits in a temporary file.
  void Run(const ImageLayout& layout, const std::string& uploadPath);

  // Transfers that ended in a checksum error since the upload began.
  int attempts() const { return attempts_.load(); }
  void ResetAttempts() { attempts_ = 0; }
  // Figures of the last complete transfer: data bytes and the time the blocks took.
  long long dataBytes() const { return dataBytes_; }
  int64_t blockMs() const { return blockMs_; }

  static constexpr size_t kBlockCapacity = 251024;

 private:
  enum class Step { kGo, kFailed, kStopped, kReported };
  void ChooseRates();
  Step Transfer(const std::string& uploadPath, std::vector<uint8_t>& image);
  Step Wake();
  Step CountBytes();
  Step TestRate();
  Step ReadImage(FILE* file);
  Step ReadBlock(long start, long length, std::vector<uint8_t>& block);
  // A wait for the recorder that did not end well: stopped when the transfer is ending.
  Step NotAnswered() const { return Ending() ? Step::kStopped : Step::kFailed; }
  bool Ending() const;
  // The transfer ends at the person's request: the recorder escaped, the session told.
  void Stopped();
  void StopProcedure();
  int Percent() const;
  void Event(BinaryEvent event, int percent = 0);
  void PostProgressStep();

  EventLoop& loop_;
  Clock& clock_;
  SerialLink& link_;
  const CommSettings& s_;
  const std::atomic<int>& state_;
  const std::atomic<bool>& closing_;
  BinaryUploadHost& host_;

  SilenceWatchdog watchdog_;
  std::atomic<int> attempts_{0};
  long blockRate_ = 0;
  long divisor_ = 1;
  long bytesReceived_ = 0;
  long totalBytes_ = 0;
  long progressStepBytes_ = 10;
  bool quiet_ = false;  // the session has been told how the transfer ended
  std::string waitReply_;
  long long dataBytes_ = 0;
  int64_t blockMs_ = 0;
};

}  // namespace tidora
