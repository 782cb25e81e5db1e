#include "platform/ui/qt_interaction.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>

namespace tidora::ui {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QMessageBox::Icon BoxIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::Warning:
      return QMessageBox::Warning;
    case MsgIcon::Error:
      return QMessageBox::Critical;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

struct ButtonSet {
  std::vector<std::pair<QMessageBox::StandardButton, MsgAnswer>> buttons;
  QMessageBox::StandardButton escape;
};

ButtonSet Buttons(MsgButtons b) {
  using B = QMessageBox;
  switch (b) {
    case MsgButtons::Ok:
      return {{{B::Ok, MsgAnswer::Ok}}, B::Ok};
    case MsgButtons::OkCancel:
      return {{{B::Ok, MsgAnswer::Ok}, {B::Cancel, MsgAnswer::Cancel}}, B::Cancel};
    case MsgButtons::YesNo:
      return {{{B::Yes, MsgAnswer::Yes}, {B::No, MsgAnswer::No}}, B::No};
    case MsgButtons::YesNoCancel:
      return {{{B::Yes, MsgAnswer::Yes}, {B::No, MsgAnswer::No}, {B::Cancel, MsgAnswer::Cancel}},
              B::Cancel};
    case MsgButtons::RetryCancel:
      return {{{B::Retry, MsgAnswer::Retry}, {B::Cancel, MsgAnswer::Cancel}}, B::Cancel};
    case MsgButtons::AbortRetryIgnore:
      return {{{B::Abort, MsgAnswer::Abort},
               {B::Retry, MsgAnswer::Retry},
               {B::Ignore, MsgAnswer::Ignore}},
              B::Abort};
  }
  return {{{B::Ok, MsgAnswer::Ok}}, B::Ok};
}

}  // namespace

QtInteraction::QtInteraction(QWidget* parent) : QObject(parent), window_(parent) {}

template <class Fn>
void QtInteraction::OnGuiThread(Fn&& fn) {
  if (!qApp || QThread::currentThread() == qApp->thread()) {
    fn();
  } else {
    // This object lives on the GUI thread, so the call runs there; the worker waits.
    QMetaObject::invokeMethod(this, std::forward<Fn>(fn), Qt::BlockingQueuedConnection);
  }
}

MsgAnswer QtInteraction::Message(const std::string& text, const std::string& caption, MsgIcon icon,
                                 MsgButtons buttons) {
  MsgAnswer answer = SafeAnswer(buttons);
  OnGuiThread([&] {
    QMessageBox box(BoxIcon(icon), Q(caption), Q(text), QMessageBox::NoButton, window_);
    ButtonSet set = Buttons(buttons);
    for (const auto& [sb, a] : set.buttons) box.addButton(sb);
    box.setEscapeButton(set.escape);
    box.exec();
    auto clicked = box.standardButton(box.clickedButton());
    for (const auto& [sb, a] : set.buttons) {
      if (sb == clicked) answer = a;
    }
  });
  return answer;
}

int QtInteraction::Choose(const std::string& text, const std::string& caption,
                          const std::vector<std::string>& buttons) {
  int chosen = -1;
  OnGuiThread([&] {
    QMessageBox box(QMessageBox::Question, Q(caption), Q(text), QMessageBox::NoButton, window_);
    std::vector<QAbstractButton*> made;
    for (const auto& b : buttons) made.push_back(box.addButton(Q(b), QMessageBox::ActionRole));
    box.exec();
    for (size_t i = 0; i < made.size(); ++i) {
      if (box.clickedButton() == made[i]) chosen = static_cast<int>(i);
    }
  });
  return chosen;
}

void QtInteraction::Status(const std::string& text) {
  OnGuiThread([&] {
    if (statusLabel_) statusLabel_->setText(Q(text));
    if (statusBar_) statusBar_->showMessage(Q(text));
  });
}

void QtInteraction::ProgressRange(int low, int high) {
  OnGuiThread([&] {
    if (progress_) progress_->setRange(low, high);
  });
}

void QtInteraction::ProgressPos(int pos) {
  OnGuiThread([&] {
    if (progress_) progress_->setValue(pos);
  });
}

QString FilterText(const FileRequest& request) {
  QStringList parts;
  for (const auto& f : request.filters) {
    QStringList patterns;
    for (const auto& p : f.patterns) patterns << Q(p);
    parts << Q(f.description) + " (" + patterns.join(' ') + ")";
  }
  return parts.join(";;");
}

std::vector<std::string> QtInteraction::ChooseFiles(const FileRequest& request) {
  std::vector<std::string> files;
  OnGuiThread([&] {
    QFileDialog dlg(window_, Q(request.title), Q(request.initialDir), FilterText(request));
    if (!request.initialName.empty()) dlg.selectFile(Q(request.initialName));
    if (!request.defaultExtension.empty()) dlg.setDefaultSuffix(Q(request.defaultExtension));
    switch (request.mode) {
      case FileRequest::kOpen:
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        break;
      case FileRequest::kOpenMultiple:
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFiles);
        break;
      case FileRequest::kSave:
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        break;
    }
    if (dlg.exec() == QDialog::Accepted) {
      for (const QString& f : dlg.selectedFiles()) files.push_back(f.toStdString());
    }
  });
  return files;
}

std::optional<std::string> QtInteraction::ChooseFolder(const std::string& title,
                                                       const std::string& initial) {
  std::optional<std::string> folder;
  OnGuiThread([&] {
    QString dir = QFileDialog::getExistingDirectory(window_, Q(title), Q(initial));
    if (!dir.isEmpty()) folder = dir.toStdString();
  });
  return folder;
}

}  // namespace tidora::ui
