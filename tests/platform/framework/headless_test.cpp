// With no display and no presenter installed nothing can be shown: a dialog ends as Cancel after one
// line on standard error saying why, a message box writes its text there and answers its default button.
#include <gtest/gtest.h>

#include <cstdlib>

#include "omraplatform/dialog.h"
#include "omraplatform/presenter.h"

namespace {

const DialogControl kControls[] = {{IDOK, ControlKind::PushButton, "OK", BS_DEFPUSHBUTTON, 5, 5, 50, 14}};
const DialogTemplate kDialogs[] = {{5000, nullptr, "Headless", 100, 30, WS_CAPTION, kControls, 1}};
const ModuleResources kResources{kDialogs, 1, nullptr, 0, nullptr, 0};

class CountingDlg : public CDialog {
 public:
  CountingDlg() : CDialog(5000) {}
  int inits = 0;
  BOOL OnInitDialog() override {
    ++inits;
    return CDialog::OnInitDialog();
  }
};

TEST(HeadlessTest, DialogsEndAsCancelAndMessageBoxesTakeTheirDefault) {
  for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
  AfxGetAppModuleState()->SetResources(&kResources);
  CWinApp app("Headless App", AfxGetAppModuleState());

  CountingDlg dlg;
  testing::internal::CaptureStderr();
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Headless App: cannot show the dialog \"Headless\": no display (DISPLAY and WAYLAND_DISPLAY are not "
            "set)\n");
  EXPECT_EQ(dlg.inits, 0);
  EXPECT_FALSE(dlg.Create(5000));

  testing::internal::CaptureStderr();
  EXPECT_EQ(AfxMessageBox("Save the changes?", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(AfxMessageBox("Done.\nAll of it."), IDOK);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Headless App: Save the changes? [answered No:"), std::string::npos) << err;
  EXPECT_NE(err.find("Headless App: Done. All of it. [answered OK:"), std::string::npos) << err;

  testing::internal::CaptureStderr();
  EXPECT_LE(reinterpret_cast<uintptr_t>(ShellExecute(nullptr, "open", "https://example.org", nullptr, nullptr,
                                                     SW_SHOWNORMAL)),
            32u);
  EXPECT_FALSE(WinHelp(nullptr, "app.hlp", HELP_CONTEXT, 7));
  err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot open https://example.org"), std::string::npos) << err;
  EXPECT_NE(err.find("cannot open the help file app.hlp (context 7)"), std::string::npos) << err;
  EXPECT_FALSE(omra::QtPresenterLoaded());
}

}  // namespace
