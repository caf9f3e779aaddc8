#include "platform/ui/application.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "platform/ui/message_window.h"

namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetApplication(nullptr);
    HeadlessApplication().ClearMessageBoxes();
    HeadlessApplication().SetMessageBoxAnswer(IDOK);
    HeadlessApplication().SetIdleHandler({});
  }
};

TEST_F(ApplicationTest, DefaultIsTheHeadlessApplication) {
  EXPECT_EQ(&Application(), static_cast<TApplication*>(&HeadlessApplication()));
}

TEST_F(ApplicationTest, RunIdleHandlerWithoutHandlerIsDone) {
  EXPECT_TRUE(Application().RunIdleHandler(nullptr));
}

TEST_F(ApplicationTest, RunIdleHandlerCallsTheHandlerOnceWithTheSender) {
  int calls = 0;
  void* seen = nullptr;
  Application().SetIdleHandler([&](void* sender, bool& done) {
    ++calls;
    seen = sender;
    done = false;
  });
  int sender = 0;
  EXPECT_FALSE(Application().RunIdleHandler(&sender));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, &sender);
}

TEST_F(ApplicationTest, MessageBoxesAreRecordedAndAnswered) {
  const std::string text = "\x89\x42\x82\xB5\x8B\x40\x94\x5C";  // CP932 bytes kept as they are
  EXPECT_EQ(Application().ShowMessageBox(text, "cap", MB_OK | MB_ICONINFORMATION), IDOK);
  HeadlessApplication().SetMessageBoxAnswer(IDNO);
  EXPECT_EQ(Application().ShowMessageBox("q", "c2", MB_YESNO), IDNO);
  auto boxes = HeadlessApplication().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Text, text);
  EXPECT_EQ(boxes[0].Caption, "cap");
  EXPECT_EQ(boxes[0].Flags, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(boxes[1].Flags, MB_YESNO);
}

TEST_F(ApplicationTest, MessageBoxFromAnotherThreadIsRecorded) {
  std::thread t([] { Application().ShowMessageBox("from timer", "c", MB_OK); });
  t.join();
  ASSERT_EQ(HeadlessApplication().MessageBoxes().size(), 1u);
}

TEST_F(ApplicationTest, HandleExceptionShowsTheMessageWithTheTitle) {
  Application().SetTitle("Pluvionaut");
  Application().HandleException(std::runtime_error("broken buffer"));
  auto boxes = HeadlessApplication().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "broken buffer");
  EXPECT_EQ(boxes[0].Caption, "Pluvionaut");
  EXPECT_EQ(boxes[0].Flags & MB_ICONERROR, MB_ICONERROR);
}

TEST_F(ApplicationTest, ProcessMessagesPumpsPostedMessages) {
  int calls = 0;
  HWND hwnd = AllocateHWnd([&](UINT, WPARAM, LPARAM) -> LRESULT { return ++calls; });
  PostMessageA(hwnd, WM_USER, 0, 0);
  Application().ProcessMessages();
  EXPECT_EQ(calls, 1);
  DeallocateHWnd(hwnd);
}

TEST_F(ApplicationTest, HintAndCursorAreKept) {
  Application().SetHint("hint");
  EXPECT_EQ(Application().Hint(), "hint");
  Application().PublishCursorClientX(-12);
  EXPECT_EQ(Application().CursorClientX(), -12);
  std::thread t([] { Application().PublishCursorClientX(639); });
  t.join();
  EXPECT_EQ(Application().CursorClientX(), 639);
}

class TInstalledApplication : public TApplication {
 public:
  void ProcessMessages() override { ++pumps; }
  int ShowMessageBox(const std::string&, const std::string&, UINT) override { return IDCANCEL; }
  int pumps = 0;
};

TEST_F(ApplicationTest, InstalledApplicationReplacesTheDefaultUntilRemoved) {
  TInstalledApplication installed;
  SetApplication(&installed);
  Application().ProcessMessages();
  EXPECT_EQ(installed.pumps, 1);
  EXPECT_EQ(Application().ShowMessageBox("t", "c", MB_OK), IDCANCEL);
  SetApplication(nullptr);
  EXPECT_TRUE(HeadlessApplication().MessageBoxes().empty());
}

}  // namespace
