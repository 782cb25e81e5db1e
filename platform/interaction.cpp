#include "platform/interaction.h"

#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace tidora {
namespace {

std::vector<MsgAnswer> ButtonsOf(MsgButtons b) {
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

using Record = ScriptedInteraction::Record;

Record MakeRecord(Record::Kind kind, const std::string& text = {},
                  const std::string& caption = {}) {
  Record r{};
  r.kind = kind;
  r.text = text;
  r.caption = caption;
  return r;
}

}  // namespace

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
  std::vector<MsgAnswer> offered = ButtonsOf(buttons);
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

// ---- scripted, for tests ----

MsgAnswer ScriptedInteraction::Message(const std::string& text, const std::string& caption,
                                       MsgIcon icon, MsgButtons buttons) {
  std::lock_guard<std::mutex> lock(mutex_);
  Record rec = MakeRecord(Record::kMessage, text, caption);
  rec.icon = icon;
  rec.buttons = buttons;
  records_.push_back(rec);
  std::vector<MsgAnswer> offered = ButtonsOf(buttons);
  if (!answers_.empty()) {
    MsgAnswer a = answers_.front();
    answers_.erase(answers_.begin());
    return a;
  }
  if (std::find(offered.begin(), offered.end(), defaultAnswer) != offered.end())
    return defaultAnswer;
  return offered.front();
}

int ScriptedInteraction::Choose(const std::string& text, const std::string& caption,
                                const std::vector<std::string>& buttons) {
  std::lock_guard<std::mutex> lock(mutex_);
  Record r = MakeRecord(Record::kChoose, text, caption);
  r.a = static_cast<int>(buttons.size());
  records_.push_back(r);
  if (!choices_.empty()) {
    int c = choices_.front();
    choices_.erase(choices_.begin());
    return c;
  }
  return buttons.empty() ? -1 : 0;
}

void ScriptedInteraction::Status(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  records_.push_back(MakeRecord(Record::kStatus, text));
}

void ScriptedInteraction::ProgressRange(int low, int high) {
  std::lock_guard<std::mutex> lock(mutex_);
  Record r = MakeRecord(Record::kProgressRange);
  r.a = low;
  r.b = high;
  records_.push_back(r);
}

void ScriptedInteraction::ProgressPos(int pos) {
  std::lock_guard<std::mutex> lock(mutex_);
  Record r = MakeRecord(Record::kProgressPos);
  r.a = pos;
  records_.push_back(r);
}

std::vector<std::string> ScriptedInteraction::ChooseFiles(const FileRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  records_.push_back(MakeRecord(Record::kFiles, request.title));
  if (files_.empty()) return {};
  auto f = files_.front();
  files_.erase(files_.begin());
  return f;
}

std::optional<std::string> ScriptedInteraction::ChooseFolder(const std::string& title,
                                                             const std::string&) {
  std::lock_guard<std::mutex> lock(mutex_);
  records_.push_back(MakeRecord(Record::kFolder, title));
  if (folders_.empty()) return std::nullopt;
  auto f = folders_.front();
  folders_.erase(folders_.begin());
  return f;
}

void ScriptedInteraction::QueueAnswer(MsgAnswer a) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.push_back(a);
}
void ScriptedInteraction::QueueChoice(int index) {
  std::lock_guard<std::mutex> lock(mutex_);
  choices_.push_back(index);
}
void ScriptedInteraction::QueueFiles(std::vector<std::string> files) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.push_back(std::move(files));
}
void ScriptedInteraction::QueueFolder(std::optional<std::string> folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  folders_.push_back(std::move(folder));
}

std::vector<ScriptedInteraction::Record> ScriptedInteraction::Records() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return records_;
}

std::vector<ScriptedInteraction::Record> ScriptedInteraction::Messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Record> out;
  for (const Record& r : records_)
    if (r.kind == Record::kMessage || r.kind == Record::kChoose) out.push_back(r);
  return out;
}

std::vector<std::string> ScriptedInteraction::StatusTexts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const Record& r : records_)
    if (r.kind == Record::kStatus) out.push_back(r.text);
  return out;
}

std::string ScriptedInteraction::LastStatus() const {
  auto s = StatusTexts();
  return s.empty() ? std::string() : s.back();
}

void ScriptedInteraction::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  records_.clear();
}

}  // namespace tidora
