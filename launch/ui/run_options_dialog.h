#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;

namespace tidora::ui {

enum RunOptionsControl {
  kIdOptionsLabel = 101,
  kIdOptionsEdit = 102,
  kIdAutoStart = 103,
  kIdRunMinimized = 104,
  kIdOptionsOk = 1,
  kIdOptionsCancel = 2,
};

struct RunOptions {
  std::string options;
  bool autoStart = false;
  bool runMinimized = false;
};

// "Run Options": the option string handed to the modules, "Auto start" and "Run minimized"
// (shown only while "Auto start" is checked).
class RunOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  RunOptionsDialog(const RunOptions& current, QWidget* parent = nullptr);
  // The values to store after OK: the option string with a blank in front, so that its first
  // switch counts as one.
  RunOptions Result() const;

 private:
  QLineEdit* edit_;
  QCheckBox* autoStart_;
  QCheckBox* minimized_;
};

}  // namespace tidora::ui
