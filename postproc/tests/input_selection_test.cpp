#include "postproc/input_selection.h"

#include <gtest/gtest.h>

namespace tidora {
namespace {

std::string TextOf(const std::optional<SelectionMessage>& m) {
  return m ? m->caption + ": " + m->text : std::string();
}

TEST(InputSelection, DefaultRulesOneFileOfEachExtensionAndOneRoot) {
  const InputSelectionRules rules;
  EXPECT_EQ(TextOf(CheckInputSelection({}, rules)), "");
  EXPECT_EQ(TextOf(CheckInputSelection({"bay.wb", "BAY.tid"}, rules)), "");
  EXPECT_EQ(TextOf(CheckInputSelection({"bay.WB", "bay2.wb"}, rules)),
            "Duplicate Extensions Found: Cannot select more than one file with .WB extension");
  // Two names without an extension share the empty one.
  EXPECT_EQ(TextOf(CheckInputSelection({"a", "b"}, rules)),
            "Duplicate Extensions Found: Cannot select more than one file with . extension");
  EXPECT_EQ(TextOf(CheckInputSelection({"bay.wb", "cove.tid"}, rules)),
            "Inconsistent File Names Found: Cannot select files with different root names");
  // The directory is not part of the root, nor is a dot in it an extension.
  EXPECT_EQ(TextOf(CheckInputSelection({"/one/bay.was", "/two.d/bay.wts"}, rules)), "");
  EXPECT_EQ(TextOf(CheckInputSelection({"/x.wb/bay", "/y.wb/bay"}, rules)),
            "Duplicate Extensions Found: Cannot select more than one file with . extension");
}

TEST(InputSelection, ModulesParameteriseCountKindsRootsAndSpelling) {
  InputSelectionRules rules;
  rules.minimum = 2;
  rules.incomplete = {"Need both", "Invalid Selection", MsgIcon::Error};
  EXPECT_EQ(TextOf(CheckInputSelection({"a.was"}, rules)), "Invalid Selection: Need both");
  rules.spellLaterDuplicate = true;
  EXPECT_EQ(TextOf(CheckInputSelection({"a.was", "b.WAS"}, rules)),
            "Duplicate Extensions Found: Cannot select more than one file with .WAS extension");
  rules.extensions = {"tid", "bp"};
  rules.oneRootName = false;
  EXPECT_EQ(TextOf(CheckInputSelection({"air.BP", "sea.tid"}, rules)), "");
  // Anything but one file of each required kind, even with distinct extensions.
  EXPECT_EQ(TextOf(CheckInputSelection({"a.tid", "a.wb"}, rules)), "Invalid Selection: Need both");
  EXPECT_EQ(TextOf(CheckInputSelection({"a.bp", "a.tid", "a.wb"}, rules)),
            "Invalid Selection: Need both");
}

TEST(InputSelection, SortedByFileNameNotDirectory) {
  std::vector<std::string> names{"/z/b.wts", "/a/b.was", "/m/B.txt"};
  SortInputNames(names);
  // Capitals first.
  EXPECT_EQ(names, (std::vector<std::string>{"/m/B.txt", "/a/b.was", "/z/b.wts"}));
  EXPECT_EQ(TextOf(CheckInputSelection(names, InputSelectionRules())), "");
}

TEST(InputSelection, RepeatedExtensionIsSpeltAsTheEarlierName) {
  EXPECT_EQ(RepeatedExtension({"a.tid", "b.bp"}), "");
  EXPECT_EQ(RepeatedExtension({"a.Tid", "b.bp", "c.TID"}), "Tid");
  EXPECT_EQ(LowerExtension("/d.x/Name.WaS"), "was");
}

}  // namespace
}  // namespace tidora
