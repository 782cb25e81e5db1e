// The variable selection dialog driven by control identifier on the offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "datafile/tgr41file.h"
#include "datafile/ui/tgr41_dialog.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/tests/gui_test_support.h"

namespace tidora::ui {
namespace {

// A small tree of the shape modules build: plain variables and one heading with its two
// calculation types.
class SmallTree : public CTGR41Selection {
 public:
  void BuildTGR41Tree() override {
    AddTGR41(kVarBurstNumber, kNoItem);
    AddTGR41(kVarDateTime, kNoItem);
    energy = AddTGR41(kVarEnergyAs, kNoItem);
    AddCalcType(kVarEnergyAs, energy);
    AddTGR41(kVarSensorDepth, kNoItem);
  }
  int energy = kNoItem;
};

class SelectionDialog : public ::testing::Test {
 protected:
  SelectionDialog() { tidora::testing::EnsureApplication(); }
  void Open(std::vector<int> chosen, int initial = -1) {
    tree.SetTitle("Select Variables");
    tree.SetChosen(chosen);
    tree.SetdwSelection(initial);
    dlg = std::make_unique<CTGR41Dlg>(tree);
    dlg->show();
  }
  void Press(int id) { findControl<QPushButton>(dlg.get(), id)->click(); }
  // Selects the tree item of a variable the way a user does: by clicking it in the tree.
  void Pick(int id) {
    QTreeWidgetItem* item = dlg->TreeItem(tree.FindItem(id));
    ASSERT_NE(item, nullptr);
    dlg->Tree()->setCurrentItem(item);
  }
  // A double click on a tree item where the user sees it.
  void DoubleClick(QTreeWidgetItem* item) {
    dlg->Tree()->scrollToItem(item);
    QApplication::processEvents();
    const QRect r = dlg->Tree()->visualItemRect(item);
    ASSERT_TRUE(r.isValid());
    // The view takes a double click on the item its last press was on.
    QTest::mousePress(dlg->Tree()->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(dlg->Tree()->viewport(), Qt::LeftButton, {}, r.center());
  }
  QString Row(int r) { return dlg->Grid()->item(r, 0)->text(); }

  SmallTree tree;
  std::unique_ptr<CTGR41Dlg> dlg;
};

std::string Name(int id) {
  std::string s;
  GetDataNameFromID(s, id);
  return s;
}

TEST_F(SelectionDialog, OpensWithTheChosenRowsTheHeadingsAndTheInitialItem) {
  Open({kVarBurstNumber, kVarSensorDepth, -1, kVarDateTime}, kVarSensorDepth);
  EXPECT_EQ(dlg->windowTitle(), "Select Variables");
  QTableWidget* grid = findControl<QTableWidget>(dlg.get(), 309);
  ASSERT_EQ(grid, dlg->Grid());
  EXPECT_EQ(grid->rowCount(), 17);
  EXPECT_EQ(grid->columnCount(), 1);
  EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Variable Name [unit]");
  EXPECT_EQ(grid->verticalHeaderItem(0)->text(), "1");
  EXPECT_EQ(grid->verticalHeaderItem(16)->text(), "17");
  EXPECT_EQ(grid->findChild<QAbstractButton*>()->text(), "Col. #");
  // The list ends at the first empty entry: what follows is no part of it.
  EXPECT_EQ(tree.GetTGR41Cnt(), 2);
  EXPECT_EQ(Row(0).toStdString(), Name(kVarBurstNumber));
  EXPECT_EQ(Row(1).toStdString(), Name(kVarSensorDepth));
  EXPECT_EQ(Row(3), "");
  const QPalette pal = dlg->palette();
  EXPECT_EQ(grid->item(1, 0)->background().color(), pal.color(QPalette::Base));
  EXPECT_EQ(grid->item(2, 0)->background().color(), pal.color(QPalette::Button));
  EXPECT_EQ(grid->currentRow(), 2);  // the first empty row
  ASSERT_NE(dlg->Tree()->currentItem(), nullptr);
  EXPECT_EQ(dlg->Tree()->currentItem()->data(0, Qt::UserRole + 1).toInt(), kVarSensorDepth);
  // The tree items: plain long names, the heading without its calculation type.
  EXPECT_EQ(dlg->Tree()->topLevelItemCount(), 4);
  EXPECT_EQ(dlg->Tree()->topLevelItem(2)->text(0), "Energy [J/m^2]");
  EXPECT_EQ(dlg->Tree()->topLevelItem(2)->child(1)->text(0), "Wave time series");
  for (int id : {301, 302, 305, 306, 307, 308, 310, 311, 312, 1, 2})
    EXPECT_NE(findControl<QWidget>(dlg.get(), id), nullptr) << id;
}

TEST_F(SelectionDialog, AHeadingIsNoChoiceItsTimeSeriesChildAddsTwelve) {
  Open({});
  dlg->Tree()->setCurrentItem(dlg->TreeItem(tree.energy));
  Press(301);  // Add
  EXPECT_EQ(tree.GetTGR41Cnt(), 0);
  DoubleClick(dlg->TreeItem(tree.energy));
  EXPECT_EQ(tree.GetTGR41Cnt(), 0);
  Pick(kVarEnergyTss);
  Press(301);
  ASSERT_EQ(tree.GetTGR41Cnt(), 1);
  EXPECT_EQ(tree.GetChosen()[0], kVarEnergyTss);
  EXPECT_EQ(Row(0).toStdString(), Name(kVarEnergyTss));
  EXPECT_EQ(dlg->Grid()->currentRow(), 1);
}

TEST_F(SelectionDialog, AddInsertDeleteAndDoubleClickEditTheList) {
  Open({kVarBurstNumber, kVarDateTime});
  // Insert on an empty row does nothing.
  Pick(kVarSensorDepth);
  Press(310);
  EXPECT_EQ(tree.GetTGR41Cnt(), 2);
  // Insert at row 0 pushes the rows down.
  dlg->Grid()->setCurrentCell(0, 0);
  Pick(kVarSensorDepth);
  Press(310);
  EXPECT_EQ(tree.GetChosenIds(),
            (std::vector<int>{kVarSensorDepth, kVarBurstNumber, kVarDateTime}));
  EXPECT_EQ(Row(2).toStdString(), Name(kVarDateTime));
  // A double click on a used row replaces its variable.
  dlg->Grid()->setCurrentCell(1, 0);
  Pick(kVarEnergyAs);
  DoubleClick(dlg->TreeItem(tree.FindItem(kVarEnergyAs)));
  EXPECT_EQ(tree.GetChosenIds(), (std::vector<int>{kVarSensorDepth, kVarEnergyAs, kVarDateTime}));
  // Delete at row 0: the rows move up and the tree shows the variable now in that row.
  dlg->Grid()->setCurrentCell(0, 0);
  Press(305);
  EXPECT_EQ(tree.GetChosenIds(), (std::vector<int>{kVarEnergyAs, kVarDateTime}));
  EXPECT_EQ(Row(2), "");
  EXPECT_EQ(dlg->Grid()->item(2, 0)->background().color(), dlg->palette().color(QPalette::Button));
  EXPECT_EQ(dlg->Tree()->currentItem()->data(0, Qt::UserRole + 1).toInt(), kVarEnergyAs);
  // Clicking a grid row shows its variable in the tree.
  dlg->Grid()->setCurrentCell(1, 0);
  EXPECT_EQ(dlg->Tree()->currentItem()->data(0, Qt::UserRole + 1).toInt(), kVarDateTime);
  Press(306);  // Delete All
  EXPECT_EQ(tree.GetTGR41Cnt(), 0);
  EXPECT_EQ(Row(0), "");
  EXPECT_EQ(dlg->Grid()->currentRow(), 0);
}

TEST_F(SelectionDialog, AFullListTakesNoMore) {
  Open(std::vector<int>(17, kVarBurstNumber));
  EXPECT_EQ(tree.GetTGR41Cnt(), 17);
  EXPECT_EQ(dlg->Grid()->currentRow(), 0);  // full: row 0
  Pick(kVarDateTime);
  Press(301);
  EXPECT_EQ(tree.GetChosenIds(), std::vector<int>(17, kVarBurstNumber));
  Press(310);  // no room to insert either
  EXPECT_EQ(tree.GetChosenIds(), std::vector<int>(17, kVarBurstNumber));
  // Adding into the last free row keeps the current row on the last row.
  dlg->Grid()->setCurrentCell(16, 0);
  Press(305);
  EXPECT_EQ(tree.GetTGR41Cnt(), 16);
  dlg->Grid()->setCurrentCell(16, 0);
  Pick(kVarDateTime);
  Press(301);
  EXPECT_EQ(tree.GetChosen()[16], kVarDateTime);
  EXPECT_EQ(dlg->Grid()->currentRow(), 16);
}

TEST_F(SelectionDialog, ExpandAndShrinkFollowTheButtonsAndTheMouse) {
  Open({});
  QTreeWidgetItem* energy = dlg->TreeItem(tree.energy);
  EXPECT_FALSE(energy->isExpanded());
  Press(308);  // Expand All
  EXPECT_TRUE(energy->isExpanded());
  Press(312);  // Shrink All
  EXPECT_FALSE(energy->isExpanded());
  dlg->Tree()->setCurrentItem(energy);
  Press(307);  // Expand
  EXPECT_TRUE(energy->isExpanded());
  Press(311);  // Shrink
  EXPECT_FALSE(energy->isExpanded());
  // A branch the user opens stays open when the dialog shows its state again.
  energy->setExpanded(true);
  Pick(kVarBurstNumber);
  Press(301);
  EXPECT_TRUE(energy->isExpanded());
}

TEST_F(SelectionDialog, OkAndCancelCloseTheDialog) {
  Open({kVarDateTime});
  Press(1);
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  Open({kVarDateTime});
  Press(2);
  EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

}  // namespace
}  // namespace tidora::ui
