#pragma once

#include <QDialog>
#include <QIcon>
#include <QPixmap>

namespace tidora::ui {

inline constexpr const char* kSuiteName = "Tidora for Waves";
inline constexpr const char* kSuiteVersion = "Version 1.14";

// The suite's icon, drawn in code: a wave crest over a recorder.
QIcon AppIcon();
QPixmap AppIconPixmap(int size);

// The About box: icon, "Tidora for Waves, Version 1.14", the maker and year, contact lines, OK.
class AboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit AboutBox(QWidget* parent = nullptr);
};

// Identifiers of the About box's controls.
inline constexpr int kIdAboutIcon = 1;
inline constexpr int kIdAboutTitle = 2;
inline constexpr int kIdAboutMaker = 3;
inline constexpr int kIdAboutContact = 4;
inline constexpr int kIdAboutOk = 5;

}  // namespace tidora::ui
