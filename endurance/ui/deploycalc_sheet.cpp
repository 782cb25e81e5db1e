#include "endurance/ui/deploycalc_sheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/ui/about_box.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"

namespace tidora::ui {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

EndurancePageWidget::EndurancePageWidget(std::unique_ptr<CDPCPageBase> page, QWidget* parent)
    : QWidget(parent), page_(std::move(page)) {
  DialogBuilder b(this);
  const int wide = DialogUnitsX(this, 76);
  for (const PageControl& c : page_->Controls()) {
    const EnduranceControl id = c.id;
    const int key = static_cast<int>(id);
    switch (c.kind) {
      case ControlKind::kEntry: {
        QLabel* label = b.Label(PageLabelId(id), Q(c.caption));
        QLineEdit* edit = b.Edit(PageControlId(id));
        edit->setFixedWidth(wide);
        connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& text) {
          page_->SetEntryText(id, text.toStdString());
          Refresh();
        });
        b.AddRow(label, edit);
        labels_[key] = label;
        widgets_[key] = edit;
        break;
      }
      case ControlKind::kList: {
        QLabel* label = b.Label(PageLabelId(id), Q(c.caption));
        QComboBox* combo = b.Combo(PageControlId(id));
        combo->setFixedWidth(wide);
        for (const std::string& item : c.items) combo->addItem(Q(item));
        connect(combo, &QComboBox::activated, this, [this, id](int index) {
          page_->SelectListItem(id, index);
          Refresh();
        });
        b.AddRow(label, combo);
        labels_[key] = label;
        widgets_[key] = combo;
        break;
      }
      case ControlKind::kCheck: {
        QCheckBox* box = b.Check(PageControlId(id), Q(c.caption));
        connect(box, &QCheckBox::clicked, this, [this, id](bool on) {
          page_->SetCheck(id, on);
          Refresh();
        });
        b.AddWide(box);
        widgets_[key] = box;
        break;
      }
      case ControlKind::kResult:
      case ControlKind::kNote: {
        QLabel* label = b.Label(PageControlId(id), QString());
        if (c.kind == ControlKind::kNote) {
          label->setWordWrap(true);
          label->setMinimumHeight(DialogUnitsY(this, 36));
          label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        b.AddWide(label);
        widgets_[key] = label;
        break;
      }
    }
  }
  b.grid()->setRowStretch(b.row(), 1);
  b.grid()->setColumnStretch(2, 1);
  page_->SetChangeCallback([this] { Refresh(); });
  Refresh();
}

void EndurancePageWidget::Refresh() {
  for (const PageControl& c : page_->Controls()) {
    QWidget* w = widgets_.value(static_cast<int>(c.id));
    if (!w) continue;
    w->setEnabled(c.enabled);
    if (QWidget* label = labels_.value(static_cast<int>(c.id))) label->setEnabled(c.enabled);
    switch (c.kind) {
      case ControlKind::kEntry: {
        auto* edit = static_cast<QLineEdit*>(w);
        QString text = Q(c.entry.GetText());
        if (edit->text() != text) edit->setText(text);  // keeps the cursor while typing
        break;
      }
      case ControlKind::kList: {
        auto* combo = static_cast<QComboBox*>(w);
        if (combo->count() != static_cast<int>(c.items.size())) {
          combo->clear();
          for (const std::string& item : c.items) combo->addItem(Q(item));
        }
        combo->setCurrentIndex(c.selection);
        break;
      }
      case ControlKind::kCheck:
        static_cast<QCheckBox*>(w)->setChecked(c.checked);
        break;
      case ControlKind::kResult:
      case ControlKind::kNote:
        static_cast<QLabel*>(w)->setText(Q(c.text));
        break;
    }
  }
}

DeploycalcSheet::DeploycalcSheet(Interaction& ui, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Battery and Memory Endurance");
  setWindowIcon(AppIcon());
  setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);

  auto* menu = new QMenuBar(this);
  QMenu* file = menu->addMenu("&File");
  QAction* exitCmd = file->addAction("E&xit");
  SetControlId(exitCmd, kCmdSheetExit);
  QMenu* help = menu->addMenu("&Help");
  QAction* contents = help->addAction("&Contents and Index...");
  SetControlId(contents, kCmdSheetHelpContents);
  QAction* topic = help->addAction("Current &Topic...");
  SetControlId(topic, kCmdSheetHelpTopic);
  help->addSeparator();
  QAction* about = help->addAction("&About Tidora for Waves...");
  SetControlId(about, kCmdSheetAbout);

  tabs_ = new QTabWidget(this);
  SetControlId(tabs_, kIdTabs);
  for (int type : kEndurancePageOrder) {
    auto* w = new EndurancePageWidget(MakeEndurancePage(type, ui), tabs_);
    pages_.push_back(w);
    tabs_->addTab(w, Q(w->page().GetTitle()));
  }

  auto* calc = new QPushButton("Calculate", this);
  SetControlId(calc, kIdCalculate);
  auto* helpButton = new QPushButton("Help", this);
  SetControlId(helpButton, kIdSheetHelp);
  auto* exit = new QPushButton("Exit", this);
  SetControlId(exit, kIdSheetExit);
  // Enter presses Calculate, never a button that would close the sheet.
  calc->setDefault(true);
  helpButton->setAutoDefault(false);
  exit->setAutoDefault(false);
  calc->setMinimumWidth(exit->sizeHint().width() * 3 / 2);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(calc);
  buttons->addStretch(1);
  buttons->addWidget(helpButton);
  buttons->addWidget(exit);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menu);
  layout->addWidget(tabs_);
  layout->addLayout(buttons);

  connect(calc, &QPushButton::clicked, this, &DeploycalcSheet::Calculate);
  auto showTopic = [this] { ShowHelp(this, kHelpEndurance); };
  connect(helpButton, &QPushButton::clicked, this, showTopic);
  connect(topic, &QAction::triggered, this, showTopic);
  connect(contents, &QAction::triggered, this, [this] { ShowHelp(this, kHelpContents); });
  connect(about, &QAction::triggered, this, [this] {
    AboutBox box(this);
    box.exec();
  });
  connect(exit, &QPushButton::clicked, this, &QDialog::reject);
  connect(exitCmd, &QAction::triggered, this, &QDialog::reject);
}

EndurancePageWidget* DeploycalcSheet::activePage() const {
  int i = tabs_->currentIndex();
  return i >= 0 && i < static_cast<int>(pages_.size()) ? pages_[i] : nullptr;
}

void DeploycalcSheet::Calculate() {
  if (EndurancePageWidget* p = activePage()) {
    p->page().Calculate();
    p->Refresh();
  }
}

}  // namespace tidora::ui
