#include "terminal/binary_upload.h"

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "outside/utility.h"
#include "terminal/session_state.h"

namespace tidora {
namespace {

// The binary image on its way: a temporary file beside the upload file, removed however the
// transfer ends.
class TempImage {
 public:
  explicit TempImage(const std::string& dir) {
    std::string pattern = dir + "QuaylinkW-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) return;
    path_ = name.data();
    file_ = fdopen(fd, "w+b");
    if (!file_) close(fd);
  }
  ~TempImage() {
    if (file_) std::fclose(file_);
    if (!path_.empty()) std::remove(path_.c_str());
  }
  TempImage(const TempImage&) = delete;
  TempImage& operator=(const TempImage&) = delete;
  FILE* file() const { return file_; }

 private:
  std::string path_;
  FILE* file_ = nullptr;
};

}  // namespace

BinaryUploader::BinaryUploader(EventLoop& loop, SerialLink& link, const CommSettings& settings,
                               const std::atomic<int>& state, const std::atomic<bool>& closing,
                               BinaryUploadHost& host)
    : loop_(loop),
      clock_(loop.clock()),
      link_(link),
      s_(settings),
      state_(state),
      closing_(closing),
      host_(host) {}

bool BinaryUploader::Ending() const {
  return state_ != kBinaryUpload;
}

void BinaryUploader::Event(BinaryEvent event, int percent) {
  loop_.Send([this, event, percent] { host_.OnBinaryEvent(event, percent); });
}

void BinaryUploader::PostProgressStep() {
  loop_.Post([this] { host_.OnBinaryProgressStep(); });
}

int BinaryUploader::Percent() const {
  return totalBytes_ > 0
             ? static_cast<int>(static_cast<long long>(bytesReceived_) * 100 / totalBytes_)
             : 100;
}

void BinaryUploader::ChooseRates() {
  int attempts = attempts_;
  if (attempts == 0) {
    divisor_ = 1;
    blockRate_ = s_.uploadBaud;
  } else if (attempts <= 3) {
    divisor_ *= 2;
  } else {
    blockRate_ /= 2;
    if (blockRate_ < 1200) {
      blockRate_ = 1200;
      divisor_ *= 2;
    }
    if (blockRate_ == 14400) blockRate_ = 19200;
  }
  progressStepBytes_ = static_cast<long>(blockRate_ / 115.2);
  if (progressStepBytes_ == 0) progressStepBytes_ = 10;
}

void BinaryUploader::Run(const ImageLayout& layout, const std::string& uploadPath) {
  ChooseRates();
  bytesReceived_ = 0;
  quiet_ = false;
  Event(BinaryEvent::kStarted);
  std::vector<uint8_t> image;
  switch (Transfer(uploadPath, image)) {
    case Step::kGo:
      // The window thread owns the upload file: it writes the section and completes the upload.
      if (!quiet_ && state_ == kBinaryUpload)
        loop_.Send([this, text = ImageToHexLines(image.data(), image.size(), layout)] {
          host_.OnBinaryImage(text);
        });
      break;
    case Step::kFailed:
      Event(BinaryEvent::kFailed);
      break;
    case Step::kStopped:
      Stopped();
      break;
    case Step::kReported:
      break;
  }
}

BinaryUploader::Step BinaryUploader::Transfer(const std::string& uploadPath,
                                              std::vector<uint8_t>& image) {
  Step step = Wake();
  if (step == Step::kGo) step = CountBytes();
  if (step == Step::kGo) step = TestRate();
  if (step != Step::kGo) return step;

  // The image goes to a temporary file beside the upload file.
  std::string dir;
  if (!ExtractDirectory(uploadPath, dir, 1)) dir = "./";
  TempImage temp(dir);
  if (!temp.file()) return Step::kFailed;
  int64_t started = clock_.NowMs();
  if ((step = ReadImage(temp.file())) != Step::kGo) return step;
  blockMs_ = clock_.NowMs() - started;
  // Stopped after the last block: the data section is not written, nor reported as complete.
  if (Ending()) return Step::kStopped;
  dataBytes_ = totalBytes_;

  link_.SetLineRate(s_.baud);
  image.resize(static_cast<size_t>(totalBytes_));
  if (std::fflush(temp.file()) != 0 || std::fseek(temp.file(), 0, SEEK_SET) != 0 ||
      std::fread(image.data(), 1, image.size(), temp.file()) != image.size())
    return Step::kFailed;
  return Step::kGo;
}

BinaryUploader::Step BinaryUploader::Wake() {
  link_.DrainInput();
  if (!link_.SetLineRate(s_.baud)) return Step::kFailed;
  link_.SendChar('\r');
  clock_.SleepMs(1000);
  link_.DrainInput();
  PostProgressStep();
  link_.SendChar('\r');
  if (Ending()) return Step::kStopped;
  if (!link_.WaitForChar(waitReply_, 5, '>', [this] { return Ending(); })) return NotAnswered();
  return Step::kGo;
}

BinaryUploader::Step BinaryUploader::CountBytes() {
  link_.SendCommand("bytecount");
  if (!link_.WaitForChar(waitReply_, 5, '>', [this] { return Ending(); })) return NotAnswered();
  size_t at = waitReply_.find("bytes = ");
  if (at == std::string::npos) return Step::kFailed;
  char* end = nullptr;
  long total = std::strtol(waitReply_.c_str() + at + 8, &end, 10);
  if (end == waitReply_.c_str() + at + 8 || total < 0) return Step::kFailed;
  totalBytes_ = total;
  return Ending() ? Step::kStopped : Step::kGo;
}

BinaryUploader::Step BinaryUploader::TestRate() {
  const long uploadRate = s_.uploadBaud;
  link_.SendCommand("testbaud=" + std::to_string(uploadRate));
  clock_.SleepMs(250);
  PostProgressStep();
  link_.DrainInput();
  if (!link_.SetLineRate(uploadRate)) return Step::kFailed;
  if (!link_.WaitForChar(waitReply_, 5, '\n', [this] { return Ending(); }) ||
      waitReply_.find("transmitting at ") == std::string::npos) {
    link_.SetLineRate(s_.baud);
    return NotAnswered();
  }
  clock_.SleepMs(1500);
  PostProgressStep();
  if (!link_.SetLineRate(s_.baud)) return Step::kFailed;
  return Ending() ? Step::kStopped : Step::kGo;
}

BinaryUploader::Step BinaryUploader::ReadImage(FILE* file) {
  // Blocks scale with the upload rate; no block may outgrow the block buffer.
  long blockSize =
      static_cast<long>(static_cast<long long>(s_.uploadBaud) * 250000 / 115200) / divisor_;
  blockSize = std::clamp<long>(blockSize, 1, static_cast<long>(kBlockCapacity) - 4);
  std::vector<uint8_t> block;
  for (long start = 0; start < totalBytes_;) {
    long length = start + blockSize >= totalBytes_ ? totalBytes_ - start : blockSize;
    Step step = ReadBlock(start, length, block);
    if (step != Step::kGo) return step;
    if (std::fwrite(block.data(), 1, static_cast<size_t>(length), file) !=
        static_cast<size_t>(length))
      return Step::kFailed;
    start += length;
  }
  return Step::kGo;
}

BinaryUploader::Step BinaryUploader::ReadBlock(long start, long length,
                                               std::vector<uint8_t>& block) {
  char command[64];
  std::snprintf(command, sizeof command, "db%ld,%ld,%ld", blockRate_, start, start + length - 1);
  link_.SendCommand(command);
  clock_.SleepMs(50);
  link_.SetLineRate(blockRate_);
  clock_.SleepMs(150);
  link_.DrainInput();
  watchdog_.Reset();
  block.assign(static_cast<size_t>(length) + 4, 0);
  long i = 0;
  while (state_ == kBinaryUpload && i < length + 4) {
    uint8_t c;
    while (i < length + 4 && link_.Receive(c)) {
      block[static_cast<size_t>(i)] = c;
      watchdog_.Note(clock_.CalendarSeconds());
      if ((i + 1) % progressStepBytes_ == 0) {
        int p = Percent();
        loop_.Post([this, p] {
          host_.OnBinaryProgressStep();
          host_.OnBinaryEvent(BinaryEvent::kPercent, p);
        });
      }
      ++bytesReceived_;
      ++i;
    }
    if (i >= length + 4) break;
    if (!watchdog_.Alive(clock_.CalendarSeconds(), 5)) {
      link_.SetLineRate(s_.baud);
      return Step::kFailed;
    }
    clock_.SleepMs(10);
  }
  if (state_ != kBinaryUpload) return Step::kStopped;
  if (!watchdog_.Alive(clock_.CalendarSeconds(), 5)) {
    link_.SetLineRate(s_.baud);
    return Step::kFailed;
  }
  uint32_t crc = Crc32(block.data(), static_cast<size_t>(length));
  const uint8_t* tail = block.data() + length;
  uint32_t sent = (uint32_t{tail[0]} << 24) | (uint32_t{tail[1]} << 16) | (uint32_t{tail[2]} << 8) |
                  uint32_t{tail[3]};
  if (crc == sent) {
    Event(BinaryEvent::kPercent, Percent());
    link_.SetLineRate(s_.baud);
    clock_.SleepMs(300);
    return Step::kGo;
  }
  quiet_ = true;
  link_.SetLineRate(s_.baud);
  clock_.SleepMs(300);
  link_.SendChar(27);
  clock_.SleepMs(1000);
  int attempts = ++attempts_;
  Event(attempts > 6 ? BinaryEvent::kFailed : BinaryEvent::kChecksumError);
  return Step::kReported;
}

void BinaryUploader::Stopped() {
  if (state_ == kStopping) StopProcedure();
  quiet_ = true;
  Event(BinaryEvent::kStopped);
}

void BinaryUploader::StopProcedure() {
  if (closing_) {
    // The window is going: escape the recorder out of the block at the rate the line is at,
    // then at the normal rate, without waiting for its answer.
    link_.SendChar(27);
    clock_.SleepMs(300);
    link_.SetLineRate(s_.baud);
    link_.SendChar(27);
    return;
  }
  Event(BinaryEvent::kStopping);
  for (int k = 0; k < 2; ++k) {
    PostProgressStep();
    link_.SetLineRate(s_.baud);
    clock_.SleepMs(300);
    link_.SendChar(27);
    clock_.SleepMs(1000);
    link_.DrainInput();
    PostProgressStep();
  }
  // The window closing meanwhile does not wait for the recorder's prompt.
  auto closing = [this] { return closing_.load(); };
  for (int k = 0; k < 2 && !closing(); ++k) {
    PostProgressStep();
    link_.SendChar('\r');
    clock_.SleepMs(1000);
    link_.DrainInput();
    link_.SendChar('\r');
    clock_.SleepMs(100);
    if (link_.WaitForChar(waitReply_, 5, '>', closing)) return;
  }
}

}  // namespace tidora
