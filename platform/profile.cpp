#include "platform/profile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tidora {
namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

struct Line {
  std::string text;  // without its line end
  enum Kind { kOther, kSection, kKey } kind = kOther;
  std::string name;   // section name or key
  std::string value;  // key value, trimmed
};

struct Document {
  std::vector<Line> lines;
  bool crlf = false;
  bool existed = false;
};

Line Classify(const std::string& text) {
  Line l;
  l.text = text;
  std::string t = Trim(text);
  if (t.empty() || t[0] == ';' || t[0] == '#') return l;
  if (t[0] == '[') {
    size_t close = t.find(']');
    if (close != std::string::npos) {
      l.kind = Line::kSection;
      l.name = Trim(t.substr(1, close - 1));
    }
    return l;
  }
  size_t eq = t.find('=');
  if (eq == std::string::npos) return l;
  l.kind = Line::kKey;
  l.name = Trim(t.substr(0, eq));
  l.value = Trim(t.substr(eq + 1));
  if (l.value.size() >= 2 && l.value.front() == '"' && l.value.back() == '"')
    l.value = l.value.substr(1, l.value.size() - 2);
  return l;
}

Document Load(const std::string& file) {
  Document doc;
  std::ifstream in(file, std::ios::binary);
  if (!in) return doc;
  doc.existed = true;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      doc.crlf = true;
    }
    doc.lines.push_back(Classify(line));
  }
  return doc;
}

bool Save(const Document& doc, const std::string& file) {
  std::string out;
  const char* eol = doc.crlf ? "\r\n" : "\n";
  for (const Line& l : doc.lines) {
    out += l.text;
    out += eol;
  }
  return WriteFileAtomically(file, out);
}

// Index of the section's header line, or -1.
long FindSection(const Document& doc, const std::string& section) {
  for (size_t i = 0; i < doc.lines.size(); ++i)
    if (doc.lines[i].kind == Line::kSection && EqualNoCase(doc.lines[i].name, section))
      return static_cast<long>(i);
  return -1;
}

// One past the section's last line.
size_t SectionEnd(const Document& doc, size_t header) {
  size_t i = header + 1;
  while (i < doc.lines.size() && doc.lines[i].kind != Line::kSection) ++i;
  return i;
}

long FindKey(const Document& doc, long header, const std::string& key) {
  if (header < 0) return -1;
  size_t end = SectionEnd(doc, static_cast<size_t>(header));
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i)
    if (doc.lines[i].kind == Line::kKey && EqualNoCase(doc.lines[i].name, key))
      return static_cast<long>(i);
  return -1;
}

}  // namespace

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& def, const std::string& file) {
  Document doc = Load(file);
  long k = FindKey(doc, FindSection(doc, section), key);
  return k < 0 ? def : doc.lines[static_cast<size_t>(k)].value;
}

int GetProfileInt(const std::string& section, const std::string& key, int def,
                  const std::string& file) {
  Document doc = Load(file);
  long k = FindKey(doc, FindSection(doc, section), key);
  if (k < 0) return def;
  return static_cast<int>(
      std::strtol(doc.lines[static_cast<size_t>(k)].value.c_str(), nullptr, 10));
}

std::vector<std::string> GetProfileKeys(const std::string& section, const std::string& file) {
  Document doc = Load(file);
  std::vector<std::string> keys;
  long h = FindSection(doc, section);
  if (h < 0) return keys;
  size_t end = SectionEnd(doc, static_cast<size_t>(h));
  for (size_t i = static_cast<size_t>(h) + 1; i < end; ++i)
    if (doc.lines[i].kind == Line::kKey) keys.push_back(doc.lines[i].name);
  return keys;
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file) {
  Document doc = Load(file);
  long h = FindSection(doc, section);
  Line entry = Classify(key + "=" + value);
  if (h < 0) {
    doc.lines.push_back(Classify("[" + section + "]"));
    doc.lines.push_back(entry);
    return Save(doc, file);
  }
  long k = FindKey(doc, h, key);
  if (k >= 0) {
    entry = Classify(doc.lines[static_cast<size_t>(k)].name + "=" + value);
    doc.lines[static_cast<size_t>(k)] = entry;
  } else {
    // After the section's last non-blank line, so blank separators stay between sections.
    size_t end = SectionEnd(doc, static_cast<size_t>(h));
    while (end > static_cast<size_t>(h) + 1 && Trim(doc.lines[end - 1].text).empty()) --end;
    doc.lines.insert(doc.lines.begin() + static_cast<long>(end), entry);
  }
  return Save(doc, file);
}

bool DeleteProfileKey(const std::string& section, const std::string& key, const std::string& file) {
  Document doc = Load(file);
  long k = FindKey(doc, FindSection(doc, section), key);
  if (k < 0) return true;
  doc.lines.erase(doc.lines.begin() + k);
  return Save(doc, file);
}

bool DeleteProfileSection(const std::string& section, const std::string& file) {
  Document doc = Load(file);
  long h = FindSection(doc, section);
  if (h < 0) return true;
  size_t end = SectionEnd(doc, static_cast<size_t>(h));
  doc.lines.erase(doc.lines.begin() + h, doc.lines.begin() + static_cast<long>(end));
  return Save(doc, file);
}

}  // namespace tidora
