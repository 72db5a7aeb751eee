// DISPLAY names an X server that does not answer: the Qt presenter declines instead of letting Qt end
// the process, and the dialog ends as Cancel after one line that says why.
#include <gtest/gtest.h>

#include <cstdlib>

#include "omraplatform/dialog.h"
#include "omraplatform/presenter.h"

namespace {

const DialogControl kControls[] = {{IDOK, ControlKind::PushButton, "OK", BS_DEFPUSHBUTTON, 5, 5, 50, 14}};
const DialogTemplate kDialogs[] = {{6100, nullptr, "Unreachable", 100, 30, WS_CAPTION, kControls, 1}};
const ModuleResources kResources{kDialogs, 1, nullptr, 0, nullptr, 0};

TEST(QtNoServerTest, ADisplayThatDoesNotAnswerEndsTheDialogAsCancel) {
  unsetenv("QT_QPA_PLATFORM");
  unsetenv("WAYLAND_DISPLAY");
  setenv("DISPLAY", ":93", 1);  // no X server listens there in the test environment
  AfxGetAppModuleState()->SetResources(&kResources);
  CDialog dlg(6100);
  testing::internal::CaptureStderr();
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot show the dialog \"Unreachable\": the X display named by DISPLAY does not answer"),
            std::string::npos)
      << err;
}

}  // namespace
