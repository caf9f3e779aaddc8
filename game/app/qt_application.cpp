#include "game/app/qt_application.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "game/app/tr.h"
#include "platform/kernel/cp932.h"
#include "platform/ui/message_window.h"

namespace {

constexpr UINT kButtonMask = 0x000F;
constexpr UINT kIconMask = 0x00F0;

QMessageBox::Icon IconOf(UINT flags) {
  switch (flags & kIconMask) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

void DeliverPostedMessages() { ProcessPostedMessages(); }

// A box text of the Qt-free parts (the sequencer's unlock box) is a Japanese
// source text: it is shown in the current language. Texts already translated
// by their caller find no translation and stay as they are.
QString TranslatedForQt(const std::string& cp932) {
  QString text = Tr(QString::fromStdString(Cp932ToUtf8(cp932)));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

}  // namespace

QString MessageTextForQt(const std::string& cp932) {
  QString text = QString::fromStdString(Cp932ToUtf8(cp932));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

TQtApplication::TQtApplication() {
  // Another thread posted a message: have the main loop deliver it.
  SetPostedMessageWakeup([] {
    if (QCoreApplication* app = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(app, &DeliverPostedMessages, Qt::QueuedConnection);
    }
  });
  SetApplication(this);
}

TQtApplication::~TQtApplication() {
  SetApplication(nullptr);
  SetPostedMessageWakeup({});
}

void TQtApplication::ProcessMessages() {
  QCoreApplication::processEvents();
  ProcessPostedMessages();
}

int TQtApplication::ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return IDCANCEL;
  // Translated on the main thread, where the translators change.
  if (QThread::currentThread() == app->thread()) {
    return ShowMessageBoxHere(TranslatedForQt(text), TranslatedForQt(caption), flags);
  }
  int answer = IDCANCEL;
  QMetaObject::invokeMethod(
      app, [&] { answer = ShowMessageBoxHere(TranslatedForQt(text), TranslatedForQt(caption), flags); },
      Qt::BlockingQueuedConnection);
  return answer;
}

int TQtApplication::ShowMessageBoxHere(const QString& text, const QString& caption, UINT flags) {
  QMessageBox box(IconOf(flags), caption, text, QMessageBox::NoButton, m_mainWindow);
  box.setWindowModality(Qt::ApplicationModal);
  struct TButton {
    QMessageBox::StandardButton Button;
    int Id;
  };
  std::vector<TButton> buttons;
  switch (flags & kButtonMask) {
    case MB_OKCANCEL:
      buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO:
      buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
      break;
    default:
      buttons = {{QMessageBox::Ok, IDOK}};
      break;
  }
  for (const TButton& b : buttons) box.addButton(b.Button);
  const auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const TButton& b : buttons) {
    if (b.Button == chosen) return b.Id;
  }
  // Closed with the window's close button: the answer of Cancel or No, or
  // OK when that is the only button, as Windows does.
  return buttons.size() == 1 ? IDOK : buttons.back().Id;
}
