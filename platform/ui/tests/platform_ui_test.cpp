#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <thread>

#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"
#include "platform/ui/qt_interaction.h"
#include "platform/ui/tests/gui_test_support.h"

namespace tidora::ui {
namespace {

class PlatformUi : public ::testing::Test {
 protected:
  void SetUp() override { tidora::testing::EnsureApplication(); }
};

TEST_F(PlatformUi, MessageBoxShowsTheExactTextsAndReturnsTheButtonPressed) {
  QWidget window;
  QtInteraction ui(&window);
  QString text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  tidora::testing::HandleNextModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    text = box->text();
    caption = box->windowTitle();
    icon = box->icon();
    box->button(QMessageBox::No)->click();
  });
  MsgAnswer a = ui.Message("Is it OK to overwrite a.was?", "Overwrite", MsgIcon::Warning,
                           MsgButtons::YesNoCancel);
  EXPECT_EQ(a, MsgAnswer::No);
  EXPECT_EQ(text, "Is it OK to overwrite a.was?");
  EXPECT_EQ(caption, "Overwrite");
  EXPECT_EQ(icon, QMessageBox::Warning);

  // Escape takes the safe answer.
  tidora::testing::HandleNextModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->reject(); });
  EXPECT_EQ(ui.Message("x", "Error", MsgIcon::Error, MsgButtons::OkCancel), MsgAnswer::Cancel);

  tidora::testing::HandleNextModal([](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    for (auto* b : box->buttons()) {
      if (b->text() == "Rename") b->click();
    }
  });
  EXPECT_EQ(ui.Choose("Exists", "File", {"Overwrite", "Rename"}), 1);
}

TEST_F(PlatformUi, WorkerThreadReportsReachTheWidgetsBeforeTheWorkerGoesOn) {
  QWidget window;
  auto* status = new QLabel(&window);
  auto* bar = new QProgressBar(&window);
  QtInteraction ui(&window);
  ui.SetStatusLabel(status);
  ui.SetProgressBar(bar);

  std::atomic<bool> done{false};
  QString seenAfterStatus;
  int seenAfterPos = -1;
  std::thread worker([&] {
    ui.Status("Converting file...");
    // Blocking: the label already shows the text when the call returns.
    QMetaObject::invokeMethod(
        status, [&] { seenAfterStatus = status->text(); }, Qt::BlockingQueuedConnection);
    ui.ProgressRange(0, 500);
    ui.ProgressPos(300);
    QMetaObject::invokeMethod(
        bar, [&] { seenAfterPos = bar->value(); }, Qt::BlockingQueuedConnection);
    done = true;
  });
  EXPECT_TRUE(tidora::testing::WaitFor([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(seenAfterStatus, "Converting file...");
  EXPECT_EQ(seenAfterPos, 300);
  EXPECT_EQ(bar->maximum(), 500);
}

TEST_F(PlatformUi, ControlsAreFoundByTheirIdentifier) {
  QDialog dlg;
  DialogBuilder b(&dlg);
  b.AddRow(b.Label(101, "Water Depth (meters)"), b.Edit(102, "20.0"));
  b.AddWide(b.Check(103, "Auto start"));
  auto* action = new QAction("&Run", &dlg);
  SetControlId(action, 32804);
  ASSERT_NE(findControl<QLineEdit>(&dlg, 102), nullptr);
  EXPECT_EQ(findControl<QLineEdit>(&dlg, 102)->text(), "20.0");
  EXPECT_EQ(findControl<QLabel>(&dlg, 101)->text(), "Water Depth (meters)");
  EXPECT_EQ(findControl<QLineEdit>(&dlg, 101), nullptr);  // a label, not an edit
  EXPECT_EQ(findControl(&dlg, 999), nullptr);
  EXPECT_EQ(findCommand(&dlg, 32804), action);
  EXPECT_EQ(ControlId(&dlg), -1);
}

TEST_F(PlatformUi, EveryTopicTheProgramsOpenHasAPage) {
  for (int topic : {kHelpContents, kHelpLauncher, kHelpModules, kHelpPlanDeployment,
                    kHelpConvertHex, kHelpEndurance}) {
    EXPECT_TRUE(HasHelpPage(topic)) << topic;
  }
  EXPECT_FALSE(HasHelpPage(4711));

  QWidget owner;
  HelpBrowser* help = ShowHelp(&owner, kHelpPlanDeployment);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->topic(), kHelpPlanDeployment);
  EXPECT_TRUE(help->browser()->toPlainText().contains("Spectral Estimates per Band"));
  // The same window is reused; an unknown topic shows the contents.
  EXPECT_EQ(ShowHelp(&owner, 4711), help);
  EXPECT_EQ(help->topic(), kHelpContents);
  EXPECT_TRUE(help->browser()->toPlainText().contains("Plan Deployment"));
}

}  // namespace
}  // namespace tidora::ui
