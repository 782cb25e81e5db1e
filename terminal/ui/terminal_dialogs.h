#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "terminal/comm_settings.h"

class QRadioButton;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tidora::ui {

// Control identifiers of the terminal's dialogs.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_HELP = 9;
inline constexpr int IDC_RADIO_TGR41 = 1001;
inline constexpr int IDC_RADIO_TGR41PLUS = 1002;
inline constexpr int IDC_CHECK_BINARY = 1003;
inline constexpr int IDC_COMBO_PORT = 1004;
inline constexpr int IDC_COMBO_BAUD = 1005;
inline constexpr int IDC_COMBO_UPLOAD_BAUD = 1006;
inline constexpr int IDC_BUTTON_SET_UTC_TIME = 1010;
inline constexpr int IDC_BUTTON_SET_LOCAL_TIME = 1011;
inline constexpr int IDC_EDIT_DATETIME_STATUS = 1012;
inline constexpr int IDC_BUTTON_EXIT = 1013;
inline constexpr int IDC_BUTTON_DATETIME_HELP = 1014;
inline constexpr int IDC_ABOUT_ICON = 1020;
inline constexpr int IDC_ABOUT_LINE = 1021;

// "QuaylinkW Configuration": the controls mirror a ConfigureDialogModel, which holds the rules.
class ConfigureDialog : public QDialog {
  Q_OBJECT
 public:
  ConfigureDialog(const CommSettings& settings, QWidget* parent = nullptr);
  const ConfigureDialogModel& model() const { return model_; }
  // Status part 2 follows the chosen family while the dialog runs.
  std::function<void(const std::string&)> onModel;

 private:
  void Refresh();
  void FillList(QComboBox* box, const ConfigureDialogModel::List& list);

  ConfigureDialogModel model_;
  QRadioButton* tgr41_;
  QRadioButton* tgr41plus_;
  QCheckBox* binary_;
  QComboBox* port_;
  QComboBox* rate_;
  QComboBox* upload_;
  bool refreshing_ = false;
};

// "DateTime": starts the clock setting and shows how it goes.
class DateTimeDialog : public QDialog {
  Q_OBJECT
 public:
  explicit DateTimeDialog(std::function<void(bool local)> setTime, QWidget* parent = nullptr);
  void SetStatus(const std::string& text);
  QString status() const;

 private:
  QLineEdit* status_;
};

// "Tidora for Waves": the program icon, the About line and OK.
class QuaylinkAbout : public QDialog {
  Q_OBJECT
 public:
  explicit QuaylinkAbout(QWidget* parent = nullptr);
};

// "Tidora for Waves, QuaylinkW Version 1.13"
QString AboutLine();

}  // namespace tidora::ui
