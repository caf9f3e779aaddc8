#include "platform/ui/message_window.h"

#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

// What an HWND of a message window points at. Only its address is used.
struct TMessageWindow {
  std::shared_ptr<TWindowProcedure> procedure;
};

struct TPostedMessage {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

struct TMessageQueue {
  std::mutex mutex;
  std::unordered_map<HWND, std::unique_ptr<TMessageWindow>> windows;
  std::deque<TPostedMessage> queue;
  std::shared_ptr<std::function<void()>> wakeup;
};

TMessageQueue& Queue() {
  static TMessageQueue queue;
  return queue;
}

}  // namespace

HWND AllocateHWnd(TWindowProcedure procedure) {
  auto window = std::make_unique<TMessageWindow>();
  window->procedure = std::make_shared<TWindowProcedure>(std::move(procedure));
  HWND hwnd = reinterpret_cast<HWND>(window.get());
  TMessageQueue& q = Queue();
  std::lock_guard lock(q.mutex);
  q.windows.emplace(hwnd, std::move(window));
  return hwnd;
}

void DeallocateHWnd(HWND hwnd) {
  std::unique_ptr<TMessageWindow> doomed;
  TMessageQueue& q = Queue();
  {
    std::lock_guard lock(q.mutex);
    auto it = q.windows.find(hwnd);
    if (it == q.windows.end()) return;
    doomed = std::move(it->second);
    q.windows.erase(it);
    std::erase_if(q.queue, [hwnd](const TPostedMessage& m) { return m.hwnd == hwnd; });
  }
  // Freed outside the lock: the procedure may own objects whose destructors post.
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<std::function<void()>> wakeup;
  TMessageQueue& q = Queue();
  {
    std::lock_guard lock(q.mutex);
    if (!q.windows.contains(hwnd)) return FALSE;
    q.queue.push_back({hwnd, msg, wParam, lParam});
    wakeup = q.wakeup;
  }
  if (wakeup && *wakeup) (*wakeup)();
  return TRUE;
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

int ProcessPostedMessages() {
  TMessageQueue& q = Queue();
  size_t pending;
  {
    std::lock_guard lock(q.mutex);
    pending = q.queue.size();
  }
  int delivered = 0;
  for (; pending > 0; --pending) {
    TPostedMessage message;
    std::shared_ptr<TWindowProcedure> procedure;
    {
      std::lock_guard lock(q.mutex);
      if (q.queue.empty()) break;  // a deallocation removed the rest
      message = q.queue.front();
      q.queue.pop_front();
      auto it = q.windows.find(message.hwnd);
      if (it == q.windows.end()) continue;
      procedure = it->second->procedure;
    }
    // Called without the lock so that the procedure may post or deallocate.
    if (*procedure) (*procedure)(message.msg, message.wParam, message.lParam);
    ++delivered;
  }
  return delivered;
}

int PostedMessageCount() {
  TMessageQueue& q = Queue();
  std::lock_guard lock(q.mutex);
  return static_cast<int>(q.queue.size());
}

void SetPostedMessageWakeup(std::function<void()> wakeup) {
  auto shared = std::make_shared<std::function<void()>>(std::move(wakeup));
  TMessageQueue& q = Queue();
  std::lock_guard lock(q.mutex);
  q.wakeup = std::move(shared);
}
