#include "platform/ui/help_browser.h"

#include <QFile>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

static void InitHelpResources() {
  Q_INIT_RESOURCE(help);
}

namespace tidora::ui {

namespace {

QString PagePath(int topic) {
  return topic == kHelpContents ? QStringLiteral(":/help/contents.html")
                                : QStringLiteral(":/help/topic_%1.html").arg(topic);
}

}  // namespace

bool HasHelpPage(int topic) {
  InitHelpResources();
  return QFile::exists(PagePath(topic));
}

QString HelpPageUrl(int topic) {
  return "qrc" + (HasHelpPage(topic) ? PagePath(topic) : PagePath(kHelpContents));
}

HelpBrowser::HelpBrowser(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
  setObjectName("helpBrowser");
  setWindowTitle("Tidora for Waves Help");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_);
  browser_->setOpenLinks(true);
  resize(560, 480);
}

void HelpBrowser::ShowTopic(int topic) {
  topic_ = HasHelpPage(topic) ? topic : kHelpContents;
  browser_->setSource(QUrl(HelpPageUrl(topic)));
}

HelpBrowser* ShowHelp(QWidget* owner, int topic) {
  auto* help =
      owner ? owner->findChild<HelpBrowser*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
  if (!help) help = new HelpBrowser(owner);
  help->ShowTopic(topic);
  help->show();
  help->raise();
  return help;
}

}  // namespace tidora::ui
