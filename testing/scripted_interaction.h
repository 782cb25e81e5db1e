#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/interaction.h"

namespace tidora {

// Test front end: records every call and answers from a script.
class ScriptedInteraction : public Interaction {
 public:
  struct Record {
    enum Kind { kMessage, kChoose, kStatus, kProgressRange, kProgressPos, kFiles, kFolder } kind;
    std::string text;
    std::string caption;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int a = 0, b = 0;
  };

  MsgAnswer Message(const std::string& text, const std::string& caption, MsgIcon icon,
                    MsgButtons buttons) override;
  int Choose(const std::string& text, const std::string& caption,
             const std::vector<std::string>& buttons) override;
  void Status(const std::string& text) override;
  void ProgressRange(int low, int high) override;
  void ProgressPos(int pos) override;
  std::vector<std::string> ChooseFiles(const FileRequest& request) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initial) override;

  // Queued answers, taken in order; when a queue is empty a box gets `defaultAnswer` when its
  // buttons offer it, else its first button; Choose gets 0; file choices are cancelled.
  void QueueAnswer(MsgAnswer a);
  void QueueChoice(int index);
  void QueueFiles(std::vector<std::string> files);
  void QueueFolder(std::optional<std::string> folder);
  MsgAnswer defaultAnswer = MsgAnswer::Ok;

  std::vector<Record> Records() const;
  std::vector<Record> Messages() const;  // message boxes and choices only
  std::vector<std::string> StatusTexts() const;
  std::string LastStatus() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<Record> records_;
  std::vector<MsgAnswer> answers_;
  std::vector<int> choices_;
  std::vector<std::vector<std::string>> files_;
  std::vector<std::optional<std::string>> folders_;
};

}  // namespace tidora
