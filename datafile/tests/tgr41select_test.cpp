#include "datafile/tgr41select.h"

#include <gtest/gtest.h>

namespace tidora {
namespace {

// A tree like a report module's: plain variables and variables with two calculation types.
class ReportLikeSelection : public CTGR41Selection {
 public:
  void BuildTGR41Tree() override {
    AddTGR41(2, kNoItem);
    AddTGR41(4, kNoItem);
    for (int id : {11, 22}) AddCalcType(id, AddTGR41(id, kNoItem));
    AddTGR41(20, kNoItem);
  }
};

int ItemNamed(const CTGR41Selection& s, const std::string& text, int parent) {
  for (size_t i = 0; i < s.Items().size(); ++i)
    if (s.Items()[i].text == text && s.Items()[i].parent == parent) return static_cast<int>(i);
  return -1;
}

TEST(VariableSelection, TreeNamesHeadingsAndCalculationTypes) {
  ReportLikeSelection s;
  s.Open();
  ASSERT_EQ(s.RootItems().size(), 5u);
  int energy = ItemNamed(s, "Energy [J/m^2]", CTGR41Selection::kNoItem);
  ASSERT_GE(energy, 0);
  EXPECT_TRUE(s.IsHeading(energy));
  EXPECT_EQ(s.Items()[s.RootItems()[0]].text, "Burst Number");
  EXPECT_EQ(s.Items()[s.RootItems()[4]].text, "Pressure Sensor Depth [meters]");
  EXPECT_EQ(ItemNamed(s, "Significant period [seconds]", CTGR41Selection::kNoItem),
            s.RootItems()[3]);

  // The heading is no choice; its "Wave time series" child is the time-series twin.
  s.SelectItem(energy);
  s.Add();
  s.DoubleClick();
  s.Insert();
  EXPECT_EQ(s.GetTGR41Cnt(), 0);
  s.SelectItem(ItemNamed(s, "Wave time series", energy));
  s.Add();
  EXPECT_EQ(s.GetChosenIds(), std::vector<int>{12});
  EXPECT_EQ(s.GetRowText(0), "Energy [J/m^2], time series statistics");
  EXPECT_EQ(s.GetCurrentRow(), 1);

  s.ShrinkAll();
  EXPECT_FALSE(s.Items()[energy].expanded);
  s.ExpandAll();
  EXPECT_TRUE(s.Items()[energy].expanded);
  s.SelectItem(energy);
  s.Shrink();
  EXPECT_FALSE(s.Items()[energy].expanded);
  s.Expand();
  EXPECT_TRUE(s.Items()[energy].expanded);
}

TEST(VariableSelection, OpeningCountsTheLeadingEntries) {
  ReportLikeSelection s;
  s.SetChosen({2, 4, -1, 20});
  s.SetdwSelection(20);
  s.Open();
  EXPECT_EQ(s.GetTGR41Cnt(), 2);
  EXPECT_EQ(s.GetCurrentRow(), 2);
  EXPECT_EQ(s.GetChosen()[3], -1);
  EXPECT_EQ(s.Items()[s.GetSelectedItem()].id, 20);
  EXPECT_EQ(s.GetdwSelection(), 20);

  s.SetChosen(std::vector<int>(20, 2));
  s.Open();
  EXPECT_EQ(s.GetTGR41Cnt(), 17);
  EXPECT_EQ(s.GetCurrentRow(), 0);
}

TEST(VariableSelection, ButtonsEditTheList) {
  ReportLikeSelection s;
  s.Open();
  auto choose = [&](int id) { s.SelectItem(s.FindItem(id)); };

  // Insert on an empty row does nothing.
  choose(2);
  s.Insert();
  EXPECT_EQ(s.GetTGR41Cnt(), 0);
  s.Add();
  choose(4);
  s.Add();
  choose(20);
  s.Add();  // 2, 4, 20
  s.SetCurrentRow(1);
  choose(23);
  s.Insert();  // 2, 23, 4, 20
  EXPECT_EQ(s.GetChosenIds(), (std::vector<int>{2, 23, 4, 20}));
  s.DoubleClick();  // row 1 changes to the same variable
  choose(11);
  s.DoubleClick();
  EXPECT_EQ(s.GetChosenIds(), (std::vector<int>{2, 11, 4, 20}));
  s.Delete();  // 2, 4, 20; the tree follows the row
  EXPECT_EQ(s.GetChosenIds(), (std::vector<int>{2, 4, 20}));
  EXPECT_EQ(s.GetChosen()[3], -1);
  EXPECT_EQ(s.Items()[s.GetSelectedItem()].id, 4);
  s.SetCurrentRow(10);
  s.Delete();       // an empty row: nothing
  s.DoubleClick();  // an empty row: Add
  EXPECT_EQ(s.GetChosenIds(), (std::vector<int>{2, 4, 20, 4}));

  // Add when 17 variables are chosen does nothing, and neither does Insert.
  for (int i = 0; i < 20; ++i) s.Add();
  EXPECT_EQ(s.GetTGR41Cnt(), 17);
  EXPECT_EQ(s.GetCurrentRow(), 16);
  s.SetCurrentRow(0);
  choose(22);
  s.Insert();
  EXPECT_EQ(s.GetChosen()[0], 2);
  EXPECT_EQ(s.GetChosen()[16], 4);

  s.DeleteAll();
  EXPECT_EQ(s.GetTGR41Cnt(), 0);
  EXPECT_EQ(s.GetCurrentRow(), 0);
  EXPECT_TRUE(s.GetChosenIds().empty());
}

}  // namespace
}  // namespace tidora
