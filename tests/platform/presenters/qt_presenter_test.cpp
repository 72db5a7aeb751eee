// The Qt presenter offscreen: real widgets from a template, typed into and clicked with QTest while the
// dialog runs modally, message boxes as QMessageBox, and a screenshot in the build tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "omraplatform/dialog.h"
#include "omraplatform/presenter.h"

namespace {

enum : int { kName = 101, kLevel = 102, kAsk = 103 };

const DialogControl kControls[] = {
    {IDC_STATIC, ControlKind::Static, "&Name:", SS_LEFT, 7, 9, 40, 8},
    {kName, ControlKind::Edit, "", ES_AUTOHSCROLL, 50, 7, 100, 12},
    {IDC_STATIC, ControlKind::Static, "&Level:", SS_LEFT, 7, 25, 40, 8},
    {kLevel, ControlKind::Edit, "", ES_NUMBER, 50, 23, 40, 12},
    {kAsk, ControlKind::PushButton, "&Ask", BS_PUSHBUTTON, 7, 45, 50, 14},
    {IDOK, ControlKind::PushButton, "OK", BS_DEFPUSHBUTTON, 100, 45, 50, 14},
};
const DialogTemplate kDialogs[] = {
    {7000, nullptr, "Qt Presenter Test", 160, 66, WS_CAPTION | WS_POPUP, kControls, std::size(kControls)}};
const ModuleResources kResources{kDialogs, 1, nullptr, 0, nullptr, 0};

class CQtTestDlg : public CDialog {
 public:
  CQtTestDlg() : CDialog(7000) {}
  CString name = "start";
  int level = 1;
  int answer = 0;
  void DoDataExchange(CDataExchange *dx) override {
    DDX_Text(dx, kName, name);
    DDX_Text(dx, kLevel, level);
    DDV_MinMaxInt(dx, level, 0, 99);
  }
  void OnAsk() { answer = AfxMessageBox("Really?", MB_YESNO | MB_ICONQUESTION); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CQtTestDlg, CDialog)
  ON_BN_CLICKED(kAsk, OnAsk)
END_MESSAGE_MAP()

QPushButton *button(QWidget *dialog, const QString &text) {
  for (QPushButton *b : dialog->findChildren<QPushButton *>()) {
    if (b->text() == text) return b;
  }
  return nullptr;
}

// Runs fn once the event loop of the next modal window runs (fn finds it as the active modal widget).
void when_shown(std::function<void(QWidget *)> fn) {
  QTimer::singleShot(50, qApp, [fn] {
    QWidget *modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    fn(modal);
  });
}

TEST(QtPresenterTest, TypingAndClickingThroughRealWidgets) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "qt_presenter_test";
  static char *argv[] = {name, nullptr};
  QApplication app(argc, argv);  // the presenter uses the program's own application object
  AfxGetAppModuleState()->SetResources(&kResources);

  CQtTestDlg dlg;
  when_shown([](QWidget *dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Qt Presenter Test");
    auto edits = dialog->findChildren<QLineEdit *>();
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(edits[0]->text(), "start");
    edits[0]->selectAll();
    QTest::keyClicks(edits[0], "typed in Qt");
    edits[1]->selectAll();
    QTest::keyClicks(edits[1], "4x2");  // the digits-only field refuses the x
    EXPECT_EQ(edits[1]->text(), "42");
    EXPECT_TRUE(omra::GetPresenter()->Screenshot(omra::InnermostDialog(), OMRA_SCREENSHOT_DIR "/qt_test_dialog.png"));
    when_shown([](QWidget *box) {
      auto *message = qobject_cast<QMessageBox *>(box);
      ASSERT_NE(message, nullptr);
      EXPECT_EQ(message->text(), "Really?");
      QTest::mouseClick(message->button(QMessageBox::No), Qt::LeftButton);
    });
    QTest::mouseClick(button(dialog, "&Ask"), Qt::LeftButton);
    QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.name, "typed in Qt");
  EXPECT_EQ(dlg.level, 42);
  EXPECT_EQ(dlg.answer, IDNO);
  EXPECT_TRUE(omra::QtPresenterLoaded());
}

}  // namespace
