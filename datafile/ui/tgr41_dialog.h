#pragma once

// The variable selection dialog: the chosen variables in a one-column grid beside the tree of
// the variables that can be chosen. It shows a CTGR41Selection and forwards its buttons to it;
// the module's selection class fills the tree.

#include <QDialog>
#include <initializer_list>
#include <vector>

#include "datafile/tgr41select.h"

class QGridLayout;
class QTableWidget;
class QVBoxLayout;
class QTreeWidget;
class QTreeWidgetItem;

namespace tidora::ui {

class CTGR41Dlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kIdOk = 1, kIdCancel = 2;

  // Opens the selection (tree built, initial item selected, count and current row set) and
  // lays the dialog out with the selection's number of rows.
  explicit CTGR41Dlg(CTGR41Selection& selection, QWidget* parent = nullptr);

  CTGR41Selection& Selection() { return selection_; }
  QTableWidget* Grid() const { return grid_; }
  QTreeWidget* Tree() const { return tree_; }
  // The tree widget item of a selection item; nullptr when there is none.
  QTreeWidgetItem* TreeItem(int item) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A button of a button column and the selection's action it runs.
  struct Command {
    int id;
    const char* text;
    void (CTGR41Selection::*action)();
  };
  // The grid, the two button columns, the tree and OK/Cancel.
  void BuildTGR41Dlg(int rows);
  // The grid of `rows` rows, wide enough for every name the tree offers; its width.
  int BuildGrid(QGridLayout* layout, int rows);
  QVBoxLayout* ButtonColumn(std::initializer_list<Command> commands);
  // The grid and the tree follow each other through the selection.
  void ConnectViews();
  void FillTree();
  // Shows the selection's state: grid rows, current cell, expanded branches, selected item.
  void Refresh();
  void Act(void (CTGR41Selection::*action)());

  CTGR41Selection& selection_;
  QTableWidget* grid_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  std::vector<QTreeWidgetItem*> treeItems_;  // by selection item
  bool refreshing_ = false;
};

}  // namespace tidora::ui
