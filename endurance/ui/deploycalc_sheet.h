#pragma once

#include <QDialog>
#include <QMap>
#include <memory>
#include <vector>

#include "endurance/endurance_pages.h"

class QPushButton;
class QTabWidget;

namespace tidora::ui {

// Control identifiers: each page control is kIdPageControl + its EnduranceControl value, its
// label kIdPageLabel + the same value; then the sheet's own buttons and menu commands.
inline constexpr int kIdPageControl = 1000;
inline constexpr int kIdPageLabel = 1100;
inline constexpr int kIdCalculate = 1200;
inline constexpr int kIdSheetHelp = 9;
inline constexpr int kIdSheetExit = 2;
inline constexpr int kIdTabs = 1201;
inline constexpr int kCmdSheetExit = 57665;
inline constexpr int kCmdSheetHelpContents = 57607;
inline constexpr int kCmdSheetHelpTopic = 57608;
inline constexpr int kCmdSheetAbout = 57664;

inline int PageControlId(EnduranceControl c) {
  return kIdPageControl + static_cast<int>(c);
}
inline int PageLabelId(EnduranceControl c) {
  return kIdPageLabel + static_cast<int>(c);
}

// One page of the sheet: a widget per control of the page model, kept in step with it.
class EndurancePageWidget : public QWidget {
  Q_OBJECT
 public:
  EndurancePageWidget(std::unique_ptr<CDPCPageBase> page, QWidget* parent = nullptr);
  CDPCPageBase& page() const { return *page_; }
  // Shows the model's texts, checks, selections and enabled states.
  void Refresh();

 private:
  std::unique_ptr<CDPCPageBase> page_;
  QMap<int, QWidget*> widgets_;  // by EnduranceControl value
  QMap<int, QWidget*> labels_;
};

// "Battery and Memory Endurance": one page per instrument type, a menu, Calculate, Help, Exit.
// Enter presses Calculate; Exit closes the sheet as Cancel would.
class DeploycalcSheet : public QDialog {
  Q_OBJECT
 public:
  explicit DeploycalcSheet(Interaction& ui, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  EndurancePageWidget* pageWidget(int index) const { return pages_.at(index); }
  EndurancePageWidget* activePage() const;
  void Calculate();

 private:
  QTabWidget* tabs_;
  std::vector<EndurancePageWidget*> pages_;
};

}  // namespace tidora::ui
