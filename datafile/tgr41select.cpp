#include "datafile/tgr41select.h"

#include <algorithm>

#include "datafile/tgr41file.h"

namespace tidora {

void CTGR41Selection::SetChosen(const std::vector<int>& ids) {
  chosen_.fill(-1);
  for (size_t i = 0; i < ids.size() && i < chosen_.size(); ++i) chosen_[i] = ids[i];
}

void CTGR41Selection::Open() {
  items_.clear();
  selected_ = kNoItem;
  BuildTGR41Tree();
  SelectItem(FindItem(initialId_));
  count_ = 0;
  while (count_ < kMaxChosen && chosen_[static_cast<size_t>(count_)] >= 0) ++count_;
  // Entries after the first empty one are no part of the list.
  for (int i = count_; i < kMaxChosen; ++i) chosen_[static_cast<size_t>(i)] = -1;
  currentRow_ = count_ < kMaxChosen ? count_ : 0;
}

int CTGR41Selection::AddTGR41(int id, int parent) {
  TreeItem item;
  item.id = id;
  if (IsPerCalculationType(id))
    GetDataNameFromIDNoUnits(item.text, id);
  else
    GetDataNameFromID(item.text, id);
  item.parent = ValidItem(parent) ? parent : kNoItem;
  const int index = static_cast<int>(items_.size());
  items_.push_back(std::move(item));
  if (ValidItem(parent)) items_[static_cast<size_t>(parent)].children.push_back(index);
  return index;
}

void CTGR41Selection::AddCalcType(int firstId, int parent) {
  const std::pair<int, const char*> kinds[] = {{firstId, "Wave burst auto spectrum"},
                                               {firstId + 1, "Wave time series"}};
  for (auto [id, text] : kinds) {
    const int index = AddTGR41(id, parent);
    items_[static_cast<size_t>(index)].text = text;
  }
}

std::vector<int> CTGR41Selection::GetChosenIds() const {
  std::vector<int> ids;
  for (int id : chosen_) {
    if (id < 0) break;
    ids.push_back(id);
  }
  return ids;
}

void CTGR41Selection::SetCurrentRow(int row) {
  if (row >= 0 && row < kMaxChosen) currentRow_ = row;
}

std::string CTGR41Selection::GetRowText(int row) const {
  std::string text;
  if (row >= 0 && row < count_) GetDataNameFromID(text, chosen_[static_cast<size_t>(row)]);
  return text;
}

void CTGR41Selection::SetTreeItemFromGrid(int row) {
  if (row < 0 || row >= count_) return;
  const int item = FindItem(chosen_[static_cast<size_t>(row)]);
  if (item != kNoItem) SelectItem(item);
}

std::vector<int> CTGR41Selection::RootItems() const {
  std::vector<int> roots;
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].parent == kNoItem) roots.push_back(static_cast<int>(i));
  return roots;
}

int CTGR41Selection::FindItem(int id) const {
  // A leaf first: a heading that carries the same identifier as its first child is no choice.
  int heading = kNoItem;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].id != id) continue;
    if (items_[i].children.empty()) return static_cast<int>(i);
    if (heading == kNoItem) heading = static_cast<int>(i);
  }
  return heading;
}

void CTGR41Selection::SelectItem(int item) {
  selected_ = ValidItem(item) ? item : kNoItem;
  // Selecting an item shows it: its ancestors open.
  for (int p = ValidItem(item) ? items_[static_cast<size_t>(item)].parent : kNoItem; ValidItem(p);
       p = items_[static_cast<size_t>(p)].parent)
    items_[static_cast<size_t>(p)].expanded = true;
}

void CTGR41Selection::SetExpanded(int item, bool expanded) {
  if (IsHeading(item)) items_[static_cast<size_t>(item)].expanded = expanded;
}

bool CTGR41Selection::IsHeading(int item) const {
  return ValidItem(item) && !items_[static_cast<size_t>(item)].children.empty();
}

int CTGR41Selection::ChosenVariable() const {
  if (!ValidItem(selected_) || IsHeading(selected_)) return -1;
  return items_[static_cast<size_t>(selected_)].id;
}

void CTGR41Selection::Add() {
  const int id = ChosenVariable();
  if (id < 0 || count_ >= kMaxChosen) return;
  chosen_[static_cast<size_t>(count_++)] = id;
  if (currentRow_ < kMaxChosen - 1) ++currentRow_;
}

void CTGR41Selection::Insert() {
  const int id = ChosenVariable();
  // A full list has no room: inserting would push its last variable out unseen.
  if (id < 0 || currentRow_ >= count_ || count_ >= kMaxChosen) return;
  for (int i = count_; i > currentRow_; --i)
    chosen_[static_cast<size_t>(i)] = chosen_[static_cast<size_t>(i - 1)];
  chosen_[static_cast<size_t>(currentRow_)] = id;
  ++count_;
}

void CTGR41Selection::Delete() {
  if (currentRow_ >= count_) return;
  for (int i = currentRow_; i < count_ - 1; ++i)
    chosen_[static_cast<size_t>(i)] = chosen_[static_cast<size_t>(i + 1)];
  chosen_[static_cast<size_t>(--count_)] = -1;
  SetTreeItemFromGrid(currentRow_);
}

void CTGR41Selection::DeleteAll() {
  chosen_.fill(-1);
  count_ = 0;
  currentRow_ = 0;
}

void CTGR41Selection::DoubleClick() {
  const int id = ChosenVariable();
  if (id < 0) return;
  if (currentRow_ < count_)
    chosen_[static_cast<size_t>(currentRow_)] = id;
  else
    Add();
}

void CTGR41Selection::ShrinkAll() {
  for (int root : RootItems()) items_[static_cast<size_t>(root)].expanded = false;
}

void CTGR41Selection::ExpandAll() {
  for (int root : RootItems()) ExpandBranch(root);
}

void CTGR41Selection::Shrink() {
  if (ValidItem(selected_)) items_[static_cast<size_t>(selected_)].expanded = false;
}

void CTGR41Selection::Expand() {
  if (ValidItem(selected_)) ExpandBranch(selected_);
}

void CTGR41Selection::ExpandBranch(int item) {
  TreeItem& it = items_[static_cast<size_t>(item)];
  if (!it.children.empty()) it.expanded = true;
  for (int child : it.children) ExpandBranch(child);
}

}  // namespace tidora
