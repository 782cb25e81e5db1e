#include "platform/interaction.h"
#include "testing/scripted_interaction.h"

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

namespace tidora {
namespace {

TEST(TerminalQuestions, ButtonsShowWithoutTheMarkAndTakeTheFirstLetter) {
  EXPECT_EQ(PlainButtonText("&Yes"), "Yes");
  EXPECT_EQ(PlainButtonText("Yes to &All"), "Yes to All");
  EXPECT_EQ(PlainButtonText("Save && Exit"), "Save & Exit");
  const std::vector<std::string> buttons = {"&Yes", "&No", "&Cancel"};
  for (auto [reply, index] : {std::pair{"1", 0},
                              {"2", 1},
                              {" 3 ", 2},
                              {"y", 0},
                              {"n", 1},
                              {"N", 1},
                              {"c", 2},
                              {"C", 2},
                              {"no", 1},
                              {"CANCEL", 2}})
    EXPECT_EQ(MatchButtonReply(buttons, reply), index) << reply;
  for (const char* reply : {"", "0", "4", "x", "1x", "nope"})
    EXPECT_EQ(MatchButtonReply(buttons, reply), -1) << reply;
  // A first letter two buttons share picks neither; the number still does.
  const std::vector<std::string> overwrite = {"&Yes", "&No", "&Cancel", "Yes to &All", "&Skip"};
  EXPECT_EQ(MatchButtonReply(overwrite, "y"), -1);
  EXPECT_EQ(MatchButtonReply(overwrite, "s"), 4);
  EXPECT_EQ(MatchButtonReply(overwrite, "4"), 3);
}

}  // namespace
}  // namespace tidora
