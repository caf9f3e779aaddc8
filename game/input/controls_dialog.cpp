#include "game/input/controls_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "game/app/tr.h"
#include "game/core/extended_settings.h"
#include "game/menus/main_menu.h"

namespace {

constexpr double kDeadZoneStep = 0.01;
constexpr int kDeadZoneDecimals = 2;
// Wide enough for the refusal line on two lines at most.
constexpr int kDialogMinWidth = 360;

}  // namespace

QString KeyActionCaption(TKeyAction action) {
  switch (action) {
    case TKeyAction::Left:
      return Tr("左キー");
    case TKeyAction::Right:
      return Tr("右キー");
    case TKeyAction::Dash:
      return Tr("ダッシュキー");
    case TKeyAction::Pause:
      break;
  }
  return Tr("一時停止キー");
}

TControlsDialog::TControlsDialog(QWidget* parent, TExtendedSettings& settings)
    : QDialog(parent), m_settings(settings), m_bindings(ReadKeyBindings(settings)) {
  setObjectName(QStringLiteral("ControlsDialog"));
  setWindowTitle(Tr("操作の設定"));
  setMinimumWidth(kDialogMinWidth);
  auto* layout = new QVBoxLayout(this);
  auto* guide = new QLabel(Tr("ボタンを押してから、使いたいキーを押してね。"), this);
  guide->setWordWrap(true);
  layout->addWidget(guide);
  auto* form = new QFormLayout;
  for (int i = 0; i < kKeyActionCount; ++i) {
    const auto action = static_cast<TKeyAction>(i);
    auto* button = new QPushButton(this);
    button->setObjectName(QString::fromLatin1("KeyButton%1").arg(i));
    // The button takes the next key itself: no key may trigger it.
    button->setAutoDefault(false);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, [this, action] { StartWaiting(action); });
    m_buttons[i] = button;
    form->addRow(KeyActionCaption(action), button);
  }
  m_deadZone = new QDoubleSpinBox(this);
  m_deadZone->setObjectName(QStringLiteral("DeadZone"));
  m_deadZone->setRange(kPadDeadZoneMin, kPadDeadZoneMax);
  m_deadZone->setSingleStep(kDeadZoneStep);
  m_deadZone->setDecimals(kDeadZoneDecimals);
  m_deadZone->setValue(ReadPadDeadZone(settings));
  m_deadZone->setToolTip(Tr("スティックをこれより小さく倒しても、バーは動かないよ。"));
  form->addRow(Tr("パッドの遊び"), m_deadZone);
  layout->addLayout(form);
  m_message = new QLabel(this);
  m_message->setObjectName(QStringLiteral("Message"));
  m_message->setWordWrap(true);
  layout->addWidget(m_message);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(Tr("これにする"), QDialogButtonBox::AcceptRole);
  ok->setAutoDefault(false);
  QPushButton* cancel = buttons->addButton(Tr("やめる"), QDialogButtonBox::RejectRole);
  cancel->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  UpdateButtons();
}

void TControlsDialog::StartWaiting(TKeyAction action) {
  m_waiting = static_cast<int>(action);
  m_message->setText(Tr("%1にするキーを押してね。").arg(KeyActionCaption(action)));
  UpdateButtons();
  m_buttons[m_waiting]->setFocus();
}

bool TControlsDialog::Bind(TKeyAction action, int key) {
  TKeyAction other{};
  if (m_bindings.Find(key, other) && other != action) {
    m_message->setText(Tr("そのキーはもう%1で使ってるよ。ほかのキーにしてね。").arg(KeyActionCaption(other)));
    return false;
  }
  m_bindings.Keys[static_cast<int>(action)] = {key};
  m_message->clear();
  UpdateButtons();
  return true;
}

void TControlsDialog::UpdateButtons() {
  for (int i = 0; i < kKeyActionCount; ++i) {
    m_buttons[i]->setText(i == m_waiting ? Tr("キーを待ってるよ…") : KeyListNativeText(m_bindings.Keys[i]));
  }
}

bool TControlsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (m_waiting < 0 || event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->isAutoRepeat()) return true;
  const int action = std::exchange(m_waiting, -1);
  if (!Bind(static_cast<TKeyAction>(action), key->key())) UpdateButtons();
  return true;
}

void TControlsDialog::accept() {
  WriteKeyBindings(m_bindings, m_settings);
  WritePadDeadZone(m_deadZone->value(), m_settings);
  QDialog::accept();
}

QAction* AddControlsItem(TMainMenu& menu) {
  QMenu* play = menu.Item("P1")->menu();
  QAction* item = menu.AddCommand(play, "Controls", QStringLiteral("操作の設定..."),
                                  QStringLiteral("キーボードやゲームパッドでもバーを動かせるよ。キーはここで決めてね。"));
  menu.AddIdleOnly(item);
  return item;
}
