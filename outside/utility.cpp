#include "outside/utility.h"

#include <sys/stat.h>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/interaction.h"
#include "platform/settings_dir.h"

namespace tidora {
namespace {

size_t LastSeparator(const std::string& path) {
  return path.find_last_of('/');
}

// Position of the extension's dot in the file-name part, or npos.
size_t ExtensionDot(const std::string& path) {
  size_t sep = LastSeparator(path);
  size_t start = sep == std::string::npos ? 0 : sep + 1;
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < start) return std::string::npos;
  return dot;
}

bool ParseDouble(const std::string& text, double& out) {
  // from_chars reads a decimal point whatever the locale; it takes no leading blanks or '+'.
  const char* s = text.c_str();
  const char* end = s + text.size();
  while (s < end && std::isspace(static_cast<unsigned char>(*s))) ++s;
  const bool negative = s < end && *s == '-';
  if (s < end && (*s == '+' || *s == '-')) ++s;
  if (s < end && (*s == '+' || *s == '-')) return false;
  double v = 0;
  auto [next, ec] = std::from_chars(s, end, v);
  if (next == s || ec != std::errc()) return false;
  while (next < end && std::isspace(static_cast<unsigned char>(*next))) ++next;
  if (next != end) return false;
  out = negative ? -v : v;
  return true;
}

bool ParseInt(const std::string& text, int& out) {
  const char* s = text.c_str();
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s, &end, 10);
  if (end == s || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
  while (*end && std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end) return false;
  out = static_cast<int>(v);
  return true;
}

template <typename T>
bool InRange(T value, int mode, T bound) {
  switch (mode) {
    case kRangeAbove:
      return value > bound;
    case kRangeNotBelow:
      return value >= bound;
    case kRangeNotAbove:
      return value <= bound;
    case kRangeBelow:
      return value < bound;
    default:
      return true;
  }
}

void Tell(const char* message, Interaction* ui) {
  if (message && ui) ui->Message(message, "", MsgIcon::Warning, MsgButtons::Ok);
}

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::tm Broken(std::time_t seconds) {
  std::tm t{};
  gmtime_r(&seconds, &t);
  return t;
}

}  // namespace

int ExtractDirectory(const std::string& path, std::string& out, int flag) {
  size_t sep = LastSeparator(path);
  if (sep == std::string::npos) {
    out.clear();
    return 0;
  }
  if (flag)
    out = path.substr(0, sep + 1);
  else
    out = sep == 0 ? "/" : path.substr(0, sep);
  return 1;
}

int ExtractFileName(const std::string& path, std::string& out, int flag) {
  size_t sep = LastSeparator(path);
  std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  if (name.empty()) {
    out.clear();
    return 0;
  }
  if (flag) RemoveExtension(name);
  out = name;
  return 1;
}

void ExtractExtension(const std::string& path, std::string& out) {
  size_t dot = ExtensionDot(path);
  out = dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

void SetExtension(std::string& path, const std::string& ext) {
  size_t dot = ExtensionDot(path);
  if (dot != std::string::npos) path.erase(dot);
  path += ".";
  path += ext;
}

void RemoveExtension(std::string& path) {
  size_t dot = ExtensionDot(path);
  if (dot != std::string::npos) path.erase(dot);
}

std::string FullPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

int IsFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int IsDirectory(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int EditToDouble(const EditField& field, double& out, const char* message, Interaction* ui) {
  return EditToDoubleTest(field, out, message, kRangeNone, 0.0, ui);
}

int EditToInt(const EditField& field, int& out, const char* message, Interaction* ui) {
  return EditToIntTest(field, out, message, kRangeNone, 0, ui);
}

int EditToDoubleTest(const EditField& field, double& out, const char* message, int mode,
                     double bound, Interaction* ui) {
  double v = 0;
  if (!ParseDouble(field.GetText(), v) || !InRange(v, mode, bound)) {
    Tell(message, ui);
    return 0;
  }
  out = v;
  return 1;
}

int EditToIntTest(const EditField& field, int& out, const char* message, int mode, int bound,
                  Interaction* ui) {
  int v = 0;
  if (!ParseInt(field.GetText(), v) || !InRange(v, mode, bound)) {
    Tell(message, ui);
    return 0;
  }
  out = v;
  return 1;
}

void DoubleToEdit(double value, EditField& field, const char* format, int, int) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format ? format : "%g", value);
  field.SetText(buf);
}

void IntToEdit(int value, EditField& field) {
  field.SetText(std::to_string(value));
}

std::string TimeToDateTimeStr(const std::tm& t) {
  char buf[64];
  int mon = t.tm_mon >= 0 && t.tm_mon < 12 ? t.tm_mon : 0;
  std::snprintf(buf, sizeof buf, "%02d %s %04d %02d:%02d:%02d", t.tm_mday, kMonths[mon],
                t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::string TimeToDateTimeStr(std::time_t seconds) {
  return TimeToDateTimeStr(Broken(seconds));
}

std::string TimeToTimeOnlyStr(const std::tm& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

void WriteString(const std::string& key, const std::string& value, std::ostream& out) {
  out << key << '=' << value << "\r\n";
}

void WriteIntString(const std::string& key, int value, std::ostream& out) {
  WriteString(key, std::to_string(value), out);
}

std::string DoubleToRoundTripText(double value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

void WriteDoubleString(const std::string& key, double value, std::ostream& out) {
  WriteString(key, DoubleToRoundTripText(value), out);
}

namespace BRUtility {

std::string CDiagnostics::LogPath() {
  return SettingsFile("TidoraWaves.log");
}

int CDiagnostics::Log(const std::string& message, int level) {
  std::FILE* f = std::fopen(LogPath().c_str(), "ab");
  if (!f) return 0;
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &t);
  int ok = std::fprintf(f, "%s [%d] %s\n", stamp, level, message.c_str()) > 0;
  if (std::fclose(f) != 0) ok = 0;
  return ok;
}

}  // namespace BRUtility
}  // namespace tidora
