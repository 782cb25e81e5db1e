#include "terminal/ui/terminal_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/ui/about_box.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"
#include "recorder/instrument.h"
#include "terminal/terminal_window.h"

namespace tidora::ui {

QString AboutLine() {
  return QString::asprintf(kAboutFormat, kProgramVersion);
}

ConfigureDialog::ConfigureDialog(const CommSettings& settings, QWidget* parent)
    : QDialog(parent), model_(settings) {
  setWindowTitle("QuaylinkW Configuration");
  auto* layout = new QVBoxLayout(this);
  tgr41_ = new QRadioButton("TGR 41", this);
  tgr41plus_ = new QRadioButton("TGR 41plus, TGR 77BPR", this);
  binary_ = new QCheckBox("Binary upload", this);
  SetControlId(tgr41_, IDC_RADIO_TGR41);
  SetControlId(tgr41plus_, IDC_RADIO_TGR41PLUS);
  SetControlId(binary_, IDC_CHECK_BINARY);
  auto* family = new QHBoxLayout;
  family->addWidget(tgr41_);
  family->addWidget(tgr41plus_);
  family->addStretch();
  layout->addLayout(family);
  layout->addWidget(binary_);
  auto* heading = new QLabel("   Comm Port            Baud Rate       Upload Baud Rate", this);
  heading->setTextFormat(Qt::PlainText);
  layout->addWidget(heading);
  auto* lists = new QHBoxLayout;
  port_ = new QComboBox(this);
  rate_ = new QComboBox(this);
  upload_ = new QComboBox(this);
  SetControlId(port_, IDC_COMBO_PORT);
  SetControlId(rate_, IDC_COMBO_BAUD);
  SetControlId(upload_, IDC_COMBO_UPLOAD_BAUD);
  for (QComboBox* box : {port_, rate_, upload_}) {
    box->setMinimumWidth(DialogUnitsX(this, 48));
    lists->addWidget(box);
  }
  layout->addLayout(lists);
  auto* ok = new QPushButton("&OK", this);
  auto* help = new QPushButton("&Help", this);
  auto* cancel = new QPushButton("&Cancel", this);
  SetControlId(ok, IDOK);
  SetControlId(help, IDC_HELP);
  SetControlId(cancel, IDCANCEL);
  ok->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(help);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  for (const auto& name : model_.ports) port_->addItem(QString::fromStdString(name));
  Refresh();

  connect(tgr41_, &QRadioButton::toggled, this, [this](bool on) {
    if (refreshing_ || !on) return;
    model_.ChooseTgr41();
    Refresh();
  });
  connect(tgr41plus_, &QRadioButton::toggled, this, [this](bool on) {
    if (refreshing_ || !on) return;
    model_.ChooseTgr41plus();
    Refresh();
  });
  connect(binary_, &QCheckBox::toggled, this, [this](bool on) {
    if (refreshing_) return;
    model_.SetBinary(on);
    Refresh();
  });
  connect(rate_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (refreshing_) return;
    model_.SelectRate(index);
    Refresh();
  });
  connect(upload_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!refreshing_) model_.SelectUpload(index);
  });
  connect(port_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!refreshing_) model_.SelectPort(index);
  });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this,
          [this] { ShowHelp(parentWidget() ? parentWidget() : this, kHelpQuaylinkConfigure); });
}

void ConfigureDialog::FillList(QComboBox* box, const ConfigureDialogModel::List& list) {
  box->clear();
  for (long v : list.items) box->addItem(QString::number(v));
  box->setCurrentIndex(list.selection);
  box->setEnabled(list.enabled);
}

void ConfigureDialog::Refresh() {
  refreshing_ = true;
  tgr41_->setChecked(model_.tgr41Checked);
  tgr41plus_->setChecked(!model_.tgr41Checked);
  binary_->setChecked(model_.binaryChecked);
  binary_->setEnabled(model_.binaryEnabled);
  FillList(rate_, model_.rate);
  FillList(upload_, model_.upload);
  port_->setCurrentIndex(model_.portSelection);
  refreshing_ = false;
  if (!model_.statusModel.empty() && onModel) onModel(model_.statusModel);
}

DateTimeDialog::DateTimeDialog(std::function<void(bool)> setTime, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("DateTime");
  auto* layout = new QVBoxLayout(this);
  auto* utc = new QPushButton("Set UTC Time", this);
  auto* local = new QPushButton("Set Local Time", this);
  status_ = new QLineEdit("Waiting for user selection", this);
  status_->setReadOnly(true);
  status_->setMinimumWidth(DialogUnitsX(this, 140));
  auto* exit = new QPushButton("Exit", this);
  auto* help = new QPushButton("Help", this);
  SetControlId(utc, IDC_BUTTON_SET_UTC_TIME);
  SetControlId(local, IDC_BUTTON_SET_LOCAL_TIME);
  SetControlId(status_, IDC_EDIT_DATETIME_STATUS);
  SetControlId(exit, IDC_BUTTON_EXIT);
  SetControlId(help, IDC_BUTTON_DATETIME_HELP);
  auto* set = new QHBoxLayout;
  set->addWidget(utc);
  set->addWidget(local);
  layout->addLayout(set);
  layout->addWidget(status_);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(exit);
  bottom->addWidget(help);
  layout->addLayout(bottom);
  connect(utc, &QPushButton::clicked, this, [setTime] { setTime(false); });
  connect(local, &QPushButton::clicked, this, [setTime] { setTime(true); });
  connect(exit, &QPushButton::clicked, this, &QDialog::accept);
  connect(help, &QPushButton::clicked, this,
          [this] { ShowHelp(parentWidget() ? parentWidget() : this, kHelpQuaylinkDateTime); });
}

void DateTimeDialog::SetStatus(const std::string& text) {
  status_->setText(QString::fromStdString(text));
}

QString DateTimeDialog::status() const {
  return status_->text();
}

QuaylinkAbout::QuaylinkAbout(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kSuiteName);
  auto* layout = new QHBoxLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIconPixmap(32));
  SetControlId(icon, IDC_ABOUT_ICON);
  auto* line = new QLabel(AboutLine(), this);
  SetControlId(line, IDC_ABOUT_LINE);
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, IDOK);
  ok->setDefault(true);
  layout->addWidget(icon);
  layout->addWidget(line, 1);
  layout->addWidget(ok);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tidora::ui
