#include "game/practice/practice_mode.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "game/app/tr.h"
#include "game/core/extended_settings.h"
#include "game/core/setting_declarations.h"
#include "game/core/translatable.h"
#include "game/menus/main_menu.h"
#include "game/practice/progress_strip.h"
#include "midi/midi_song.h"
#include "game/sequencer/window_player.h"

namespace {

// Status panel 0 of a practice game (source texts for Tr).
constexpr const char* kPassText = Translatable("%1回目: Good %2 / Bad %3");
constexpr const char* kSpeedText = Translatable("練習中: 速さ %1%");
constexpr const char* kSlowedText = Translatable("（速さ %1%）");

}  // namespace

TPracticeMode::TPracticeMode(TMainMenu& menu, TExtendedSettings& settings, QWidget& window, THost host)
    : QObject(&window), m_settings(settings), m_host(std::move(host)) {
  QMenu* play = menu.Item("P1")->menu();
  play->addSeparator();
  m_item = menu.AddCheck(play, "PracticeMode", QStringLiteral("練習モード"),
                         QStringLiteral("好きなところから、何度でも練習できるよ。区間は [ と ] で決めてね。"),
                         settings.Bool(kPracticeModeSetting));
  menu.AddIdleOnly(m_item);
  m_item->setVisible(false);
  connect(m_item, &QAction::toggled, this, [this](bool checked) { m_settings.SetBool(kPracticeModeKey, checked); });
  m_strip = new TProgressStrip(m_host.StripParent != nullptr ? m_host.StripParent : &window);
  m_strip->OnSeek = [this](int32_t ms) {
    if (Active()) Seek(ms);
  };
  AddKey(window, "PracticeSetA", {QKeySequence(Qt::Key_BracketLeft)}, [this] { SetA(); });
  AddKey(window, "PracticeSetB", {QKeySequence(Qt::Key_BracketRight)}, [this] { SetB(); });
  AddKey(window, "PracticeJumpToA", {QKeySequence(Qt::Key_Backspace)}, [this] { JumpToA(); });
  AddKey(window, "PracticeBack", {QKeySequence(Qt::Key_PageUp)}, [this] { SeekBy(-kSeekStepMs); });
  AddKey(window, "PracticeForward", {QKeySequence(Qt::Key_PageDown)}, [this] { SeekBy(kSeekStepMs); });
  AddKey(window, "PracticeStart", {QKeySequence(Qt::Key_Home)}, [this] { Seek(0); });
  AddKey(window, "PracticeSlower", {QKeySequence(Qt::Key_Minus), QKeySequence(Qt::KeypadModifier | Qt::Key_Minus)},
         [this] { Slower(); });
  AddKey(window, "PracticeFaster",
         {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::KeypadModifier | Qt::Key_Plus),
          QKeySequence(Qt::ShiftModifier | Qt::Key_Plus)},
         [this] { Faster(); });
}

void TPracticeMode::AddKey(QWidget& window, const char* name, const QList<QKeySequence>& keys,
                           std::function<void()> action) {
  auto* key = new QAction(&window);
  key->setObjectName(QString::fromLatin1(name));
  key->setShortcuts(keys);
  key->setShortcutContext(Qt::WindowShortcut);
  // Keys of practice games only: outside them they do nothing at all.
  connect(key, &QAction::triggered, this, [this, action = std::move(action)] {
    if (Active()) action();
  });
  window.addAction(key);
}

void TPracticeMode::ApplyVisibility(bool openVisible) {
  if (m_item->isVisible() != openVisible) m_item->setVisible(openVisible);
}

void TPracticeMode::BeginGame() {
  TWindowPlayer* player = m_host.Player();
  m_game = m_item->isVisible() && m_item->isChecked();
  m_loop.Clear();
  m_passes.Clear();
  if (player == nullptr) return;
  player->SetPractice(m_game);
  player->SetLoopEnd(-1);
  if (!m_game) {
    player->SetLoopEndHandler(nullptr);
    m_strip->hide();
    return;
  }
  player->SetLoopEndHandler([this] {
    // Out of the message that told it: the jump's count-in runs the event loop.
    QTimer::singleShot(0, this, [this] { LoopEnded(); });
  });
  ApplySpeed();
  std::vector<int32_t> noteTimes;
  for (const TMidiEventItemStanderd* event : player->Song().Events) {
    if (event->Kind == MidiKind::NoteOn) noteTimes.push_back(event->Time);
  }
  m_strip->SetSong(noteTimes, player->EndTime());
}

void TPracticeMode::Follow() {
  TWindowPlayer* player = RunningPlayer();
  if (player == nullptr) {
    if (m_strip->isVisible()) m_strip->hide();
    return;
  }
  m_strip->SetPosition(player->PositionMs(), m_loop.A(), m_loop.B());
  if (!m_strip->isVisible()) {
    m_strip->show();
    m_strip->raise();
  }
}

TWindowPlayer* TPracticeMode::RunningPlayer() const {
  if (!m_game) return nullptr;
  TWindowPlayer* player = m_host.Player();
  return player != nullptr && player->Playing() ? player : nullptr;
}

bool TPracticeMode::Active() const { return RunningPlayer() != nullptr; }

QString TPracticeMode::StatusText() const {
  TWindowPlayer* player = RunningPlayer();
  if (player == nullptr) return {};
  const int percent = m_speed.Percent();
  if (m_loop.Range(player->EndTime())) {
    const TPracticePasses::TPass pass = m_passes.Current(player->GoodCount(), player->BadCount());
    QString text = Tr(kPassText).arg(pass.Number).arg(pass.Good).arg(pass.Bad);
    if (percent != TPracticeSpeed::kFullPercent) text += Tr(kSlowedText).arg(percent);
    return text;
  }
  return Tr(kSpeedText).arg(percent);
}

TPracticeRange TPracticeMode::PlayedRange() const {
  TWindowPlayer* player = m_host.Player();
  const int32_t end = player != nullptr ? player->EndTime() : 0;
  return m_loop.Range(end).value_or(TPracticeRange{0, end});
}

// ---- Marks and the loop ----

void TPracticeMode::SetA() {
  TWindowPlayer* player = RunningPlayer();
  if (player == nullptr) return;
  m_loop.SetA(player->PositionMs());
  ApplyLoop(false);
}

void TPracticeMode::SetB() {
  TWindowPlayer* player = RunningPlayer();
  if (player == nullptr) return;
  m_loop.SetB(player->PositionMs());
  ApplyLoop(true);
}

void TPracticeMode::ApplyLoop(bool startAtA) {
  TWindowPlayer* player = RunningPlayer();
  if (player == nullptr) return;
  const std::optional<TPracticeRange> range = m_loop.Range(player->EndTime());
  if (!range) return;
  // A new loop counts its passes from one; the jump keeps the counters, so
  // the pass begins before it and its count-in already shows it.
  m_passes.Clear();
  m_passes.Begin(player->GoodCount(), player->BadCount());
  player->SetLoopEnd(range->ToMs);
  if (startAtA && player->JumpTo(range->FromMs)) m_host.Moved();
}

void TPracticeMode::LoopEnded() {
  TWindowPlayer* player = RunningPlayer();
  if (player == nullptr) return;
  const std::optional<TPracticeRange> range = m_loop.Range(player->EndTime());
  if (!range) return;
  m_passes.End(player->GoodCount(), player->BadCount());
  if (player->JumpTo(range->FromMs)) {
    m_host.Moved();
  } else if (player->Playing() && player->PauseState() == TPauseState::None) {
    // The jump was refused (a count-in ran): try again from the event loop.
    QTimer::singleShot(0, this, [this] { LoopEnded(); });
  }
}

void TPracticeMode::JumpToA() {
  TWindowPlayer* player = RunningPlayer();
  if (player == nullptr) return;
  // Back at the start of the loop: the pass begins anew.
  if (m_loop.Range(player->EndTime())) m_passes.Begin(player->GoodCount(), player->BadCount());
  if (player->JumpTo(m_loop.A().value_or(0))) m_host.Moved();
}

void TPracticeMode::Seek(int32_t Ms) {
  TWindowPlayer* player = RunningPlayer();
  if (player == nullptr) return;
  if (player->JumpTo(std::clamp(Ms, 0, player->EndTime()))) m_host.Moved();
}

void TPracticeMode::SeekBy(int32_t DeltaMs) {
  TWindowPlayer* player = RunningPlayer();
  if (player == nullptr) return;
  Seek(player->PositionMs() + DeltaMs);
}

// ---- Speed ----

void TPracticeMode::Slower() {
  if (m_speed.Slower()) ApplySpeed();
}

void TPracticeMode::Faster() {
  if (m_speed.Faster()) ApplySpeed();
}

void TPracticeMode::ApplySpeed() {
  TWindowPlayer* player = m_host.Player();
  if (player == nullptr || !m_game) return;
  // On top of the designed music speed, which stays as the option says.
  player->SetPlaySpeed(m_host.MusicSpeed() * m_speed.Factor());
}
