#pragma once

#include <string>

#include "platform/interaction.h"
#include "platform/serial_port.h"
#include "terminal/comm_settings.h"
#include "terminal/terminal_window.h"

namespace tidora {

// One terminal command run to its end without a window, the way a person would run it from the
// menu: commands that talk to the recorder connect first.
struct TermRequest {
  enum Kind { kConnect, kStatus, kCoefficients, kSetTime, kUpload, kDiagnostic, kCapture, kStop };
  Kind kind = kConnect;
  bool local = false;  // set-time: local time instead of UTC
  std::string file;    // upload, diagnostic, capture: the file the Save dialog would get
  int seconds = 10;    // capture: how long
  // The settings as their file holds them, when `settings` carries overrides of this run: a
  // save (after a rate search) writes these with only the found rate.
  const CommSettings* stored = nullptr;
};

// Runs the request on a threaded event loop with the given ports. Returns 0 on success, 1 on
// failure; `output` gets the reply a status or coefficient command asked for (without the
// upload file's marks).
int RunTermCommand(const TermRequest& request, CommSettings& settings, SerialPorts& ports,
                   Interaction& ui, TerminalWindow& window, std::string* output = nullptr);

// A session on the given ports that hands typed keys to the recorder and received characters
// to the window until `quit` returns true (checked every 50 ms) — the interactive terminal.
int RunInteractiveTerminal(CommSettings& settings, SerialPorts& ports, Interaction& ui,
                           TerminalWindow& window, int (*nextKey)(void* context), void* context);

}  // namespace tidora
