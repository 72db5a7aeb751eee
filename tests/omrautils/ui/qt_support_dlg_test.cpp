// The support dialog drawn by the Qt presenter offscreen: a screenshot, then a real click on the
// web-address button (caught by a URL handler instead of a browser) and on OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdlib>

#include "omraplatform/presenter.h"
#include "omrautils/support_dlg.h"

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl &url) { urls.append(url); }
};

namespace {

QPushButton *button(QWidget *dialog, const QString &text) {
  for (QPushButton *b : dialog->findChildren<QPushButton *>()) {
    if (b->text() == text) return b;
  }
  return nullptr;
}

TEST(QtSupportDlgTest, ClickingTheWebAddressOpensItThroughTheDesktop) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "qt_support_dlg_test";
  static char *argv[] = {name, nullptr};
  QApplication app(argc, argv);
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("https", &catcher, "open");

  CSupportDlg dlg;
  QTimer::singleShot(50, &app, [] {
    QWidget *dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "How to Get Technical Support");
    EXPECT_TRUE(omra::GetPresenter()->Screenshot(omra::InnermostDialog(), OMRA_SCREENSHOT_DIR "/support_dlg.png"));
    QPushButton *link = button(dialog, "https://support.example.com/");
    ASSERT_NE(link, nullptr);
    QTest::mouseClick(link, Qt::LeftButton);
    QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  ASSERT_EQ(catcher.urls.size(), 1);
  EXPECT_EQ(catcher.urls[0], QUrl("https://support.example.com/"));
  QDesktopServices::unsetUrlHandler("https");
}

}  // namespace

#include "qt_support_dlg_test.moc"
