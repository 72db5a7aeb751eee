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
// Every kind of control, as the connection dialogs use them.
const DialogControl kAllKinds[] = {
    {201, ControlKind::Tab, "", 0, 7, 7, 246, 100},
    {IDC_STATIC, ControlKind::Static, "&Connection Configurations:", SS_LEFT, 14, 26, 150, 8},
    {202, ControlKind::ListView, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 14, 36, 232, 64},
    {IDC_STATIC, ControlKind::GroupBox, "IPC Client Debug", BS_GROUPBOX, 7, 112, 120, 28},
    {203, ControlKind::RadioButton, "Disable", BS_AUTORADIOBUTTON | WS_GROUP, 14, 124, 50, 10},
    {204, ControlKind::RadioButton, "Enable", BS_AUTORADIOBUTTON, 70, 124, 50, 10},
    {205, ControlKind::CheckBox, "Sc&heduler Server", BS_AUTOCHECKBOX | WS_GROUP, 135, 114, 110, 10},
    {IDC_STATIC, ControlKind::Static, "&Password", SS_LEFT, 135, 130, 40, 8},
    {206, ControlKind::Edit, "secret", ES_PASSWORD | ES_AUTOHSCROLL, 178, 128, 75, 12},
    {207, ControlKind::Icon, "", SS_ICON, 7, 148, 21, 20},
    {IDC_STATIC, ControlKind::Static,
     "A connection configuration stores information on how to connect to the specified server.", SS_LEFT, 35,
     146, 160, 24},
    {IDOK, ControlKind::PushButton, "&Connect", BS_DEFPUSHBUTTON, 203, 152, 50, 14},
};
const DialogTemplate kDialogs2[] = {
    {7000, nullptr, "Qt Presenter Test", 160, 66, WS_CAPTION | WS_POPUP, kControls, std::size(kControls)},
    {7001, nullptr, "Every Control", 260, 172, WS_CAPTION | WS_POPUP, kAllKinds, std::size(kAllKinds)},
};
const ModuleResources kResources{kDialogs2, 2, nullptr, 0, nullptr, 0};

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

  // A modeless dialog with every kind of control, filled by the program, for the eye.
  CDialog all;
  ASSERT_TRUE(all.Create(7001));
  auto *tabs = static_cast<CTabCtrl *>(all.GetDlgItem(201));
  tabs->InsertItem(0, "System Connections");
  tabs->InsertItem(1, "User Connections");
  auto *list = static_cast<CListCtrl *>(all.GetDlgItem(202));
  list->InsertColumn(0, "Connection Name", LVCFMT_LEFT, list->GetStringWidth("Connection Name") + 15);
  list->InsertColumn(1, "Server Name", LVCFMT_LEFT, list->GetStringWidth("Server Name") + 15);
  list->InsertColumn(2, "User Name", LVCFMT_LEFT, list->GetStringWidth("User Name") + 15);
  for (const char *row : {"Accounts", "Payroll", "Warehouse"}) {
    int i = list->InsertItem(list->GetItemCount(), row);
    list->SetItemText(i, 1, "zentrix.example.com");
    list->SetItemText(i, 2, "operator");
  }
  list->SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  all.CheckRadioButton(203, 204, 204);
  all.CheckDlgButton(205, BST_CHECKED);
  static_cast<CStatic *>(all.GetDlgItem(207))->SetIcon(::LoadIcon(nullptr, IDI_INFORMATION));
  all.ShowWindow(SW_SHOW);
  EXPECT_TRUE(omra::GetPresenter()->Screenshot(all.m_hWnd, OMRA_SCREENSHOT_DIR "/qt_every_control.png"));
}

}  // namespace
