#include "platform/ui/message_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct TReceived {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class MessageWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ProcessPostedMessages(); }
  void TearDown() override {
    SetPostedMessageWakeup({});
    ProcessPostedMessages();
  }
};

TEST_F(MessageWindowTest, PostToUnknownOrDeallocatedWindowFails) {
  EXPECT_EQ(PostMessageA(nullptr, WM_USER, 0, 0), FALSE);
  HWND hwnd = AllocateHWnd([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  DeallocateHWnd(hwnd);
  EXPECT_EQ(PostMessageA(hwnd, WM_USER, 0, 0), FALSE);
  EXPECT_EQ(PostedMessageCount(), 0);
  DeallocateHWnd(hwnd);  // twice is harmless
}

TEST_F(MessageWindowTest, MessagesQueuedForADeallocatedWindowAreDropped) {
  int calls = 0;
  HWND doomed = AllocateHWnd([&](UINT, WPARAM, LPARAM) -> LRESULT { return ++calls; });
  std::vector<UINT> other;
  HWND kept = AllocateHWnd([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
    other.push_back(msg);
    return 0;
  });
  ASSERT_EQ(PostMessageA(doomed, WM_USER + 1, 0, 0), TRUE);
  ASSERT_EQ(PostMessageA(kept, WM_USER + 2, 0, 0), TRUE);
  DeallocateHWnd(doomed);
  EXPECT_EQ(ProcessPostedMessages(), 1);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(other, std::vector<UINT>{WM_USER + 2});
  DeallocateHWnd(kept);
}

TEST_F(MessageWindowTest, DeliversInPostingOrderWithParameters) {
  std::vector<TReceived> received;
  HWND hwnd = AllocateHWnd([&](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    received.push_back({msg, w, l});
    return 0;
  });
  EXPECT_EQ(PostedMessageCount(), 0);
  PostMessageA(hwnd, 0x3C9, 7, -5);
  PostMessageA(hwnd, WM_USER, 1, 2);
  EXPECT_EQ(PostedMessageCount(), 2);
  EXPECT_TRUE(received.empty());  // nothing before the pump runs
  EXPECT_EQ(ProcessPostedMessages(), 2);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].msg, 0x3C9u);
  EXPECT_EQ(received[0].wParam, 7u);
  EXPECT_EQ(received[0].lParam, -5);
  EXPECT_EQ(received[1].msg, WM_USER);
  EXPECT_EQ(ProcessPostedMessages(), 0);
  DeallocateHWnd(hwnd);
}

TEST_F(MessageWindowTest, MessagesPostedByAProcedureWaitForTheNextPump) {
  HWND hwnd = nullptr;
  int calls = 0;
  hwnd = AllocateHWnd([&](UINT, WPARAM, LPARAM) -> LRESULT {
    if (++calls < 3) PostMessageA(hwnd, WM_USER, 0, 0);
    return 0;
  });
  PostMessageA(hwnd, WM_USER, 0, 0);
  EXPECT_EQ(ProcessPostedMessages(), 1);
  EXPECT_EQ(ProcessPostedMessages(), 1);
  EXPECT_EQ(ProcessPostedMessages(), 1);
  EXPECT_EQ(ProcessPostedMessages(), 0);
  EXPECT_EQ(calls, 3);
  DeallocateHWnd(hwnd);
}

TEST_F(MessageWindowTest, ProcedureMayDeallocateItsOwnWindow) {
  HWND hwnd = nullptr;
  int calls = 0;
  hwnd = AllocateHWnd([&](UINT, WPARAM, LPARAM) -> LRESULT {
    ++calls;
    DeallocateHWnd(hwnd);
    return 0;
  });
  PostMessageA(hwnd, WM_USER, 0, 0);
  PostMessageA(hwnd, WM_USER, 0, 0);
  ProcessPostedMessages();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(PostedMessageCount(), 0);
}

TEST_F(MessageWindowTest, DefWindowProcReturnsZero) {
  EXPECT_EQ(DefWindowProcA(nullptr, WM_USER, 1, 2), 0);
}

TEST_F(MessageWindowTest, PostsFromOtherThreadsArriveOnThePumpingThreadAndWake) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 250;
  std::atomic<int> wakeups{0};
  SetPostedMessageWakeup([&] { wakeups.fetch_add(1); });
  const auto mainId = std::this_thread::get_id();
  int delivered = 0;
  bool allOnMain = true;
  HWND hwnd = AllocateHWnd([&](UINT, WPARAM, LPARAM) -> LRESULT {
    ++delivered;
    allOnMain = allOnMain && std::this_thread::get_id() == mainId;
    return 0;
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kPerThread; ++i) PostMessageA(hwnd, WM_USER, 0, 0);
    });
  }
  for (auto& t : threads) t.join();
  ProcessPostedMessages();
  EXPECT_EQ(delivered, kThreads * kPerThread);
  EXPECT_EQ(wakeups.load(), kThreads * kPerThread);
  EXPECT_TRUE(allOnMain);
  DeallocateHWnd(hwnd);
}

}  // namespace
