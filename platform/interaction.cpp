#include "platform/interaction.h"

#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace tidora {
namespace {


const char* AnswerName(MsgAnswer a) {
  switch (a) {
    case MsgAnswer::Ok:
      return "ok";
    case MsgAnswer::Cancel:
      return "cancel";
    case MsgAnswer::Yes:
      return "yes";
    case MsgAnswer::No:
      return "no";
    case MsgAnswer::Retry:
      return "retry";
    case MsgAnswer::Abort:
      return "abort";
    case MsgAnswer::Ignore:
      return "ignore";
  }
  return "";
}

const char* IconPrefix(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Error:
      return "error: ";
    case MsgIcon::Warning:
      return "warning: ";
    default:
      return "";
  }
}


}  // namespace

std::vector<MsgAnswer> AnswersOffered(MsgButtons b) {
  switch (b) {
    case MsgButtons::Ok:
      return {MsgAnswer::Ok};
    case MsgButtons::OkCancel:
      return {MsgAnswer::Ok, MsgAnswer::Cancel};
    case MsgButtons::YesNo:
      return {MsgAnswer::Yes, MsgAnswer::No};
    case MsgButtons::YesNoCancel:
      return {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
    case MsgButtons::RetryCancel:
      return {MsgAnswer::Retry, MsgAnswer::Cancel};
    case MsgButtons::AbortRetryIgnore:
      return {MsgAnswer::Abort, MsgAnswer::Retry, MsgAnswer::Ignore};
  }
  return {MsgAnswer::Ok};
}

MsgAnswer SafeAnswer(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return MsgAnswer::Ok;
    case MsgButtons::YesNo:
      return MsgAnswer::No;
    case MsgButtons::AbortRetryIgnore:
      return MsgAnswer::Abort;
    default:
      return MsgAnswer::Cancel;
  }
}

// ---- command line ----

std::string PlainButtonText(const std::string& label) {
  std::string text;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && i + 1 < label.size()) ++i;
    text += label[i];
  }
  return text;
}

int MatchButtonReply(const std::vector<std::string>& buttons, const std::string& reply) {
  const size_t first = reply.find_first_not_of(" \t");
  if (first == std::string::npos) return -1;
  const std::string r = reply.substr(first, reply.find_last_not_of(" \t") - first + 1);
  char* end = nullptr;
  const long n = std::strtol(r.c_str(), &end, 10);
  if (end != r.c_str() && *end == '\0')
    return n >= 1 && n <= static_cast<long>(buttons.size()) ? static_cast<int>(n - 1) : -1;
  auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  int found = -1;
  for (size_t i = 0; i < buttons.size(); ++i) {
    const std::string text = PlainButtonText(buttons[i]);
    if (text.empty()) continue;
    // The whole text, or its first letter when that letter is the button's alone.
    bool whole =
        text.size() == r.size() && std::equal(text.begin(), text.end(), r.begin(),
                                              [&](char a, char b) { return lower(a) == lower(b); });
    if (whole) return static_cast<int>(i);
    if (r.size() == 1 && lower(text[0]) == lower(r[0])) {
      if (found >= 0) return -1;
      found = static_cast<int>(i);
    }
  }
  return found;
}

CliInteraction::CliInteraction(bool assumeYes, bool quiet)
    : assumeYes_(assumeYes), quiet_(quiet), ttyErr_(isatty(2)), ttyIn_(isatty(0)) {}

CliInteraction::~CliInteraction() {
  std::lock_guard<std::mutex> lock(mutex_);
  EndProgressLine();
}

void CliInteraction::EndProgressLine() {
  if (barShown_) {
    std::fputs("\r\033[K", stderr);
    barShown_ = false;
    shownPercent_ = -1;
  }
}

std::string CliInteraction::Ask(const std::string& prompt) {
  std::fputs(prompt.c_str(), stderr);
  std::fflush(stderr);
  std::string line;
  if (!std::getline(std::cin, line)) return {};
  return line;
}

MsgAnswer CliInteraction::Message(const std::string& text, const std::string& caption, MsgIcon icon,
                                  MsgButtons buttons) {
  std::lock_guard<std::mutex> lock(mutex_);
  EndProgressLine();
  std::string head = caption.empty() ? "" : caption + ": ";
  std::fprintf(stderr, "%s%s%s\n", IconPrefix(icon), head.c_str(), text.c_str());
  std::vector<MsgAnswer> offered = AnswersOffered(buttons);
  if (offered.size() == 1) return offered[0];
  if (assumeYes_) {
    for (MsgAnswer a : {MsgAnswer::Yes, MsgAnswer::Ok, MsgAnswer::Retry})
      if (std::find(offered.begin(), offered.end(), a) != offered.end()) return a;
  }
  if (!ttyIn_) return SafeAnswer(buttons);
  std::string prompt = "[";
  for (size_t i = 0; i < offered.size(); ++i)
    prompt += (i ? "/" : "") + std::string(AnswerName(offered[i]));
  prompt += "] ";
  std::vector<std::string> names;
  for (MsgAnswer a : offered) names.push_back(AnswerName(a));
  for (;;) {
    std::string reply = Ask(prompt);
    if (reply.empty() && !std::cin) return SafeAnswer(buttons);
    const int picked = MatchButtonReply(names, reply);
    if (picked >= 0) return offered[static_cast<size_t>(picked)];
  }
}

int CliInteraction::Choose(const std::string& text, const std::string& caption,
                           const std::vector<std::string>& buttons) {
  std::lock_guard<std::mutex> lock(mutex_);
  EndProgressLine();
  std::fprintf(stderr, "%s%s\n", caption.empty() ? "" : (caption + ": ").c_str(), text.c_str());
  if (buttons.empty()) return -1;
  if (assumeYes_) return 0;
  if (!ttyIn_) return -1;
  std::string prompt;
  for (size_t i = 0; i < buttons.size(); ++i)
    prompt += std::to_string(i + 1) + ") " + PlainButtonText(buttons[i]) + "  ";
  prompt += "? ";
  for (;;) {
    std::string reply = Ask(prompt);
    if (reply.empty() && !std::cin) return -1;
    const int picked = MatchButtonReply(buttons, reply);
    if (picked >= 0) return picked;
  }
}

void CliInteraction::Status(const std::string& text) {
  if (quiet_ || text.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  EndProgressLine();
  std::fprintf(stderr, "%s\n", text.c_str());
}

void CliInteraction::ProgressRange(int low, int high) {
  std::lock_guard<std::mutex> lock(mutex_);
  low_ = low;
  high_ = high;
  shownPercent_ = -1;
}

void CliInteraction::ProgressPos(int pos) {
  if (quiet_ || !ttyErr_ || high_ <= low_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  int percent = static_cast<int>(100.0 * (std::clamp(pos, low_, high_) - low_) / (high_ - low_));
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  const int width = 40;
  int filled = percent * width / 100;
  std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<size_t>(filled), '#').c_str(),
               std::string(static_cast<size_t>(width - filled), ' ').c_str(), percent);
  std::fflush(stderr);
  barShown_ = true;
}

std::vector<std::string> CliInteraction::ChooseFiles(const FileRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  EndProgressLine();
  if (!ttyIn_) return {};
  std::string reply = Ask((request.title.empty() ? "File" : request.title) + ": ");
  if (reply.empty()) return {};
  return {reply};
}

std::optional<std::string> CliInteraction::ChooseFolder(const std::string& title,
                                                        const std::string&) {
  std::lock_guard<std::mutex> lock(mutex_);
  EndProgressLine();
  if (!ttyIn_) return std::nullopt;
  std::string reply = Ask((title.empty() ? "Folder" : title) + ": ");
  if (reply.empty()) return std::nullopt;
  return reply;
}

}  // namespace tidora
