#pragma once

// The variable selection behind the selection dialog: an ordered list of up to 17 chosen
// variables (the dialog's one-column grid) and a tree of the variables that can be chosen.
// Buttons and a double click in the tree move the selected tree variable into the list. The
// dialog shows this state and forwards its buttons here; a module derives and fills the tree
// in BuildTGR41Tree.

#include <array>
#include <string>
#include <vector>

namespace tidora {

// Exported records of the selection; the selection itself does not use them. A variable as a
// module may remember it: its identifier and the file kind it comes from.
struct Stgr41Data {
  int dataId = -1;
  int fileId = -1;
  Stgr41Data& operator=(const Stgr41Data&) = default;
};

// A variable with two calculation types: the auto-spectrum identifier and its time-series
// statistics twin (identifier + 1).
struct Stgr41CalcType {
  int autoSpectrumId = -1;
  int timeSeriesId = -1;
  Stgr41CalcType& operator=(const Stgr41CalcType&) = default;
};

class CTGR41Selection {
 public:
  static constexpr int kMaxChosen = 17;
  static constexpr int kNoItem = -1;
  // Control identifiers of the dialog.
  static constexpr int kIdAdd = 301, kIdTree = 302, kIdDelete = 305, kIdDeleteAll = 306,
                       kIdExpand = 307, kIdExpandAll = 308, kIdGrid = 309, kIdInsert = 310,
                       kIdShrink = 311, kIdShrinkAll = 312;

  struct TreeItem {
    int id = -1;  // variable identifier
    std::string text;
    int parent = kNoItem;
    std::vector<int> children;
    bool expanded = false;
  };

  CTGR41Selection() { chosen_.fill(-1); }
  virtual ~CTGR41Selection() = default;

  // What the dialog opens with: the title, the chosen list (entries past 17 are not taken)
  // and the identifier whose tree item is selected.
  void SetTitle(const std::string& title) { title_ = title; }
  const std::string& GetTitle() const { return title_; }
  void SetChosen(const std::vector<int>& ids);
  void SetdwSelection(int id) { initialId_ = id; }
  int GetdwSelection() const { return initialId_; }

  // Opening: builds the tree, selects the initial identifier's item, counts the leading
  // chosen entries that are not negative and puts the current row on the first empty row
  // (row 0 when the list is full).
  void Open();

  // The module's tree. The base adds nothing.
  virtual void BuildTGR41Tree() {}
  // Adds a variable under `parent` (kNoItem: at the root), named by its long name, or without
  // its calculation type for the variables that have two. Returns the new item.
  int AddTGR41(int id, int parent);
  // Adds "Wave burst auto spectrum" (firstId) and "Wave time series" (firstId + 1) under parent.
  void AddCalcType(int firstId, int parent);
  virtual int GetNumberRows() const { return kMaxChosen; }

  // ---- The chosen list (the grid). ----
  const std::array<int, kMaxChosen>& GetChosen() const { return chosen_; }
  std::vector<int> GetChosenIds() const;  // the leading entries that are not negative
  int GetTGR41Cnt() const { return count_; }
  int GetCurrentRow() const { return currentRow_; }
  void SetCurrentRow(int row);
  // The grid's text of a row: the variable's long name, or empty.
  std::string GetRowText(int row) const;
  // Selects the tree item of the grid row's variable.
  void SetTreeItemFromGrid(int row);

  // ---- The tree. ----
  const std::vector<TreeItem>& Items() const { return items_; }
  std::vector<int> RootItems() const;
  int FindItem(int id) const;  // first item with that identifier; kNoItem when none
  int GetSelectedItem() const { return selected_; }
  void SelectItem(int item);
  // The user opened or closed a branch in the tree.
  void SetExpanded(int item, bool expanded);
  // True for an item that has children: a heading, which cannot be chosen.
  bool IsHeading(int item) const;

  // ---- Buttons. The chosen variable is the tree's selected item; for the buttons that choose
  // (Add, Insert, double click) a heading or no selection does nothing. ----
  void Add();
  void Insert();
  void Delete();
  void DeleteAll();
  void DoubleClick();
  void ShrinkAll();
  void ExpandAll();
  void Shrink();
  void Expand();

 private:
  // The identifier of the selected item when it can be chosen, else -1.
  int ChosenVariable() const;
  void ExpandBranch(int item);
  bool ValidItem(int item) const { return item >= 0 && item < static_cast<int>(items_.size()); }

  std::string title_;
  std::array<int, kMaxChosen> chosen_{};
  int count_ = 0;
  int currentRow_ = 0;
  int initialId_ = -1;
  std::vector<TreeItem> items_;
  int selected_ = kNoItem;
};

}  // namespace tidora
