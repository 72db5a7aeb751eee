// CStatusBox through the scripted presenter (6 x 13 pixel characters): the box grows by exactly what
// the wrapped text and a 20-pixel margin miss, keeps its template size for a short text, and centres the
// text vertically.
#include <gtest/gtest.h>

#include <string>

#include "omrautils/status_box.h"
#include "scripted_ui.h"

namespace {

constexpr int kIcon = 1001, kMessage = 1002;

// The template's client area is 187 x 44 dialog units: 281 x 72 pixels; the text control is 216 pixels
// wide (36 characters) and starts 54 pixels from the left.
constexpr LONG kClientHeight = 72, kTextLeft = 54, kTextWidth = 216;
constexpr LONG kLine = omra::ScriptedPresenter::kLineHeight;

class StatusBoxTest : public omra::test::ScriptedUi {
 protected:
  struct Geometry {
    RECT window, client, text;
  };
  static Geometry geometry(CStatusBox &box) {
    Geometry g{};
    box.GetWindowRect(&g.window);
    box.GetClientRect(&g.client);
    box.GetDlgItem(kMessage)->GetWindowRect(&g.text);
    box.ScreenToClient(&g.text);
    return g;
  }
};

TEST_F(StatusBoxTest, LongTextGrowsTheBoxByWhatIsMissingPlusTwentyPixels) {
  // Thirty four-letter words: seven to a line of 36 characters, five lines.
  std::string text;
  for (int i = 0; i < 30; ++i) text += i ? " word" : "word";
  CStatusBox box(text.c_str());
  Geometry g = geometry(box);
  const LONG text_height = 5 * kLine;
  const omra::Frame f = omra::ScriptedPresenter::kFrame;
  EXPECT_EQ(g.client.bottom, text_height + 20);
  EXPECT_EQ(g.window.bottom - g.window.top, kClientHeight + (text_height + 20 - kClientHeight) + f.top + f.bottom);
  EXPECT_EQ(g.window.right - g.window.left, 281 + f.left + f.right);
  EXPECT_EQ(g.text.top, 10);
  EXPECT_EQ(g.text.bottom - g.text.top, text_height);
  EXPECT_EQ(g.text.left, kTextLeft);
  EXPECT_EQ(g.text.right - g.text.left, kTextWidth);
  // Centred on the screen, after growing.
  EXPECT_EQ(g.window.left, (omra::ScriptedPresenter::kScreenWidth - (g.window.right - g.window.left)) / 2);
  EXPECT_EQ(g.window.top, (omra::ScriptedPresenter::kScreenHeight - (g.window.bottom - g.window.top)) / 2);

  omra::DialogView v = ui.Current();
  EXPECT_TRUE(v.visible);
  EXPECT_FALSE(v.modal);
  EXPECT_EQ(v.Text(kMessage), text);
}

TEST_F(StatusBoxTest, ShortTextKeepsTheTemplateSizeAndIsCentred) {
  CStatusBox box("Copying files...");
  Geometry g = geometry(box);
  EXPECT_EQ(g.client.bottom, kClientHeight);
  EXPECT_EQ(g.text.top, (kClientHeight - kLine) / 2);
  EXPECT_EQ(g.text.bottom - g.text.top, kLine);
  EXPECT_EQ(ui.Current().Text(kMessage), "Copying files...");
}

TEST_F(StatusBoxTest, TextThatJustFitsDoesNotGrowTheBox) {
  // Four lines: 52 + 20 pixels is exactly the client height.
  CStatusBox box("line one\nline two\nline three\nline four");
  Geometry g = geometry(box);
  EXPECT_EQ(g.client.bottom, kClientHeight);
  EXPECT_EQ(g.text.top, (kClientHeight - 4 * kLine) / 2);
}

TEST_F(StatusBoxTest, TitleAndIconComeFromTheApplicationAndTheWindowGoesWithTheObject) {
  {
    CStatusBox plain("No application object");
    EXPECT_EQ(ui.Current().title, "");
    EXPECT_FALSE(ui.Current().control(kIcon).has_icon);
  }
  CWinApp app("Status Test", AfxGetAppModuleState());
  {
    CStatusBox box("With an application object");
    omra::DialogView v = ui.Current();
    EXPECT_EQ(v.title, "Status Test");
    EXPECT_TRUE(v.control(kIcon).has_icon);
    EXPECT_EQ(omra::StandardIconId(box.m_icon.GetIcon()), 32516);
  }
  ASSERT_EQ(ui.Closed().size(), 2u);
  EXPECT_TRUE(omra::LiveDialogs().empty());
}

}  // namespace
