#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "outside/utility.h"
#include "terminal/session.h"

namespace tidora {

// ---- The upload file ----

bool PartialFile::Create(const std::string& path) {
  Abandon();
  path_ = path;
  struct stat st {};
  bool exists = stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or pipe has no name to keep a half file under: it is written directly.
    writing_ = path;
  } else {
    // Through a symbolic link to its target, so the link stays what it is.
    std::error_code ec;
    std::filesystem::path target = std::filesystem::is_symlink(path, ec)
                                       ? std::filesystem::weakly_canonical(path, ec)
                                       : std::filesystem::path(path);
    if (!ec) path_ = target.string();
    writing_ = PartialName(path_);
  }
  written_ = 0;
  file_ = std::fopen(writing_.c_str(), "wb");
  if (!file_) {
    writing_.clear();
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);
  return true;
}

bool PartialFile::Write(const void* data, size_t n) {
  if (!file_) return false;
  size_t done = std::fwrite(data, 1, n, file_);
  written_ += static_cast<long long>(done);
  return done == n;
}

bool PartialFile::Complete() {
  if (!file_) return false;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  if (ok && writing_ != path_) ok = std::rename(writing_.c_str(), path_.c_str()) == 0;
  if (ok) writing_.clear();
  return ok;  // on failure Abandon still reports the partial file
}

std::string PartialFile::Abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  std::string kept;
  if (!writing_.empty() && writing_ != path_) {
    if (written_ > 0)
      kept = writing_;
    else
      std::remove(writing_.c_str());
  }
  writing_.clear();
  return kept;
}

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

void TerminalSession::AbandonUpload() {
  std::string kept = uploadFile_.Abandon();
  if (kept.empty()) return;
  partialPath_ = kept;
  if (closing_) return;  // no box over a window that is going away
  // Posted: the reception thread may be waiting for the report that abandons the file.
  loop_.Post([this, kept] {
    ui_.Message("The upload did not complete; what was received is kept in " + kept + ".",
                kWindowTitle, MsgIcon::Information, MsgButtons::Ok);
  });
}

// ---- Upload sequence (window thread) ----

void TerminalSession::Upload() {
  attempts_ = 0;
  partialPath_.clear();
  if (!s_.portOpen) {
    Box("No port open");
    uploadOutcome_ = Outcome::kFailed;
    return;
  }
  uploading_ = true;
  uploadOutcome_ = Outcome::kRunning;
  writeFailed_ = false;
  info_.tgr41plus = s_.plus;
  Status("Uploading");
  lineCounter_ = 1;
  errorCount_ = 0;
  StatusSequence(0);
}

void TerminalSession::OnUploadStep(int code) {
  switch (code) {
    case 1:
      CoefficientSequence(0);
      break;
    case 2:
      CreatePartialFile();
      break;
    case 3:
      if (s_.plus && s_.uploadBinary && (info_.tgr41plus || info_.tgr77))
        StartBinaryUpload();
      else
        StartAsciiUpload();
      break;
    case 4:
      loop_.KillTimer(kTimerUploadWatchdog);
      WriteAsciiBuffer();
      loop_.SetTimer(kTimerUploadWatchdog, 60000);
      break;
    case 5:
      if (state_ == kAsciiUpload) EndAsciiUpload(true);
      break;
  }
}

void TerminalSession::CreatePartialFile() {
  FileRequest request;
  request.mode = FileRequest::kSave;
  request.filters = {{"Text Files (*.hex)", {"*.hex"}}, {"All Files (*.*)", {"*.*"}}};
  request.initialName = uploadPath_;
  request.initialDir = lastDirectory_;
  request.defaultExtension = "hex";
  request.mustExist = false;
  std::vector<std::string> chosen = ui_.ChooseFiles(request);
  if (chosen.empty() || chosen.front().empty()) {
    uploading_ = false;
    Menu(MenuForm::kIdle);
    Status("Upload canceled");
    uploadOutcome_ = Outcome::kFailed;
    return;
  }
  uploadPath_ = chosen.front();
  std::string dir;
  if (ExtractDirectory(uploadPath_, dir, 0)) lastDirectory_ = dir;
  if (!uploadFile_.Create(uploadPath_)) {
    Box("Unable to create the file");
    uploading_ = false;
    uploadOutcome_ = Outcome::kFailed;
    return;
  }
  auto write = [&](const std::string& text, const char* failure) {
    if (uploadFile_.Write(text)) return true;
    Box(failure);
    uploading_ = false;
    uploadOutcome_ = Outcome::kFailed;
    AbandonUpload();
    return false;
  };
  if (!write(UploadHeader(FamilyOf(info_), uploadPath_), "Cant write start of header") ||
      !write(statusText_, "Cant write status") || !write(coefficientText_, "Cant write coeffs"))
    return;
  OnUploadStep(3);
}

// ---- ASCII upload ----

void TerminalSession::StartAsciiUpload() {
  ResetReply();
  totalCount_ = 0;
  lineStart_ = 0;
  echoSeen_ = false;
  asciiPrevious_ = 0;
  std::fill(std::begin(lineSamples_), std::end(lineSamples_), 0);
  referenceLength_ = 0;
  SetState(kAsciiUpload);
  Menu(MenuForm::kBusy);
  if (s_.instrumentType.find("plus") != std::string::npos) {
    link_.SendSlow("DD\n\r");
  } else {
    if (info_.firmwareVersion < 2.0f) s_.uploadBaud = 9600;
    if (s_.uploadBaud == 19200)
      link_.SendSlow("DE\n\r");
    else if (s_.uploadBaud == 38400)
      link_.SendSlow("DA\n\r");
    else
      link_.SendSlow("DD\n\r");
    link_.SetupPort(true);
  }
  asciiWatchdog_.Reset();
  loop_.SetTimer(kTimerUploadWatchdog, 60000);
}

// One character of the ASCII data, on the reception thread.
void TerminalSession::AsciiChar(uint8_t c, bool checkFill) {
  asciiWatchdog_.Note(clock_.CalendarSeconds());
  size_t f = fill_.load();
  if (f >= kReplyCapacity - 1) {
    // The buffer is full although the recorder was held: write it out before it overflows.
    loop_.Send([this] { WriteAsciiBuffer(); });
    f = fill_.load();
    if (f >= kReplyCapacity - 1) f = 0;  // the file is gone; the upload already failed
  }
  reply_[f] = static_cast<char>(c);
  fill_.store(f + 1);
  ++totalCount_;
  // The data begins with the recorder's echo of the dump command.
  if (asciiPrevious_ == 'D' && (c == 'D' || c == 'E' || c == 'A')) echoSeen_ = true;
  if (c == '\n') {
    long n = lineCounter_;
    long length = totalCount_ - lineStart_;
    lineStart_ = totalCount_;
    if (n <= 10) {
      lineSamples_[n] = static_cast<int>(std::min<long>(length, 0x7FFFFFFF));
    } else if (n == 11) {
      std::sort(std::begin(lineSamples_), std::end(lineSamples_));
      referenceLength_ = lineSamples_[5];
    } else {
      bool error;
      if (info_.tgr41plus) {
        long digits = length - 2;
        error = !(digits == 10 || digits == 12 || digits == 16 || digits == 18 || digits == 24);
      } else {
        error = length != referenceLength_;
      }
      if (error) ++errorCount_;
      if (n % 100 == 0) {
        int errors = errorCount_;
        loop_.Post([this, n, errors] {
          // The range counts lines, so each report moves the bar by the lines it stands for.
          Progress(progressPos_ + progressStepLines_);
          char text[96];
          std::snprintf(text, sizeof text, "Uploaded %ld scans Errors: %d", n, errors);
          Status(text);
        });
      }
    }
    lineCounter_ = n + 1;
    if (checkFill && fill_.load() > kAsciiFlushAt) {
      link_.Hold();
      held_ = true;
      clock_.SleepMs(1000);
      uint8_t more;
      while (state_ == kAsciiUpload && link_.Receive(more)) {
        CollectChar(more);
        AsciiChar(more, false);
        previous_ = more;
      }
      if (state_ == kAsciiUpload) loop_.Send([this] { OnUploadStep(4); });
    }
  }
  if (asciiPrevious_ == 'S' && c == '>' && state_ == kAsciiUpload) {
    asciiPrevious_ = c;
    if (!echoSeen_) {
      // A late prompt of the wake-up, not the end of the dump: it is not data.
      ResetReply();
      totalCount_ = lineStart_ = 0;
      lineCounter_ = 1;
      std::fill(std::begin(lineSamples_), std::end(lineSamples_), 0);
      return;
    }
    loop_.Send([this] { OnPromptSeen(); });
    return;
  }
  asciiPrevious_ = c;
}

bool TerminalSession::WriteAsciiBuffer() {
  size_t n = std::min(fill_.load(), kReplyCapacity - 1);
  bool ok = false;
  if (uploadFile_.open() && !writeFailed_) {
    ok = uploadFile_.Write(reply_.data(), n);
    if (!ok) Box("File write error");
  }
  if (!ok) writeFailed_ = true;  // what follows cannot reach the file: the upload has failed
  fill_.store(0);
  if (held_.exchange(false)) link_.ReleaseHold();
  return ok;
}

void TerminalSession::KeepAsciiData() {
  if (state_ != kAsciiUpload) return;
  SetState(kStopping);  // the reception thread files no more data from here
  if (fill_.load() > 0) WriteAsciiBuffer();
}

void TerminalSession::EndAsciiUpload(bool silence) {
  loop_.KillTimer(kTimerUploadWatchdog);
  link_.SetupPort(false);
  bool wasUploading = uploading_.exchange(false);
  if (fill_.load() > 0) WriteAsciiBuffer();
  if (held_.exchange(false)) link_.ReleaseHold();
  // Only a dump that ended at the recorder's prompt and reached the disk whole takes the name.
  bool ok = wasUploading && !silence && !writeFailed_ && uploadFile_.Complete();
  if (!ok) AbandonUpload();
  SetState(kIdle);
  Menu(MenuForm::kIdle);
  Progress(0);
  Status(ok ? "Finished Upload" : "Upload Failed");
  uploadOutcome_ = ok && errorCount_ == 0 ? Outcome::kSucceeded : Outcome::kFailed;
  if (errorCount_ > 0) Box("Data receive errors detected, try lower baud rate.");
}

// ---- Binary upload ----

void TerminalSession::StartBinaryUpload() {
  SetState(kBinaryUpload);
  Menu(MenuForm::kBusy);
  link_.SendSlow("\n");
  loop_.SetTimer(kBinaryUpload, 5000);
}

void TerminalSession::EndUpload() {
  SetState(kIdle);
  uploading_ = false;
  Menu(MenuForm::kIdle);
  AbandonUpload();  // nothing left to do after a completed upload
}

void TerminalSession::FinishBinaryUpload(const std::string& data) {
  // Stopped meanwhile: the stop has ended the upload and its file.
  if (state_ != kBinaryUpload || !uploading_) return;
  // Only a data section that reached the file completes the upload.
  if (!uploadFile_.Write(data) || !uploadFile_.Complete()) return OnBinaryReport(0, 0);
  OnBinaryReport(3, 0);
}

void TerminalSession::OnBinaryReport(int code, int value) {
  switch (code) {
    case 0: {
      Progress(0);
      // The box is shown without waiting for the person, as the reception thread waits here.
      loop_.Post(
          [this] { ui_.Message("Upload failed.", "QuaylinkW", MsgIcon::None, MsgButtons::Ok); });
      Status("Upload failed");
      uploadOutcome_ = Outcome::kFailed;
      loop_.KillTimer(kTimerUploadWatchdog);
      EndUpload();
      break;
    }
    case 1:
      loop_.KillTimer(kBinaryUpload);
      Progress(0);
      loop_.SetTimer(kTimerUploadWatchdog, 30000);
      Status("Binary upload started");
      break;
    case 2: {
      loop_.KillTimer(kTimerUploadWatchdog);
      char text[64];
      std::snprintf(text, sizeof text, "Binary upload: %d%% completed", value);
      Status(text);
      loop_.SetTimer(kTimerUploadWatchdog, 20000);
      break;
    }
    case 3:
      loop_.KillTimer(kTimerUploadWatchdog);
      Progress(0);
      Status("Upload completed");
      uploadOutcome_ = Outcome::kSucceeded;
      EndUpload();
      break;
    case 4:
      loop_.KillTimer(kTimerUploadWatchdog);
      loop_.KillTimer(kStopping);
      SetState(kIdle);
      Menu(MenuForm::kIdle);
      Progress(0);
      Status("Upload stopped at user request");
      if (uploadOutcome_ == Outcome::kRunning) uploadOutcome_ = Outcome::kFailed;
      stopOutcome_ = Outcome::kSucceeded;
      EndUpload();
      break;
    case 5:
      Progress(0);
      Status("Checksum error");
      break;
    case 6:
      Status("Stopping upload - please wait");
      break;
  }
}

void TerminalSession::BinaryFailed() {
  loop_.Send([this] { OnBinaryReport(0, 0); });
}

void TerminalSession::RunBinaryUploader() {
  const long uploadRate = s_.uploadBaud;
  int attempts = attempts_;
  if (attempts == 0) {
    divisor_ = 1;
    blockRate_ = uploadRate;
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
  bytesReceived_ = 0;
  stopFlag_ = quiet_ = false;
  loop_.Send([this] { OnBinaryReport(1, 0); });

  // A stop (or the window closing) between the steps ends the transfer as it would in a block.
  auto stopped = [this] {
    if (!BinaryEnding()) return false;
    if (state_ == kStopping) BinaryStopProcedure();
    stopFlag_ = quiet_ = true;
    loop_.Send([this] { OnBinaryReport(4, 0); });
    return true;
  };
  auto ending = [this] { return BinaryEnding(); };

  link_.DrainInput();
  if (!link_.SetLineRate(s_.baud)) return BinaryFailed();
  link_.SendChar('\r');
  clock_.SleepMs(1000);
  link_.DrainInput();
  loop_.Post([this] { ProgressStep(); });
  link_.SendChar('\r');
  if (stopped()) return;
  if (!link_.WaitForChar(waitReply_, 5, '>', ending)) return stopped() ? void() : BinaryFailed();

  link_.SendCommand("bytecount");
  if (!link_.WaitForChar(waitReply_, 5, '>', ending)) return stopped() ? void() : BinaryFailed();
  size_t at = waitReply_.find("bytes = ");
  if (at == std::string::npos) return BinaryFailed();
  char* end = nullptr;
  long total = std::strtol(waitReply_.c_str() + at + 8, &end, 10);
  if (end == waitReply_.c_str() + at + 8 || total < 0) return BinaryFailed();
  totalBytes_ = total;
  if (stopped()) return;

  link_.SendCommand("testbaud=" + std::to_string(uploadRate));
  clock_.SleepMs(250);
  loop_.Post([this] { ProgressStep(); });
  link_.DrainInput();
  if (!link_.SetLineRate(uploadRate)) return BinaryFailed();
  if (!link_.WaitForChar(waitReply_, 5, '\n', ending) ||
      waitReply_.find("transmitting at ") == std::string::npos) {
    link_.SetLineRate(s_.baud);
    return stopped() ? void() : BinaryFailed();
  }
  clock_.SleepMs(1500);
  loop_.Post([this] { ProgressStep(); });
  if (!link_.SetLineRate(s_.baud)) return BinaryFailed();
  if (stopped()) return;

  // The image goes to a temporary file beside the upload file.
  std::string dir;
  if (!ExtractDirectory(uploadPath_, dir, 1)) dir = "./";
  TempImage temp(dir);
  if (!temp.file()) return BinaryFailed();

  // Blocks scale with the upload rate; no block may outgrow the block buffer.
  long blockSize =
      static_cast<long>(static_cast<long long>(uploadRate) * 250000 / 115200) / divisor_;
  blockSize = std::clamp<long>(blockSize, 1, static_cast<long>(kBlockCapacity) - 4);
  std::vector<uint8_t> block;
  int64_t started = clock_.NowMs();
  for (long start = 0; start < totalBytes_;) {
    long length = start + blockSize >= totalBytes_ ? totalBytes_ - start : blockSize;
    switch (ReadBlock(start, length, block)) {
      case BlockResult::kGood:
        if (std::fwrite(block.data(), 1, static_cast<size_t>(length), temp.file()) !=
            static_cast<size_t>(length))
          return BinaryFailed();
        start += length;
        break;
      case BlockResult::kChecksum:
      case BlockResult::kStopped:
        return;
      case BlockResult::kSilence:
        return BinaryFailed();
    }
  }
  binaryBlockMs_ = clock_.NowMs() - started;
  // Stopped after the last block: the data section is not written, nor reported as complete.
  if (stopped()) return;
  binaryDataBytes_ = totalBytes_;

  link_.SetLineRate(s_.baud);
  std::vector<uint8_t> image(static_cast<size_t>(totalBytes_));
  if (std::fflush(temp.file()) != 0 || std::fseek(temp.file(), 0, SEEK_SET) != 0 ||
      std::fread(image.data(), 1, image.size(), temp.file()) != image.size())
    return BinaryFailed();
  // The window thread owns the upload file: it writes the section and completes the upload.
  if (!quiet_ && state_ == kBinaryUpload)
    loop_.Send([this, text = ImageToHexLines(image.data(), image.size(), info_)] {
      FinishBinaryUpload(text);
    });
}

TerminalSession::BlockResult TerminalSession::ReadBlock(long start, long length,
                                                        std::vector<uint8_t>& block) {
  char command[64];
  std::snprintf(command, sizeof command, "db%ld,%ld,%ld", blockRate_, start, start + length - 1);
  link_.SendCommand(command);
  clock_.SleepMs(50);
  link_.SetLineRate(blockRate_);
  clock_.SleepMs(150);
  link_.DrainInput();
  blockWatchdog_.Reset();
  block.assign(static_cast<size_t>(length) + 4, 0);
  long i = 0;
  auto percent = [this] {
    return totalBytes_ > 0
               ? static_cast<int>(static_cast<long long>(bytesReceived_) * 100 / totalBytes_)
               : 100;
  };
  while (state_ == kBinaryUpload && i < length + 4) {
    uint8_t c;
    while (i < length + 4 && link_.Receive(c)) {
      block[static_cast<size_t>(i)] = c;
      blockWatchdog_.Note(clock_.CalendarSeconds());
      if ((i + 1) % progressStepBytes_ == 0) {
        int p = percent();
        loop_.Post([this, p] {
          ProgressStep();
          OnBinaryReport(2, p);
        });
      }
      ++bytesReceived_;
      ++i;
    }
    if (i >= length + 4) break;
    if (!blockWatchdog_.Alive(clock_.CalendarSeconds(), 5)) {
      link_.SetLineRate(s_.baud);
      return BlockResult::kSilence;
    }
    clock_.SleepMs(10);
  }
  if (state_ == kBinaryUpload) {
    if (!blockWatchdog_.Alive(clock_.CalendarSeconds(), 5)) {
      link_.SetLineRate(s_.baud);
      return BlockResult::kSilence;
    }
    uint32_t crc = Crc32(block.data(), static_cast<size_t>(length));
    const uint8_t* tail = block.data() + length;
    uint32_t sent = (uint32_t{tail[0]} << 24) | (uint32_t{tail[1]} << 16) |
                    (uint32_t{tail[2]} << 8) | uint32_t{tail[3]};
    if (crc == sent) {
      int p = percent();
      loop_.Send([this, p] { OnBinaryReport(2, p); });
      link_.SetLineRate(s_.baud);
      clock_.SleepMs(300);
      return BlockResult::kGood;
    }
    quiet_ = true;
    link_.SetLineRate(s_.baud);
    clock_.SleepMs(300);
    link_.SendChar(27);
    clock_.SleepMs(1000);
    int attempts = ++attempts_;
    loop_.Send([this, attempts] { OnBinaryReport(attempts > 6 ? 0 : 5, 0); });
    return BlockResult::kChecksum;
  }
  if (state_ == kStopping) BinaryStopProcedure();
  stopFlag_ = quiet_ = true;
  loop_.Send([this] { OnBinaryReport(4, 0); });
  return BlockResult::kStopped;
}

void TerminalSession::BinaryStopProcedure() {
  if (closing_) {
    // The window is going: escape the recorder out of the block at the rate the line is at,
    // then at the normal rate, without waiting for its answer.
    link_.SendChar(27);
    clock_.SleepMs(300);
    link_.SetLineRate(s_.baud);
    link_.SendChar(27);
    return;
  }
  loop_.Send([this] { OnBinaryReport(6, 0); });
  for (int k = 0; k < 2; ++k) {
    loop_.Post([this] { ProgressStep(); });
    link_.SetLineRate(s_.baud);
    clock_.SleepMs(300);
    link_.SendChar(27);
    clock_.SleepMs(1000);
    link_.DrainInput();
    loop_.Post([this] { ProgressStep(); });
  }
  // The window closing meanwhile does not wait for the recorder's prompt.
  auto closing = [this] { return closing_.load(); };
  for (int k = 0; k < 2 && !closing(); ++k) {
    loop_.Post([this] { ProgressStep(); });
    link_.SendChar('\r');
    clock_.SleepMs(1000);
    link_.DrainInput();
    link_.SendChar('\r');
    clock_.SleepMs(100);
    if (link_.WaitForChar(waitReply_, 5, '>', closing)) return;
  }
}

}  // namespace tidora
