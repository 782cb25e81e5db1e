// The merge step of the locale test (see locale_test.cpp).
#include <gtest/gtest.h>

#include <string>

#include "merge/merge_module.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "postproc/tgr41_reader.h"
#include "testing/scripted_interaction.h"

namespace tidora {
namespace {

std::string Texts(const ScriptedInteraction& ui) {
  std::string texts;
  for (const auto& m : ui.Messages()) texts += m.caption + ": " + m.text + "\n";
  for (const std::string& s : ui.StatusTexts()) texts += s + "\n";
  return texts;
}

}  // namespace

std::string MergeForLocaleTest(const std::string& tide, const std::string& baro,
                               const std::string& output) {
  ScriptedInteraction ui;
  ui.defaultAnswer = MsgAnswer::Yes;
  CMergeModule module(ui);
  module.SetReaderFactory(DataFileReaderFactory());
  CInteractionPage page(ui);
  module.SetPage(&page);
  EXPECT_EQ(module.PrepareFileRun(tide, baro, output), "");
  module.overwriteWarning = false;
  module.RunAndWait();
  EXPECT_EQ(module.LastOutcome(), CMergeModule::Outcome::kDone);
  return Texts(ui);
}

}  // namespace tidora
