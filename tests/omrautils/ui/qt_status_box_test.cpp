// The status box drawn by the Qt presenter offscreen (the presenter makes the QApplication), measured
// with the real font, and saved as screenshots in the build tree.
#include <gtest/gtest.h>

#include <cstdlib>

#include "omraplatform/presenter.h"
#include "omrautils/status_box.h"

namespace {

void check_centred(CStatusBox &box, bool grown) {
  RECT client, text;
  box.GetClientRect(&client);
  box.GetDlgItem(1002)->GetWindowRect(&text);
  box.ScreenToClient(&text);
  LONG height = text.bottom - text.top;
  EXPECT_GT(height, 0);
  EXPECT_EQ(text.top, (client.bottom - height) / 2);
  if (grown) {
    EXPECT_EQ(client.bottom, height + 20);
  }
}

TEST(QtStatusBoxTest, DrawnOffscreenWithTheTextCentred) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  CWinApp app("OmraUtils Demo", AfxGetAppModuleState());
  {
    CStatusBox box("Connecting to the server...");
    ASSERT_NE(box.m_hWnd, nullptr);
    EXPECT_TRUE(omra::QtPresenterLoaded());
    check_centred(box, false);
    EXPECT_TRUE(omra::GetPresenter()->Screenshot(box.m_hWnd, OMRA_SCREENSHOT_DIR "/status_box_short.png"));
  }
  CStatusBox box(
      "Copying the connection configurations of every user of this machine into the new store. This can take a "
      "while when there are many of them; the window closes by itself when the copy is complete, and nothing "
      "needs to be done meanwhile.");
  check_centred(box, true);
  EXPECT_TRUE(omra::GetPresenter()->Screenshot(box.m_hWnd, OMRA_SCREENSHOT_DIR "/status_box_long.png"));
}

}  // namespace
