#include "datafile/ui/tgr41_dialog.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "datafile/tgr41file.h"
#include "platform/ui/dialog_builder.h"

namespace tidora::ui {

namespace {

constexpr int kMaxVisibleRows = 17;

QPushButton* MakeButton(QWidget* parent, int id, const char* text) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  SetControlId(b, id);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

CTGR41Dlg::CTGR41Dlg(CTGR41Selection& selection, QWidget* parent)
    : QDialog(parent), selection_(selection) {
  setWindowTitle(QString::fromStdString(selection_.GetTitle()));
  selection_.Open();
  BuildTGR41Dlg(selection_.GetNumberRows());
  FillTree();
  Refresh();
}

void CTGR41Dlg::BuildTGR41Dlg(int rows) {
  rows = std::clamp(rows, 1, CTGR41Selection::kMaxChosen);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(DialogUnitsX(this, 8), DialogUnitsY(this, 6), DialogUnitsX(this, 8),
                             DialogUnitsY(this, 6));
  const int gridWidth = BuildGrid(layout, rows);
  layout->addLayout(
      ButtonColumn({{CTGR41Selection::kIdAdd, "&Add", &CTGR41Selection::Add},
                    {CTGR41Selection::kIdDelete, "&Delete", &CTGR41Selection::Delete},
                    {CTGR41Selection::kIdInsert, "&Insert", &CTGR41Selection::Insert},
                    {CTGR41Selection::kIdDeleteAll, "D&elete All", &CTGR41Selection::DeleteAll}}),
      0, 1);

  const int rowHeight = grid_->verticalHeader()->defaultSectionSize();
  const int headingHeight = grid_->horizontalHeader()->sizeHint().height();
  tree_ = new QTreeWidget(this);
  SetControlId(tree_, CTGR41Selection::kIdTree);
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);  // buttons and lines at the root
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setMinimumWidth(std::max(gridWidth - DialogUnitsX(this, 40), DialogUnitsX(this, 80)));
  tree_->setMinimumHeight(15 * rowHeight + headingHeight);
  layout->addWidget(tree_, 0, 2);
  layout->addLayout(
      ButtonColumn({{CTGR41Selection::kIdShrinkAll, "&Shrink All", &CTGR41Selection::ShrinkAll},
                    {CTGR41Selection::kIdExpandAll, "&Expand All", &CTGR41Selection::ExpandAll},
                    {CTGR41Selection::kIdShrink, "S&hrink", &CTGR41Selection::Shrink},
                    {CTGR41Selection::kIdExpand, "E&xpand", &CTGR41Selection::Expand}}),
      0, 3);

  QPushButton* ok = MakeButton(this, kIdOk, "OK");
  QPushButton* cancel = MakeButton(this, kIdCancel, "Cancel");
  ok->setDefault(true);
  layout->addWidget(ok, 1, 2, Qt::AlignRight);
  layout->addWidget(cancel, 1, 3);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  ConnectViews();
}

int CTGR41Dlg::BuildGrid(QGridLayout* layout, int rows) {
  grid_ = new QTableWidget(rows, 1, this);
  SetControlId(grid_, CTGR41Selection::kIdGrid);
  grid_->setHorizontalHeaderLabels({"Variable Name [unit]"});
  QStringList rowNames;
  for (int r = 0; r < rows; ++r) rowNames << QString::number(r + 1);
  grid_->setVerticalHeaderLabels(rowNames);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid_->horizontalHeader()->setStretchLastSection(true);
  for (int r = 0; r < rows; ++r) grid_->setItem(r, 0, new QTableWidgetItem);
  // The corner names the row headings; the table draws it as a plain button, so it is painted
  // here as a heading with its text.
  if (auto* corner = grid_->findChild<QAbstractButton*>()) {
    corner->setText("Col. #");
    corner->installEventFilter(this);
    grid_->verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance("Col. #") +
                                             DialogUnitsX(this, 8));
  }
  // Wide enough for the longest variable name the tree offers.
  int nameWidth = fontMetrics().horizontalAdvance("Variable Name [unit]");
  for (const auto& item : selection_.Items()) {
    std::string name;
    if (item.children.empty()) GetDataNameFromID(name, item.id);
    nameWidth = std::max(nameWidth, fontMetrics().horizontalAdvance(QString::fromStdString(name)));
  }
  const int rowHeight = grid_->verticalHeader()->defaultSectionSize();
  const int headingHeight = grid_->horizontalHeader()->sizeHint().height();
  const int gridWidth = grid_->verticalHeader()->minimumWidth() + nameWidth +
                        DialogUnitsX(this, 12) + 2 * grid_->frameWidth();
  grid_->setMinimumWidth(gridWidth);
  grid_->setMinimumHeight(std::min(rows, kMaxVisibleRows) * rowHeight + headingHeight +
                          2 * grid_->frameWidth());
  layout->addWidget(grid_, 0, 0, 2, 1);
  return gridWidth;
}

QVBoxLayout* CTGR41Dlg::ButtonColumn(std::initializer_list<Command> commands) {
  auto* column = new QVBoxLayout;
  for (const Command& c : commands) {
    QPushButton* b = MakeButton(this, c.id, c.text);
    connect(b, &QPushButton::clicked, this, [this, action = c.action] { Act(action); });
    column->addWidget(b);
  }
  column->addStretch(1);
  return column;
}

void CTGR41Dlg::ConnectViews() {
  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (refreshing_ || row < 0) return;
    selection_.SetCurrentRow(row);
    selection_.SetTreeItemFromGrid(row);
    Refresh();
  });
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    if (refreshing_) return;
    selection_.SelectItem(current ? current->data(0, Qt::UserRole).toInt()
                                  : CTGR41Selection::kNoItem);
    Refresh();
  });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    if (refreshing_ || !item) return;
    selection_.SelectItem(item->data(0, Qt::UserRole).toInt());
    Act(&CTGR41Selection::DoubleClick);
  });
  connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (!refreshing_) selection_.SetExpanded(item->data(0, Qt::UserRole).toInt(), true);
  });
  connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
    if (!refreshing_) selection_.SetExpanded(item->data(0, Qt::UserRole).toInt(), false);
  });
}

void CTGR41Dlg::FillTree() {
  refreshing_ = true;
  tree_->clear();
  const auto& items = selection_.Items();
  treeItems_.assign(items.size(), nullptr);
  // Parents come before their children, as the tree was built.
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& item = items[i];
    const int parent = item.parent;
    QTreeWidgetItem* w =
        parent >= 0 && parent < static_cast<int>(i) && treeItems_[static_cast<size_t>(parent)]
            ? new QTreeWidgetItem(treeItems_[static_cast<size_t>(parent)])
            : new QTreeWidgetItem(tree_);
    w->setText(0, QString::fromStdString(item.text));
    w->setData(0, Qt::UserRole, static_cast<int>(i));
    w->setData(0, Qt::UserRole + 1, item.id);
    treeItems_[i] = w;
  }
  refreshing_ = false;
}

QTreeWidgetItem* CTGR41Dlg::TreeItem(int item) const {
  return item >= 0 && item < static_cast<int>(treeItems_.size())
             ? treeItems_[static_cast<size_t>(item)]
             : nullptr;
}

void CTGR41Dlg::Act(void (CTGR41Selection::*action)()) {
  (selection_.*action)();
  Refresh();
}

void CTGR41Dlg::Refresh() {
  refreshing_ = true;
  const QColor used = palette().color(QPalette::Base);
  const QColor empty = palette().color(QPalette::Button);
  for (int r = 0; r < grid_->rowCount(); ++r) {
    QTableWidgetItem* cell = grid_->item(r, 0);
    cell->setText(QString::fromStdString(selection_.GetRowText(r)));
    cell->setBackground(r < selection_.GetTGR41Cnt() ? used : empty);
  }
  grid_->setCurrentCell(std::min(selection_.GetCurrentRow(), grid_->rowCount() - 1), 0);
  const auto& items = selection_.Items();
  for (size_t i = 0; i < items.size(); ++i)
    if (!items[i].children.empty()) treeItems_[i]->setExpanded(items[i].expanded);
  if (QTreeWidgetItem* selected = TreeItem(selection_.GetSelectedItem())) {
    tree_->setCurrentItem(selected);
    tree_->scrollToItem(selected);
  } else {
    tree_->setCurrentItem(nullptr);
    tree_->clearSelection();
  }
  refreshing_ = false;
}

bool CTGR41Dlg::eventFilter(QObject* watched, QEvent* event) {
  auto* corner = qobject_cast<QAbstractButton*>(watched);
  if (corner && event->type() == QEvent::Paint) {
    QStyleOptionHeader option;
    option.initFrom(corner);
    option.state |= QStyle::State_Raised;
    option.rect = corner->rect();
    option.text = corner->text();
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    QStylePainter painter(corner);
    painter.drawControl(QStyle::CE_Header, option);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tidora::ui
