#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace tidora::ui {

// Help topics the programs open, and the contents page.
inline constexpr int kHelpContents = 0;
inline constexpr int kHelpLauncher = 100;
inline constexpr int kHelpModules = 106;
inline constexpr int kHelpPlanDeployment = 500;
inline constexpr int kHelpQuaylink = 1000;
inline constexpr int kHelpQuaylinkConfigure = 1010;
inline constexpr int kHelpQuaylinkDateTime = 1020;
inline constexpr int kHelpConvertHex = 1500;
inline constexpr int kHelpEndurance = 2000;

// The page of a topic in the help shipped with the programs; the contents page for a topic
// that has no page of its own.
QString HelpPageUrl(int topic);
bool HasHelpPage(int topic);

// A window that shows the help pages, with links between them.
class HelpBrowser : public QDialog {
  Q_OBJECT
 public:
  explicit HelpBrowser(QWidget* parent = nullptr);
  void ShowTopic(int topic);
  int topic() const { return topic_; }
  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
  int topic_ = kHelpContents;
};

// Opens (or brings forward) the help window of `owner` at a topic; it does not block.
HelpBrowser* ShowHelp(QWidget* owner, int topic);

}  // namespace tidora::ui
