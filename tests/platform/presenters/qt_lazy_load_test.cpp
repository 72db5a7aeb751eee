// libomraplatform maps Qt only when a dialog is first shown: this program does not link Qt, uses the
// framework without a dialog, checks that no Qt library is mapped, then shows one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "omraplatform/dialog.h"
#include "omraplatform/presenter.h"

namespace {

bool mapped(const std::string &library) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find(library) != std::string::npos) return true;
  }
  return false;
}

const DialogControl kControls[] = {{IDOK, ControlKind::PushButton, "OK", BS_DEFPUSHBUTTON, 5, 5, 50, 14}};
const DialogTemplate kDialogs[] = {{6000, nullptr, "Lazy", 100, 30, WS_CAPTION, kControls, 1}};
const StringResource kStrings[] = {{1, "a string"}};
const ModuleResources kResources{kDialogs, 1, kStrings, 1, nullptr, 0};

TEST(QtLazyLoadTest, QtIsMappedOnlyWhenTheFirstDialogIsShown) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  AfxGetAppModuleState()->SetResources(&kResources);
  CString text;
  ASSERT_TRUE(AfxLoadString(1, text));
  CDialog never_shown(6000);
  EXPECT_FALSE(mapped("libQt6")) << "Qt was mapped before any dialog was shown";
  EXPECT_FALSE(omra::QtPresenterLoaded());

  CDialog shown;
  ASSERT_TRUE(shown.Create(6000));
  EXPECT_TRUE(omra::QtPresenterLoaded());
  EXPECT_TRUE(mapped("libQt6Widgets"));
  EXPECT_TRUE(mapped("libomra_qt_presenter"));
}

}  // namespace
