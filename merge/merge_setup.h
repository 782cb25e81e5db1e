#pragma once

#include <span>
#include <string>

#include "merge/merge_settings.h"
#include "postproc/setup.h"

namespace tidora {

// The merge module's setup: the framework part and the BaroblendPsu section.
class CMergeSetup : public CTableSetup<CMergeSetup>, public MergeSettings {
 public:
  CMergeSetup() { ResetAll(); }
  explicit CMergeSetup(const std::string& dir) { ResetAll(dir); }

  int ModuleIndex() const override { return kMergeModule; }
  std::string DefaultFileName() const override;

  // The four settings in file order with their defaults, range rules and page labels.
  static std::span<const SettingDecl<CMergeSetup>> Settings();

  // The unit keeps its range rule whether read from a file or typed: a value outside 0..1
  // is ignored when read, refused when typed.
  void ReadModuleKey(int keyId, const std::string& value) override;
  std::string AssignModuleSetting(const std::string& key, const std::string& value) override;

  MergeSettings& Merge() { return *this; }
  const MergeSettings& Merge() const { return *this; }
};

}  // namespace tidora
