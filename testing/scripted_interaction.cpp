#include "testing/scripted_interaction.h"

#include <algorithm>

namespace tidora {
namespace {

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

MsgAnswer ScriptedInteraction::Message(const std::string& text, const std::string& caption,
                                       MsgIcon icon, MsgButtons buttons) {
  std::lock_guard<std::mutex> lock(mutex_);
  Record rec = MakeRecord(Record::kMessage, text, caption);
  rec.icon = icon;
  rec.buttons = buttons;
  records_.push_back(rec);
  std::vector<MsgAnswer> offered = AnswersOffered(buttons);
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
