#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tidora {

// Everything the core shows to a person goes through this interface: message boxes with their
// exact texts and captions, status lines, progress, and file and folder choices. Each front end
// implements it (command line, Qt, tests). Implementations must be callable from worker threads.

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct FileFilter {
  std::string description;            // "Text Files (*.ini)"
  std::vector<std::string> patterns;  // {"*.ini"}
};

struct FileRequest {
  enum Mode { kOpen, kOpenMultiple, kSave } mode = kOpen;
  std::string title;
  std::string initialDir;
  std::string initialName;
  std::vector<FileFilter> filters;
  std::string defaultExtension;  // without the dot
  bool mustExist = true;
};

class Interaction {
 public:
  virtual ~Interaction() = default;

  // A modal message; returns the button chosen.
  virtual MsgAnswer Message(const std::string& text, const std::string& caption, MsgIcon icon,
                            MsgButtons buttons) = 0;
  // A question with buttons of its own (for example "Overwrite" and "Rename"); returns the
  // index of the button chosen, or -1 when the question was dismissed.
  virtual int Choose(const std::string& text, const std::string& caption,
                     const std::vector<std::string>& buttons) = 0;
  // The status line; an empty text clears it.
  virtual void Status(const std::string& text) = 0;
  // Progress of a long task: a range, then positions inside it.
  virtual void ProgressRange(int low, int high) = 0;
  virtual void ProgressPos(int pos) = 0;
  // File and folder choices; empty or nullopt when cancelled.
  virtual std::vector<std::string> ChooseFiles(const FileRequest& request) = 0;
  virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                  const std::string& initial) = 0;

  // Shorthand for the most common box: a text with an OK button.
  void Inform(const std::string& text, const std::string& caption,
              MsgIcon icon = MsgIcon::Information) {
    Message(text, caption, icon, MsgButtons::Ok);
  }
};

// The answer a box gets when nobody can be asked: the safe choice that changes nothing.
MsgAnswer SafeAnswer(MsgButtons buttons);
// The answers a set of buttons offers, in the order they stand.
std::vector<MsgAnswer> AnswersOffered(MsgButtons buttons);

// A button's text as a terminal shows it: without the accelerator mark ("&Yes" -> "Yes",
// "&&" -> "&").
std::string PlainButtonText(const std::string& label);
// The button a typed reply picks: its number (from 1), or the first letter of its text when
// no other button starts with that letter, in any case; -1 when it picks none.
int MatchButtonReply(const std::vector<std::string>& buttons, const std::string& reply);

// Command-line front end: messages and status on stderr, a progress bar when stderr is a
// terminal, questions asked on the terminal when standard input is one, otherwise answered
// with `assumeYes` (Yes/OK/Retry) or the safe answer.
class CliInteraction : public Interaction {
 public:
  explicit CliInteraction(bool assumeYes = false, bool quiet = false);
  ~CliInteraction() override;

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

  void SetAssumeYes(bool yes) { assumeYes_ = yes; }

 private:
  void EndProgressLine();  // callers hold mutex_
  std::string Ask(const std::string& prompt);

  std::mutex mutex_;
  bool assumeYes_;
  bool quiet_;
  bool ttyErr_;
  bool ttyIn_;
  int low_ = 0, high_ = 0, shownPercent_ = -1;
  bool barShown_ = false;
};


}  // namespace tidora
