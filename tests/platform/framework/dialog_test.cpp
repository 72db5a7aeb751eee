// Dialogs through the scripted presenter: every control kind, data exchange both ways, validation that
// keeps the dialog open, nested modal dialogs, Enter, Esc and F1, message boxes, list and tab
// notifications.
#include <gtest/gtest.h>

#include "omraplatform/dialog.h"
#include "omraplatform/gdi.h"
#include "omraplatform/resources.h"
#include "omraplatform/scripted_presenter.h"
#include "scripted_ui.h"

namespace {

enum : int {
  kName = 101, kPassword = 102, kLevel = 103, kReadOnly = 104, kEnabled = 105, kModeGroup = 106,
  kModeOff = 107, kModeOn = 108, kHiddenNote = 109, kIcon = 110, kList = 111, kTab = 112, kMore = 113,
  kAsk = 114, kInnerEdit = 201,
};
constexpr UINT kTestDialog = 2000, kInnerDialog = 2001;

const DialogControl kTestControls[] = {
    {IDC_STATIC, ControlKind::Static, "&Name:", SS_LEFT, 7, 7, 40, 8},
    {kName, ControlKind::Edit, "", ES_AUTOHSCROLL, 50, 5, 100, 12},
    {kPassword, ControlKind::Edit, "", ES_PASSWORD, 50, 20, 100, 12},
    {kLevel, ControlKind::Edit, "", ES_NUMBER, 50, 35, 40, 12},
    {kReadOnly, ControlKind::Edit, "", ES_READONLY, 50, 50, 100, 12},
    {kEnabled, ControlKind::CheckBox, "&Enabled", BS_AUTOCHECKBOX, 7, 65, 60, 10},
    {kModeGroup, ControlKind::GroupBox, "Mode", BS_GROUPBOX, 7, 78, 90, 30},
    {kModeOff, ControlKind::RadioButton, "O&ff", BS_AUTORADIOBUTTON | WS_GROUP, 12, 88, 30, 10},
    {kModeOn, ControlKind::RadioButton, "O&n", BS_AUTORADIOBUTTON, 50, 88, 30, 10},
    {kHiddenNote, ControlKind::Static, "Hidden note", SS_LEFT | TS_HIDDEN | WS_GROUP, 100, 88, 60, 8},
    {kIcon, ControlKind::Icon, "", SS_ICON, 170, 5, 20, 20},
    {kList, ControlKind::ListView, "", LVS_REPORT | LVS_SINGLESEL | LVS_SORTASCENDING, 7, 110, 150, 40},
    {kTab, ControlKind::Tab, "", 0, 7, 152, 150, 14},
    {kMore, ControlKind::PushButton, "&More...", BS_PUSHBUTTON, 160, 30, 50, 14},
    {kAsk, ControlKind::PushButton, "&Ask", BS_PUSHBUTTON, 160, 50, 50, 14},
    {IDOK, ControlKind::PushButton, "OK", BS_DEFPUSHBUTTON, 160, 110, 50, 14},
    {IDCANCEL, ControlKind::PushButton, "Cancel", BS_PUSHBUTTON, 160, 127, 50, 14},
    {IDHELP, ControlKind::PushButton, "&Help", BS_PUSHBUTTON, 160, 144, 50, 14},
};
const DialogControl kInnerControls[] = {
    {kInnerEdit, ControlKind::Edit, "", 0, 7, 7, 100, 12},
    {IDOK, ControlKind::PushButton, "OK", BS_DEFPUSHBUTTON, 7, 25, 50, 14},
    {IDCANCEL, ControlKind::PushButton, "Cancel", BS_PUSHBUTTON, 60, 25, 50, 14},
};
const DialogTemplate kDialogs[] = {
    {kTestDialog, nullptr, "Framework Test", 220, 170, WS_POPUP | WS_CAPTION, kTestControls,
     std::size(kTestControls)},
    {kInnerDialog, nullptr, "Inner", 120, 45, WS_POPUP | WS_CAPTION, kInnerControls, std::size(kInnerControls)},
};
const ModuleResources kResources{kDialogs, std::size(kDialogs), nullptr, 0, nullptr, 0};

// The test program's own resources and application object.
struct AppResources {
  AppResources() { AfxGetAppModuleState()->SetResources(&kResources); }
} g_resources;
CWinApp g_app("Framework Test App", AfxGetAppModuleState());

// A list class of its own: it hears its clicks first (reflection) and remembers the row.
class CTestList : public CListCtrl {
 public:
  int clicks = 0;
  int clicked_row = -1;
  void OnClick(NMHDR *hdr, LRESULT *result) {
    ++clicks;
    clicked_row = reinterpret_cast<NMITEMACTIVATE *>(hdr)->iItem;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestList, CListCtrl)
  ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
END_MESSAGE_MAP()

class CInnerDlg : public CDialog {
 public:
  explicit CInnerDlg(CWnd *parent) : CDialog(kInnerDialog, parent) {}
  CString text;
  void DoDataExchange(CDataExchange *dx) override { DDX_Text(dx, kInnerEdit, text); }
};

class CTestDlg : public CDialog {
 public:
  CTestDlg() : CDialog(kTestDialog) {}

  CString name = "Alice", password = "secret", read_only = "fixed";
  int level = 5, enabled = 1, mode = 1;
  CTestList list;
  CTabCtrl tab;

  // What the handlers saw.
  int password_changes = 0;
  int inner_result = 0;
  CString inner_text;
  int answer = 0;
  int double_clicked_row = -1;
  int tab_changes = 0;
  int help_presses = 0;
  int cancels = 0;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    static_cast<CStatic *>(GetDlgItem(kIcon))->SetIcon(::LoadIcon(nullptr, IDI_INFORMATION));
    list.InsertColumn(0, "Name", LVCFMT_LEFT, 80);
    list.InsertColumn(1, "Value", LVCFMT_LEFT, 60);
    for (const char *row : {"pear", "Apple", "fig"}) {
      int index = list.InsertItem(list.GetItemCount(), row);
      list.SetItemText(index, 1, CString(row) + "-value");
      list.SetItemData(index, reinterpret_cast<DWORD_PTR>(row));
    }
    tab.InsertItem(0, "First");
    tab.InsertItem(1, "Second");
    return TRUE;
  }
  void DoDataExchange(CDataExchange *dx) override {
    DDX_Text(dx, kName, name);
    DDV_MaxChars(dx, name, 10);
    DDX_Text(dx, kPassword, password);
    DDX_Text(dx, kLevel, level);
    DDV_MinMaxInt(dx, level, 0, 255);
    DDX_Text(dx, kReadOnly, read_only);
    DDX_Check(dx, kEnabled, enabled);
    DDX_Radio(dx, kModeOff, mode);
    DDX_Control(dx, kList, list);
    DDX_Control(dx, kTab, tab);
  }
  void OnPasswordChange() { ++password_changes; }
  void OnMore() {
    CInnerDlg inner(this);
    inner.text = "inner start";
    inner_result = static_cast<int>(inner.DoModal());
    inner_text = inner.text;
  }
  void OnAsk() { answer = AfxMessageBox("Keep going?", MB_YESNOCANCEL | MB_ICONQUESTION); }
  void OnHelp() {
    ++help_presses;
    ::WinHelp(nullptr, "framework.hlp", HELP_CONTEXT, kTestDialog);
  }
  void OnDblclkList(NMHDR *hdr, LRESULT *) { double_clicked_row = reinterpret_cast<NMITEMACTIVATE *>(hdr)->iItem; }
  void OnSelchangeTab(NMHDR *, LRESULT *) { ++tab_changes; }
  void OnCancel() override {
    ++cancels;
    CDialog::OnCancel();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDlg, CDialog)
  ON_EN_CHANGE(kPassword, OnPasswordChange)
  ON_BN_CLICKED(kMore, OnMore)
  ON_BN_CLICKED(kAsk, OnAsk)
  ON_BN_CLICKED(IDHELP, OnHelp)
  ON_NOTIFY(NM_DBLCLK, kList, OnDblclkList)
  ON_NOTIFY(TCN_SELCHANGE, kTab, OnSelchangeTab)
END_MESSAGE_MAP()

using DialogTest = omra::test::ScriptedUi;
using omra::DialogView;
using omra::Key;

TEST_F(DialogTest, MembersFillTheControlsAndTypedValuesComeBack) {
  CTestDlg dlg;
  ui.Inspect([](const DialogView &v) {
      EXPECT_EQ(v.title, "Framework Test");
      EXPECT_EQ(v.Text(kName), "Alice");
      EXPECT_EQ(v.Text(kPassword), "secret");
      EXPECT_EQ(v.Text(kLevel), "5");
      EXPECT_EQ(v.Text(kReadOnly), "fixed");
      EXPECT_TRUE(v.Checked(kEnabled));
      EXPECT_FALSE(v.Checked(kModeOff));
      EXPECT_TRUE(v.Checked(kModeOn));
      EXPECT_FALSE(v.Visible(kHiddenNote));
      EXPECT_TRUE(v.control(kIcon).has_icon);
      EXPECT_EQ(v.control(kName).text_limit, 10);
      // The first control that takes the focus has it; the password style is the control's.
      EXPECT_TRUE(v.Focused(kName));
      EXPECT_TRUE(v.control(kPassword).style & ES_PASSWORD);
    })
      .Type(kName, "Bob")
      .Type(kPassword, "hidden")
      .Type(kLevel, "4x2")  // digits only
      .Click(kEnabled)
      .Click(kModeOff)
      .Inspect([](const DialogView &v) {
        EXPECT_EQ(v.Text(kLevel), "42");
        EXPECT_FALSE(v.Checked(kEnabled));
        EXPECT_TRUE(v.Checked(kModeOff));
        EXPECT_FALSE(v.Checked(kModeOn));
      })
      .Press(Key::Enter);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.name, "Bob");
  EXPECT_EQ(dlg.password, "hidden");
  EXPECT_EQ(dlg.level, 42);
  EXPECT_EQ(dlg.enabled, 0);
  EXPECT_EQ(dlg.mode, 0);
  EXPECT_EQ(dlg.read_only, "fixed");
  // Filling the field at start counts as a change, as for a Win32 edit control; typing is the second.
  EXPECT_EQ(dlg.password_changes, 2);
  // The window is gone with the dialog; the members attached to controls lost their handles.
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(dlg.list.m_hWnd, nullptr);
  ASSERT_EQ(ui.Closed().size(), 1u);
  EXPECT_EQ(ui.Closed()[0].result, IDOK);
}

TEST_F(DialogTest, InvalidInputKeepsTheDialogOpenWithTheFocusOnTheField) {
  // A text longer than the limit can only come from the program; saving refuses it.
  struct LongName : CTestDlg {
    BOOL OnInitDialog() override {
      CTestDlg::OnInitDialog();
      SetDlgItemText(kName, "far too long a name");
      return TRUE;
    }
  } dlg;
  ui.Press(Key::Enter)
      .Answer(IDOK)
      .Inspect([](const DialogView &v) { EXPECT_TRUE(v.Focused(kName)); })
      .Type(kName, "short")
      .Type(kLevel, "300")
      .Press(Key::Enter)
      .Answer(IDOK)
      .Inspect([](const DialogView &v) {
        EXPECT_TRUE(v.Focused(kLevel));
        EXPECT_EQ(v.Text(kLevel), "300");
      })
      .Type(kLevel, "")
      .Click(IDOK)
      .Answer(IDOK)
      .Type(kLevel, "255")
      .Click(IDOK);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.level, 255);
  EXPECT_EQ(dlg.name, "short");
  ASSERT_EQ(ui.MessageBoxes().size(), 3u);
  EXPECT_EQ(ui.MessageBoxes()[0].text, "Enter no more than 10 characters.");
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "Framework Test App");
  EXPECT_EQ(ui.MessageBoxes()[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);
  EXPECT_EQ(ui.MessageBoxes()[1].text, "Enter a whole number from 0 to 255.");
  EXPECT_EQ(ui.MessageBoxes()[2].text, "Enter a whole number.");
}

TEST_F(DialogTest, TextLimitAndReadOnlyBindTheUser) {
  CTestDlg dlg;
  std::vector<std::string> failures;
  ui.OnFailure([&](const std::string &m) { failures.push_back(m); });
  ui.Type(kName, "abcdefghijklmnop")
      .Type(kReadOnly, "changed")
      .Click(kHiddenNote)
      .Inspect([](const DialogView &v) {
        EXPECT_EQ(v.Text(kName), "abcdefghij");
        EXPECT_EQ(v.Text(kReadOnly), "fixed");
      })
      .Press(Key::Escape);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_NE(failures[0].find("read-only"), std::string::npos) << failures[0];
  EXPECT_NE(failures[1].find("hidden"), std::string::npos) << failures[1];
  EXPECT_EQ(dlg.cancels, 1);
}

TEST_F(DialogTest, NestedModalDialogsEndInnermostFirst) {
  CTestDlg dlg;
  ui.Click(kMore)
      .Inspect([](const DialogView &v) {
        EXPECT_EQ(v.title, "Inner");
        EXPECT_EQ(v.Text(kInnerEdit), "inner start");
      })
      .Type(kInnerEdit, "typed inside")
      .Press(Key::Enter)
      .Inspect([](const DialogView &v) { EXPECT_EQ(v.title, "Framework Test"); })
      .Click(kMore)
      .Type(kInnerEdit, "thrown away")
      .Press(Key::Escape)
      .Press(Key::Escape);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.inner_result, IDCANCEL);
  EXPECT_EQ(dlg.inner_text, "inner start");  // Cancel takes nothing from the controls
  ASSERT_EQ(ui.Closed().size(), 3u);
  EXPECT_EQ(ui.Closed()[0].title, "Inner");
  EXPECT_EQ(ui.Closed()[0].result, IDOK);
  EXPECT_EQ(ui.Closed()[0].Text(kInnerEdit), "typed inside");
  EXPECT_EQ(ui.Closed()[2].title, "Framework Test");
}

TEST_F(DialogTest, EnterClicksTheFocusedButtonElseTheDefaultAndF1AsksForHelp) {
  CTestDlg dlg;
  ui.Focus(kAsk)
      .Press(Key::Enter)  // the focused push button
      .Answer(IDNO)
      .Press(Key::F1)
      .Focus(kName)
      .Press(Key::Enter);  // the default button: OK
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.answer, IDNO);
  EXPECT_EQ(dlg.help_presses, 1);
  ASSERT_EQ(ui.HelpCalls().size(), 1u);
  EXPECT_EQ(ui.HelpCalls()[0].file, "framework.hlp");
  EXPECT_EQ(ui.HelpCalls()[0].command, HELP_CONTEXT);
  EXPECT_EQ(ui.HelpCalls()[0].data, kTestDialog);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].text, "Keep going?");
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "Framework Test App");
  EXPECT_EQ(ui.MessageBoxes()[0].type & MB_TYPEMASK, MB_YESNOCANCEL);
}

TEST_F(DialogTest, F1DoesNothingWhileTheHelpButtonIsHidden) {
  struct HiddenHelp : CTestDlg {
    BOOL OnInitDialog() override {
      CTestDlg::OnInitDialog();
      GetDlgItem(IDHELP)->ShowWindow(SW_HIDE);
      return TRUE;
    }
  } dlg;
  ui.Press(Key::F1).Press(Key::Escape);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.help_presses, 0);
  EXPECT_TRUE(ui.HelpCalls().empty());
}

TEST_F(DialogTest, MessageBoxAnswers) {
  struct Case {
    UINT type;
    int answer;
  };
  for (Case c : {Case{MB_OK, IDOK}, Case{MB_YESNO, IDYES}, Case{MB_YESNO, IDNO}, Case{MB_YESNOCANCEL, IDCANCEL}}) {
    ui.Answer(c.answer);
    EXPECT_EQ(AfxMessageBox("Question", c.type), c.answer);
  }
  EXPECT_EQ(ui.MessageBoxes()[0].buttons, (std::vector<int>{IDOK}));
  EXPECT_EQ(ui.MessageBoxes()[3].buttons, (std::vector<int>{IDYES, IDNO, IDCANCEL}));
  // Win32 captions a box without one "Error"; CWnd and AfxMessageBox use the application's name.
  ui.Answer(IDOK);
  EXPECT_EQ(::MessageBox(nullptr, "Plain", nullptr, MB_OK), IDOK);
  EXPECT_EQ(ui.MessageBoxes().back().caption, "Error");
}

TEST_F(DialogTest, ListRowsSelectionAndNotifications) {
  CTestDlg dlg;
  ui.Inspect([](const DialogView &v) {
      const omra::ControlView &list = v.control(kList);
      // Sorted without regard to case as rows are inserted.
      ASSERT_EQ(list.rows.size(), 3u);
      EXPECT_EQ(list.rows[0], (std::vector<std::string>{"Apple", "Apple-value"}));
      EXPECT_EQ(list.rows[1][0], "fig");
      EXPECT_EQ(list.rows[2][0], "pear");
      EXPECT_EQ(list.columns, (std::vector<std::string>{"Name", "Value"}));
      EXPECT_EQ(list.column_widths, (std::vector<int>{80, 60}));
      EXPECT_EQ(list.selected_row, -1);
      EXPECT_EQ(v.control(kTab).tabs, (std::vector<std::string>{"First", "Second"}));
      EXPECT_EQ(v.control(kTab).current_tab, 0);
    })
      .ClickRow(kList, 2)
      .Inspect([](const DialogView &v) {
        EXPECT_EQ(v.control(kList).selected_row, 2);
        EXPECT_EQ(v.control(kList).focused_row, 2);
        EXPECT_TRUE(v.Focused(kList));
      })
      .DoubleClickRow(kList, 1)
      .SelectTab(kTab, 1)
      .SelectTab(kTab, 1)  // the tab already shown: no notification
      .Press(Key::Escape);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.list.clicks, 2);  // the click, and the first half of the double click
  EXPECT_EQ(dlg.list.clicked_row, 1);
  EXPECT_EQ(dlg.double_clicked_row, 1);
  EXPECT_EQ(dlg.tab_changes, 1);
}

TEST_F(DialogTest, ListOperationsOnTheModel) {
  struct Ops : CTestDlg {
    BOOL OnInitDialog() override {
      CTestDlg::OnInitDialog();
      LVFINDINFO find{LVFI_PARAM, nullptr, static_cast<LPARAM>(list.GetItemData(1))};
      EXPECT_EQ(list.FindItem(&find), 1);
      EXPECT_TRUE(list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
      EXPECT_TRUE(list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED));  // single selection moves
      EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
      EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 0);
      EXPECT_EQ(list.GetSelectedCount(), 1u);
      EXPECT_TRUE(list.EnsureVisible(2, FALSE));
      EXPECT_FALSE(list.SetItemText(5, 0, "none"));
      EXPECT_FALSE(list.SetItemText(0, 2, "no such column"));
      EXPECT_EQ(list.GetItemText(9, 0), "");
      EXPECT_TRUE(list.DeleteColumn(0));
      EXPECT_EQ(list.GetItemText(0, 0), "Apple-value");
      EXPECT_EQ(list.GetStringWidth("abcd"), 4 * omra::ScriptedPresenter::kCharWidth);
      return TRUE;
    }
  } dlg;
  ui.Inspect([](const DialogView &v) {
      EXPECT_EQ(v.control(kList).scrolled_to, 2);
      EXPECT_EQ(v.control(kList).selected_row, 2);
      EXPECT_EQ(v.control(kList).columns.size(), 1u);
    })
      .Press(Key::Escape);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, WindowAndClientRectanglesFollowTheDialogUnits) {
  ui.Press(Key::Escape);
  struct Probe : CTestDlg {
    RECT window{}, client{}, name{};
    BOOL OnInitDialog() override {
      CTestDlg::OnInitDialog();
      GetWindowRect(&window);
      GetClientRect(&client);
      GetDlgItem(kName)->GetWindowRect(&name);
      ScreenToClient(&name);
      return TRUE;
    }
  } probe;
  EXPECT_EQ(probe.DoModal(), IDCANCEL);
  // 220 x 170 dialog units at 6 x 13 pixels per 4 x 8 units.
  EXPECT_EQ(probe.client.right, 330);
  EXPECT_EQ(probe.client.bottom, 276);
  const omra::Frame f = omra::ScriptedPresenter::kFrame;
  EXPECT_EQ(probe.window.right - probe.window.left, 330 + f.left + f.right);
  EXPECT_EQ(probe.window.bottom - probe.window.top, 276 + f.top + f.bottom);
  // Centred on the screen.
  EXPECT_EQ(probe.window.left, (omra::ScriptedPresenter::kScreenWidth - (330 + f.left + f.right)) / 2);
  EXPECT_EQ(probe.name.left, 75);
  EXPECT_EQ(probe.name.top, 8);
  EXPECT_EQ(probe.name.bottom - probe.name.top, 20);
}

TEST_F(DialogTest, AQueueThatRunsOutEndsTheDialogAsCancelWithAClearMessage) {
  std::vector<std::string> failures;
  ui.OnFailure([&](const std::string &m) { failures.push_back(m); });
  CTestDlg dlg;
  ui.Click(kAsk);  // the message box then finds no answer
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0], "the message box \"Keep going?\" waits for an answer, but no steps are left; it takes its "
                         "default button");
  EXPECT_EQ(failures[1], "the dialog \"Framework Test\" (template 2000) waits for the user, but no steps are left; "
                         "it ends as Cancel");
  EXPECT_EQ(dlg.answer, IDYES);
}

TEST_F(DialogTest, ModelessDialogLivesWithItsObject) {
  {
    CInnerDlg modeless(nullptr);
    modeless.text = "shown";
    ASSERT_TRUE(modeless.Create(kInnerDialog));
    modeless.ShowWindow(SW_SHOW);
    omra::DialogView v = ui.Current();
    EXPECT_EQ(v.title, "Inner");
    EXPECT_TRUE(v.visible);
    EXPECT_FALSE(v.modal);
    EXPECT_EQ(v.Text(kInnerEdit), "shown");
    EXPECT_TRUE(ui.Closed().empty());
  }
  ASSERT_EQ(ui.Closed().size(), 1u);
  EXPECT_TRUE(omra::LiveDialogs().empty());
}

TEST_F(DialogTest, MissingTemplateGivesMinusOne) {
  CDialog dlg(4242);
  testing::internal::CaptureStderr();
  EXPECT_EQ(dlg.DoModal(), -1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("the dialog template 4242 does not exist"),
            std::string::npos);
}

TEST_F(DialogTest, TextMeasurementWrapsAtBlanks) {
  CClientDC dc(nullptr);
  RECT r{0, 0, 60, 0};  // ten characters per line
  EXPECT_EQ(dc.DrawText("one two three four", &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX), 2 * 13);
  EXPECT_EQ(r.bottom, 26);
  EXPECT_EQ(r.right, 60);
  RECT one{0, 0, 0, 0};
  EXPECT_EQ(dc.DrawText("abc", &one, DT_CALCRECT | DT_SINGLELINE), 13);
  EXPECT_EQ(one.right, 18);
  RECT lines{0, 0, 600, 0};
  EXPECT_EQ(dc.DrawText("a\nb\nc", &lines, DT_CALCRECT | DT_WORDBREAK), 3 * 13);
}

}  // namespace

namespace {

TEST_F(DialogTest, FocusSetInInitDialogStaysOnlyWhenItReturnsFalse) {
  struct Explicit : CTestDlg {
    BOOL keep = FALSE;
    BOOL OnInitDialog() override {
      CTestDlg::OnInitDialog();
      GotoDlgCtrl(GetDlgItem(kLevel));
      return !keep;
    }
  };
  Explicit returns_false;
  returns_false.keep = TRUE;
  ui.Inspect([](const omra::DialogView &v) { EXPECT_TRUE(v.Focused(kLevel)); }).Press(omra::Key::Escape);
  EXPECT_EQ(returns_false.DoModal(), IDCANCEL);
  Explicit returns_true;
  ui.Inspect([](const omra::DialogView &v) { EXPECT_TRUE(v.Focused(kName)); }).Press(omra::Key::Escape);
  EXPECT_EQ(returns_true.DoModal(), IDCANCEL);
  ASSERT_EQ(ui.MessageBoxes().size(), 0u);
}

}  // namespace
