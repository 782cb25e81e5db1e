#include "platform/interaction.h"

#include <gtest/gtest.h>

namespace tidora {
namespace {

TEST(ScriptedInteraction, RecordsMessagesAndAnswersFromTheScript) {
  ScriptedInteraction ui;
  ui.QueueAnswer(MsgAnswer::No);
  EXPECT_EQ(ui.Message("Overwrite?", "Warning", MsgIcon::Warning, MsgButtons::YesNo),
            MsgAnswer::No);
  // Script exhausted: the default answer when offered, else the first button.
  EXPECT_EQ(ui.Message("Again?", "Q", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::Yes);
  ui.defaultAnswer = MsgAnswer::Ok;
  EXPECT_EQ(ui.Message("Retry?", "Q", MsgIcon::Question, MsgButtons::RetryCancel),
            MsgAnswer::Retry);
  ui.Status("Ready");
  ui.ProgressRange(0, 10);
  ui.ProgressPos(5);
  auto msgs = ui.Messages();
  ASSERT_EQ(msgs.size(), 3u);
  EXPECT_EQ(msgs[0].text, "Overwrite?");
  EXPECT_EQ(msgs[0].caption, "Warning");
  EXPECT_EQ(msgs[0].icon, MsgIcon::Warning);
  EXPECT_EQ(ui.LastStatus(), "Ready");
  EXPECT_EQ(ui.Records().size(), 6u);
}

TEST(ScriptedInteraction, ChoicesAndFileDialogs) {
  ScriptedInteraction ui;
  ui.QueueChoice(1);
  EXPECT_EQ(ui.Choose("Unable to read", "Error", {"Overwrite", "Rename"}), 1);
  EXPECT_EQ(ui.Choose("Unable to read", "Error", {"Overwrite", "Rename"}), 0);
  EXPECT_TRUE(ui.ChooseFiles({}).empty());
  ui.QueueFiles({"/a.wb", "/b.wb"});
  EXPECT_EQ(ui.ChooseFiles({}).size(), 2u);
  ui.QueueFolder(std::string("/tmp"));
  EXPECT_EQ(ui.ChooseFolder("Out", "").value_or(""), "/tmp");
  EXPECT_FALSE(ui.ChooseFolder("Out", "").has_value());
}

TEST(SafeAnswer, ChangesNothing) {
  EXPECT_EQ(SafeAnswer(MsgButtons::YesNo), MsgAnswer::No);
  EXPECT_EQ(SafeAnswer(MsgButtons::YesNoCancel), MsgAnswer::Cancel);
  EXPECT_EQ(SafeAnswer(MsgButtons::Ok), MsgAnswer::Ok);
}

}  // namespace
}  // namespace tidora
