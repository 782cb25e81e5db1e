#pragma once

#include <string>
#include <vector>

#include "platform/output_files.h"

namespace tidora {

// Reading and writing of .ini settings files with the semantics the suite relies on:
// sections and keys are matched without regard to case; a missing file, section or key gives
// the default; a write creates the file, section or key and keeps every other line as it was.
// Values are trimmed, and one pair of enclosing double quotes is removed.
// Writes go through a temporary file and a rename (WriteFileAtomically), so a full disk never
// truncates the file; a link is written through to its target.

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& def, const std::string& file);

// Reads the value as a decimal integer (leading digits, optional sign); the default when the
// key is missing, 0 when the value does not begin with a number.
int GetProfileInt(const std::string& section, const std::string& key, int def,
                  const std::string& file);

// The key names of a section, in file order (empty when the section is missing).
std::vector<std::string> GetProfileKeys(const std::string& section, const std::string& file);

// Sets key=value in the section. Returns false when the file cannot be written.
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file);

// Removes one key, or a whole section with its keys. True when the file is as asked.
bool DeleteProfileKey(const std::string& section, const std::string& key, const std::string& file);
bool DeleteProfileSection(const std::string& section, const std::string& file);

}  // namespace tidora
