#include "launch/ui/run_options_dialog.h"

#include "platform/ui/dialog_builder.h"

namespace tidora::ui {

RunOptionsDialog::RunOptionsDialog(const RunOptions& current, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Run Options");
  DialogBuilder b(this);
  edit_ = b.Edit(kIdOptionsEdit, QString::fromStdString(current.options), 200);
  b.AddRow(b.Label(kIdOptionsLabel, "Options"), edit_);
  autoStart_ = b.Check(kIdAutoStart, "Auto start");
  minimized_ = b.Check(kIdRunMinimized, "Run minimized");
  b.AddWide(autoStart_);
  b.AddWide(minimized_);
  auto* ok = b.Button(kIdOptionsOk, "OK");
  auto* cancel = b.Button(kIdOptionsCancel, "Cancel");
  ok->setDefault(true);
  b.AddButtonRow({ok, cancel});
  autoStart_->setChecked(current.autoStart);
  minimized_->setChecked(current.runMinimized);
  minimized_->setVisible(current.autoStart);
  connect(autoStart_, &QCheckBox::toggled, minimized_, &QWidget::setVisible);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

RunOptions RunOptionsDialog::Result() const {
  return {" " + edit_->text().toStdString(), autoStart_->isChecked(), minimized_->isChecked()};
}

}  // namespace tidora::ui
