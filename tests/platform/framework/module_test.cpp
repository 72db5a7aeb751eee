// Module state: strings and templates come from the current module first, then from the extension
// modules; a guard makes a library's module current for one call and puts the previous one back.
#include <gtest/gtest.h>

#include "omraplatform/dialog.h"
#include "omraplatform/resources.h"
#include "scripted_ui.h"

namespace {

const StringResource kAppStrings[] = {{100, "from the program"}};
const ModuleResources kAppResources{nullptr, 0, kAppStrings, std::size(kAppStrings), nullptr, 0};

const DialogControl kLibControls[] = {{IDOK, ControlKind::PushButton, "OK", BS_DEFPUSHBUTTON, 5, 5, 50, 14}};
const DialogTemplate kLibDialogs[] = {
    {3000, nullptr, "Library Dialog", 100, 30, WS_CAPTION, kLibControls, std::size(kLibControls)},
    {0, "IDD_NAMED_DLG", "Named Dialog", 100, 30, WS_CAPTION, kLibControls, std::size(kLibControls)},
};
const StringResource kLibStrings[] = {{100, "from the library"}, {101, "library only"}};
const ModuleResources kLibResources{kLibDialogs, std::size(kLibDialogs), kLibStrings, std::size(kLibStrings),
                                    nullptr, 0};

const DialogTemplate kExtDialogs[] = {
    {3001, nullptr, "Extension Dialog", 100, 30, WS_CAPTION, kLibControls, std::size(kLibControls)},
};
const StringResource kExtStrings[] = {{100, "from the extension"}, {200, "extension only"}};
const ModuleResources kExtResources{kExtDialogs, std::size(kExtDialogs), kExtStrings, std::size(kExtStrings),
                                    nullptr, 0};

AFX_MODULE_STATE g_library("TestLibrary", &kLibResources);
CWinApp g_library_app("Library App", &g_library);
AFX_MODULE_STATE g_extension("TestExtension", &kExtResources, true);

CString load(UINT id) {
  CString text;
  AfxLoadString(id, text);
  return text;
}

class ModuleTest : public omra::test::ScriptedUi {
 protected:
  void SetUp() override { AfxGetAppModuleState()->SetResources(&kAppResources); }
};

TEST_F(ModuleTest, StringsFollowTheCurrentModule) {
  EXPECT_EQ(load(100), "from the program");
  EXPECT_EQ(load(200), "extension only");  // extension modules serve every caller
  EXPECT_EQ(load(101), "");
  CString none;
  EXPECT_FALSE(AfxLoadString(999, none));
  {
    AFX_MANAGE_STATE(&g_library);
    EXPECT_EQ(AfxGetModuleState(), &g_library);
    EXPECT_EQ(load(100), "from the library");
    EXPECT_EQ(load(101), "library only");
    EXPECT_EQ(load(200), "extension only");
    EXPECT_STREQ(AfxGetAppName(), "Library App");
    EXPECT_EQ(AfxGetApp(), &g_library_app);
    {
      AFX_MAINTAIN_STATE program(AfxGetAppModuleState());
      EXPECT_EQ(load(100), "from the program");
    }
    EXPECT_EQ(load(100), "from the library");
  }
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
  EXPECT_EQ(AfxGetApp(), nullptr);
  EXPECT_STREQ(AfxGetAppName(), program_invocation_short_name);
}

TEST_F(ModuleTest, Win32LoadStringReadsOneModuleAndCutsToTheBuffer) {
  char buffer[8];
  EXPECT_EQ(::LoadString(&g_library, 100, buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "from th");
  EXPECT_EQ(::LoadString(&g_library, 200, buffer, sizeof buffer), 0);  // not in that module
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(::GetModuleHandle(nullptr), AfxGetAppModuleState());
  EXPECT_EQ(::GetModuleHandle("TestExtension"), &g_extension);
}

TEST_F(ModuleTest, TemplatesFollowTheCurrentModule) {
  testing::internal::CaptureStderr();
  CDialog outside(3000);
  EXPECT_EQ(outside.DoModal(), -1);  // the program itself has no template 3000
  testing::internal::GetCapturedStderr();

  ui.Inspect([](const omra::DialogView &v) { EXPECT_EQ(v.title, "Library Dialog"); })
      .Press(omra::Key::Enter)
      .Press(omra::Key::Enter)
      .Press(omra::Key::Enter);
  AFX_MANAGE_STATE(&g_library);
  CDialog inside(3000);
  EXPECT_EQ(inside.DoModal(), IDOK);
  CDialog named("IDD_NAMED_DLG");
  EXPECT_EQ(named.DoModal(), IDOK);
  CDialog extension(3001);
  EXPECT_EQ(extension.DoModal(), IDOK);
  ASSERT_EQ(ui.Closed().size(), 3u);
  EXPECT_EQ(ui.Closed()[1].title, "Named Dialog");
  EXPECT_EQ(ui.Closed()[2].title, "Extension Dialog");
}

TEST_F(ModuleTest, MessageBoxCaptionIsTheCurrentApplicationName) {
  ui.Answer(IDOK).Answer(IDOK).Answer(IDOK);
  {
    AFX_MANAGE_STATE(&g_library);
    AfxMessageBox(101);
  }
  AfxMessageBox(100);
  AfxMessageBox(4711);
  ASSERT_EQ(ui.MessageBoxes().size(), 3u);
  EXPECT_EQ(ui.MessageBoxes()[0].text, "library only");
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "Library App");
  EXPECT_EQ(ui.MessageBoxes()[1].text, "from the program");
  EXPECT_EQ(ui.MessageBoxes()[1].caption, program_invocation_short_name);
  EXPECT_EQ(ui.MessageBoxes()[2].text, "(string 4711 is missing)");
}

}  // namespace

namespace {

TEST_F(ModuleTest, CStringLoadsFromTheCurrentModule) {
  CString text = "unchanged";
  EXPECT_FALSE(text.LoadString(4711));
  EXPECT_EQ(text, "unchanged");
  AFX_MANAGE_STATE(&g_library);
  EXPECT_TRUE(text.LoadString(101));
  EXPECT_EQ(text, "library only");
}

}  // namespace
