#pragma once

namespace tidora {

// Session states; a waiting state's window timer has the state's number.
enum SessionState : int {
  kIdle = 100,
  kStatusPrompt = 101,
  kStatusReply = 102,
  kCoefficientsPrompt = 103,
  kCoefficientsReply = 104,
  kAsciiUpload = 105,
  kConnecting = 106,
  kStopping = 108,
  kDiagnosticDump = 110,
  kDiagnosticFr = 111,
  kBinaryUpload = 120,
  kSetTimePrompt = 200,
  kSetTimeStatus = 201,
  kSetTimeCommand = 203,
};
inline constexpr int kTimerDiagnosticEscape = 121;
inline constexpr int kTimerUploadWatchdog = 122;

}  // namespace tidora
