#pragma once

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

namespace tidora {

class Interaction;

// ---- Paths. The separator is "/". ----

// Directory part of the path. flag 1 keeps the trailing "/", flag 0 drops it (the root stays
// "/"). Returns nonzero when the path has a directory part.
int ExtractDirectory(const std::string& path, std::string& out, int flag);
// File-name part of the path. flag 0 keeps the extension, flag 1 drops it. Nonzero when the
// path has a file name.
int ExtractFileName(const std::string& path, std::string& out, int flag);
// Extension without its dot; empty when there is none.
void ExtractExtension(const std::string& path, std::string& out);
// Replaces or appends the extension. An empty extension leaves the name followed by its dot.
void SetExtension(std::string& path, const std::string& ext);
// Drops the extension and its dot.
void RemoveExtension(std::string& path);
// The absolute, normalised path ("a/../b" folded); the path itself when it cannot be made
// absolute, and empty for an empty path.
std::string FullPath(const std::string& path);
int IsFile(const std::string& path);
int IsDirectory(const std::string& path);

// ---- Edit fields: the few operations the suite needs of them. ----

class EditField {
 public:
  virtual ~EditField() = default;
  virtual std::string GetText() const = 0;
  virtual void SetText(const std::string& text) = 0;
};

// An edit field that only holds its text: page models use it, windows bind it to a control.
class TextField : public EditField {
 public:
  TextField() = default;
  explicit TextField(std::string text) : text_(std::move(text)) {}
  std::string GetText() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

// Parse a field. Nonzero on success; on failure `out` and the field keep their values, and
// when both a message and an interaction are given the message is shown.
int EditToDouble(const EditField& field, double& out, const char* message,
                 Interaction* ui = nullptr);
int EditToInt(const EditField& field, int& out, const char* message, Interaction* ui = nullptr);

// Range modes for the tests below.
enum RangeMode {
  kRangeNone = 0,
  kRangeAbove = 1,     // value > bound
  kRangeNotBelow = 2,  // value >= bound
  kRangeNotAbove = 3,  // value <= bound
  kRangeBelow = 4,     // value < bound
};
// Parse and test against the bound; zero (with `out` unchanged) when the text is not a number
// or the value is out of range.
int EditToDoubleTest(const EditField& field, double& out, const char* message, int mode,
                     double bound, Interaction* ui = nullptr);
int EditToIntTest(const EditField& field, int& out, const char* message, int mode, int bound,
                  Interaction* ui = nullptr);

void DoubleToEdit(double value, EditField& field, const char* format, int = -1, int = -1);
void IntToEdit(int value, EditField& field);

// ---- Time texts. A calendar time here is a broken-down date without time zone. ----

// "dd mmm yyyy hh:mm:ss", for example "02 Jan 2000 12:00:00".
std::string TimeToDateTimeStr(const std::tm& t);
std::string TimeToDateTimeStr(std::time_t seconds);  // seconds read as UTC
// "hh:mm:ss".
std::string TimeToTimeOnlyStr(const std::tm& t);

// ---- Program setup file entries: "key=value" and CR LF. ----

void WriteString(const std::string& key, const std::string& value, std::ostream& out);
void WriteIntString(const std::string& key, int value, std::ostream& out);
// Shortest text that reads back to the same double.
void WriteDoubleString(const std::string& key, double value, std::ostream& out);
std::string DoubleToRoundTripText(double value);

namespace BRUtility {

// The suite's diagnostic log: "TidoraWaves.log" in the settings directory, one line per entry
// with the local time and the level. Logging never fails visibly.
class CDiagnostics {
 public:
  static int Log(const std::string& message, int level = 0);
  static std::string LogPath();
};

}  // namespace BRUtility
}  // namespace tidora
