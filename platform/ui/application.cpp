#include "platform/ui/application.h"

#include "platform/ui/message_window.h"

namespace {

std::atomic<TApplication*> g_installed{nullptr};

}  // namespace

bool TApplication::RunIdleHandler(void* Sender) {
  TIdleHandler handler;
  {
    std::lock_guard lock(m_textMutex);
    handler = m_idleHandler;
  }
  bool done = true;
  if (handler) handler(Sender, done);
  return done;
}

void TApplication::HandleException(const std::exception& error) {
  ShowMessageBox(error.what(), Title(), MB_OK | MB_ICONERROR);
}

void TApplication::SetHint(const std::string& hint) {
  std::lock_guard lock(m_textMutex);
  m_hint = hint;
}

std::string TApplication::Hint() const {
  std::lock_guard lock(m_textMutex);
  return m_hint;
}

void TApplication::SetTitle(const std::string& title) {
  std::lock_guard lock(m_textMutex);
  m_title = title;
}

std::string TApplication::Title() const {
  std::lock_guard lock(m_textMutex);
  return m_title;
}

void TApplication::SetIdleHandler(TIdleHandler handler) {
  std::lock_guard lock(m_textMutex);
  m_idleHandler = std::move(handler);
}

void THeadlessApplication::ProcessMessages() { ProcessPostedMessages(); }

int THeadlessApplication::ShowMessageBox(const std::string& text, const std::string& caption,
                                         UINT flags) {
  std::lock_guard lock(m_textMutex);
  m_boxes.push_back({text, caption, flags});
  return m_answer;
}

std::vector<TRecordedMessageBox> THeadlessApplication::MessageBoxes() const {
  std::lock_guard lock(m_textMutex);
  return m_boxes;
}

void THeadlessApplication::ClearMessageBoxes() {
  std::lock_guard lock(m_textMutex);
  m_boxes.clear();
}

void THeadlessApplication::SetMessageBoxAnswer(int answer) {
  std::lock_guard lock(m_textMutex);
  m_answer = answer;
}

THeadlessApplication& HeadlessApplication() {
  static THeadlessApplication application;
  return application;
}

TApplication& Application() {
  TApplication* installed = g_installed.load(std::memory_order_acquire);
  return installed ? *installed : HeadlessApplication();
}

void SetApplication(TApplication* application) {
  g_installed.store(application, std::memory_order_release);
}
