#include "game/app/qt_application.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include <atomic>
#include <thread>

#include "platform/kernel/cp932.h"
#include "platform/ui/message_window.h"
#include "tests/support/qt_test_app.h"

namespace {

// Answers the next message box that opens by clicking the button with the
// given role, and remembers what it showed.
class TBoxAnswerer {
 public:
  explicit TBoxAnswerer(QMessageBox::StandardButton button) : m_button(button) {
    m_timer.setInterval(0);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      text = box->text();
      title = box->windowTitle();
      icon = box->icon();
      buttons = box->standardButtons();
      m_timer.stop();
      box->button(m_button)->click();
    });
    m_timer.start();
  }
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;

 private:
  QMessageBox::StandardButton m_button;
  QTimer m_timer;
};

class QtApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
};

TEST_F(QtApplicationTest, InstallsItselfForItsLifetime) {
  {
    TQtApplication app;
    EXPECT_EQ(&Application(), &app);
  }
  EXPECT_EQ(&Application(), static_cast<TApplication*>(&HeadlessApplication()));
}

TEST_F(QtApplicationTest, MessageTextsComeFromCp932WithPlainLineFeeds) {
  EXPECT_EQ(MessageTextForQt(Utf8ToCp932("一行目\r\n二行目")), QStringLiteral("一行目\n二行目"));
  EXPECT_EQ(MessageTextForQt(""), QString());
}

TEST_F(QtApplicationTest, AMessageBoxOnTheMainThreadGivesTheChosenButton) {
  TQtApplication app;
  TBoxAnswerer answerer(QMessageBox::No);
  const int answer = app.ShowMessageBox(Utf8ToCp932("消しますか？"), Utf8ToCp932("確認"), MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(answer, IDNO);
  EXPECT_EQ(answerer.text, QStringLiteral("消しますか？"));
  EXPECT_EQ(answerer.title, QStringLiteral("確認"));
  EXPECT_EQ(answerer.icon, QMessageBox::Question);
  EXPECT_EQ(answerer.buttons, QMessageBox::Yes | QMessageBox::No);
}

TEST_F(QtApplicationTest, AMessageBoxFromAnotherThreadIsShownByTheMainThread) {
  TQtApplication app;
  TBoxAnswerer answerer(QMessageBox::Ok);
  std::atomic<int> answer{0};
  QEventLoop loop;
  std::thread timerThread([&] {
    answer = app.ShowMessageBox(Utf8ToCp932("隠し機能出現！"), Utf8ToCp932("お知らせ"), MB_OK | MB_ICONINFORMATION);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  timerThread.join();
  EXPECT_EQ(answer.load(), IDOK);
  EXPECT_EQ(answerer.text, QStringLiteral("隠し機能出現！"));
  EXPECT_EQ(answerer.icon, QMessageBox::Information);
  EXPECT_EQ(answerer.buttons, QMessageBox::Ok);
}

TEST_F(QtApplicationTest, AMessagePostedFromAnotherThreadWakesTheLoop) {
  TQtApplication app;
  QEventLoop loop;
  std::thread::id deliveredOn;
  LPARAM delivered = 0;
  HWND window = AllocateHWnd([&](UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
    if (msg == WM_USER + 1) {
      deliveredOn = std::this_thread::get_id();
      delivered = lParam;
      loop.quit();
    }
    return 0;
  });
  std::thread poster([&] { PostMessageA(window, WM_USER + 1, 0, 42); });
  loop.exec();
  poster.join();
  EXPECT_EQ(delivered, 42);
  EXPECT_EQ(deliveredOn, std::this_thread::get_id());
  DeallocateHWnd(window);
}

TEST_F(QtApplicationTest, ProcessMessagesDeliversPostedMessages) {
  TQtApplication app;
  int count = 0;
  HWND window = AllocateHWnd([&](UINT, WPARAM, LPARAM) -> LRESULT {
    ++count;
    return 0;
  });
  PostMessageA(window, WM_USER, 0, 0);
  PostMessageA(window, WM_USER, 0, 0);
  app.ProcessMessages();
  EXPECT_EQ(count, 2);
  DeallocateHWnd(window);
}

}  // namespace
