// The application object the core uses without knowing the window toolkit:
// message pump, idle handler, hint, message boxes, the published mouse x and
// the exception handler. The Qt main window installs its own implementation
// with SetApplication; until then a headless one records message boxes and
// pumps posted messages. ProcessMessages / RunIdleHandler: main thread;
// ShowMessageBox and HandleException: any thread (the implementation
// marshals to the main thread); cursor x: published by the main thread, read
// anywhere. The installer owns an installed application.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/wintypes/wintypes.h"

// Message-box buttons and icons (flags), and the answers.
inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_OKCANCEL = 0x0001;
inline constexpr UINT MB_YESNO = 0x0004;
inline constexpr UINT MB_ICONERROR = 0x0010;
inline constexpr UINT MB_ICONQUESTION = 0x0020;
inline constexpr UINT MB_ICONWARNING = 0x0030;
inline constexpr UINT MB_ICONINFORMATION = 0x0040;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The frame loop's signature: Done = false asks to be called again at once.
using TIdleHandler = std::function<void(void* Sender, bool& Done)>;

class TApplication {
 public:
  virtual ~TApplication() = default;

  // Handles every pending window message (posted messages included), then returns.
  virtual void ProcessMessages() = 0;

  // Calls the installed idle handler once with the given sender; returns its Done
  // (true when no handler is installed).
  virtual bool RunIdleHandler(void* Sender);

  // Shows a modal message box; texts in CP932. Returns the button chosen (IDOK...).
  virtual int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) = 0;

  // Shows an error that was caught and lets the program go on.
  virtual void HandleException(const std::exception& error);

  // The hint of the control under the mouse (CP932), shown in the status bar.
  virtual void SetHint(const std::string& hint);
  std::string Hint() const;

  // Title of the application (CP932), the caption of error boxes.
  void SetTitle(const std::string& title);
  std::string Title() const;

  void SetIdleHandler(TIdleHandler handler);

  // The mouse x in the main window's client coordinates, published by the main
  // thread for the timer thread's catch judgement.
  void PublishCursorClientX(int x) { m_cursorClientX.store(x, std::memory_order_relaxed); }
  int CursorClientX() const { return m_cursorClientX.load(std::memory_order_relaxed); }

 protected:
  mutable std::mutex m_textMutex;

 private:
  std::string m_hint;
  std::string m_title = "Pluvionaut";
  TIdleHandler m_idleHandler;
  std::atomic<int> m_cursorClientX{0};
};

// One message box as the headless application saw it.
struct TRecordedMessageBox {
  std::string Text;
  std::string Caption;
  UINT Flags;
};

// The application without a window system: posted messages are pumped, message
// boxes are recorded and answered with a chosen button.
class THeadlessApplication : public TApplication {
 public:
  void ProcessMessages() override;
  int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) override;

  std::vector<TRecordedMessageBox> MessageBoxes() const;
  void ClearMessageBoxes();
  // The answer every following message box gives (IDOK by default).
  void SetMessageBoxAnswer(int answer);

 private:
  std::vector<TRecordedMessageBox> m_boxes;
  int m_answer = IDOK;
};

// The application in force: the installed one, else the headless default.
TApplication& Application();

// The headless default (tests inspect its message boxes).
THeadlessApplication& HeadlessApplication();

// Installs an application (nullptr returns to the headless default).
void SetApplication(TApplication* application);
