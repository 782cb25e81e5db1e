#pragma once

// The variable selection dialog: the chosen variables in a one-column grid beside the tree of
// the variables that can be chosen. It shows a CTGR41Selection and forwards its buttons to it;
// the module's selection class fills the tree.

#include <QDialog>

#include "datafile/tgr41select.h"

class QTableWidget;
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
  // The grid, the two button columns, the tree and OK/Cancel.
  void BuildTGR41Dlg(int rows);
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
