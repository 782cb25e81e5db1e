#include "merge/selection.h"
#include "testing/scripted_interaction.h"

#include <gtest/gtest.h>

namespace tidora {
namespace {

TEST(MergeSelection, SortsByCharacterCodeAndNamesTheOutput) {
  std::vector<std::string> names{"dep.tid", "dep.bp"};
  SortInputNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"dep.bp", "dep.tid"}));
  EXPECT_FALSE(CheckMergeSelection(names));
  // One base name: the output is the tide file itself.
  EXPECT_EQ(DefaultMergeOutputName(names), "dep.tid");

  names = {"zeta.bp", "Alpha.TID"};
  SortInputNames(names);
  EXPECT_EQ(names[0], "Alpha.TID");
  EXPECT_FALSE(CheckMergeSelection(names));
  EXPECT_EQ(DefaultMergeOutputName(names), "Alpha.tid");

  names = {"b\xe9.tid", "bz.bp"};
  SortInputNames(names);
  EXPECT_EQ(names[0], "bz.bp");  // codes above 127 sort last
  EXPECT_EQ(DefaultMergeOutputName({"air.bp", "sea.tid"}), "air.tid");
}

TEST(MergeSelection, RefusesIncompleteOrDuplicateSelections) {
  auto one = CheckMergeSelection({"dep.tid"});
  ASSERT_TRUE(one);
  EXPECT_EQ(one->text, "Must select both a .TID and .BP file for processing.");
  EXPECT_EQ(one->caption, "Invalid Selection");
  EXPECT_EQ(one->icon, MsgIcon::Error);

  auto dup = CheckMergeSelection({"a.tid", "b.TID"});
  ASSERT_TRUE(dup);
  EXPECT_EQ(dup->text, "Cannot select more than one file with .tid extension");
  EXPECT_EQ(dup->caption, "Duplicate Extensions Found");

  // Neither of two different extensions may stand in for a missing tide or barometric file.
  auto other = CheckMergeSelection({"a.tid", "a.wb"});
  ASSERT_TRUE(other);
  EXPECT_EQ(other->caption, "Invalid Selection");
  EXPECT_TRUE(CheckMergeSelection({"a.bp", "a.tid", "a.wb"}));

  ScriptedInteraction ui;
  EXPECT_FALSE(TakeMergeSelection({"x.bp", "y.bp"}, ui));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Duplicate Extensions Found");
  auto taken = TakeMergeSelection({"x.tid", "x.bp"}, ui);
  ASSERT_TRUE(taken);
  EXPECT_EQ(*taken, (std::vector<std::string>{"x.bp", "x.tid"}));
  EXPECT_TRUE(IsBarometricName("X.Bp"));
  EXPECT_FALSE(IsBarometricName("x.bpx"));
}

}  // namespace
}  // namespace tidora
