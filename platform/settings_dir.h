#pragma once

#include <string>

namespace tidora {

// The folder that holds the suite's settings files (QuaylinkW.ini, CNVHex.ini, TidoraWaves.ini)
// and its diagnostic log: $TIDORA_HOME when set, else ${XDG_CONFIG_HOME:-~/.config}/tidora.
// The folder is created when it does not exist yet. Never ends with a slash.
std::string SettingsDirectory();

// SettingsDirectory() + "/" + name.
std::string SettingsFile(const std::string& name);

}  // namespace tidora
