// CSupportDlg through the scripted presenter: the web-address button asks the shell to open the
// address it shows.
#include <gtest/gtest.h>

#include "omrautils/support_dlg.h"
#include "scripted_ui.h"

namespace {

using SupportDlgTest = omra::test::ScriptedUi;

TEST_F(SupportDlgTest, TheWebAddressButtonOpensItsAddressWithTheShell) {
  CSupportDlg dlg;
  std::string address;
  ui.Inspect([&](const omra::DialogView &v) {
      EXPECT_EQ(v.title, "How to Get Technical Support");
      address = v.Text(1000);
      EXPECT_TRUE(v.Visible(IDOK));
    })
      .Click(1000)
      .Press(omra::Key::Enter)  // the clicked button has the focus: Enter clicks it again
      .Click(IDOK);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(address.rfind("https://", 0), 0u) << address;
  ASSERT_EQ(ui.ShellCalls().size(), 2u);
  const omra::ShellCall &call = ui.ShellCalls()[0];
  EXPECT_EQ(call.operation, "open");
  EXPECT_EQ(call.file, address);
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.directory, "");
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
}

}  // namespace
