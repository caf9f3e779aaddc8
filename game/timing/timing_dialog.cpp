#include "game/timing/timing_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "game/timing/timing_settings.h"
#include "game/app/tr.h"

namespace {

using std::chrono::milliseconds;

// The beats are handed to the output this long before they are due: the
// synthesizer then starts each on its exact sample, whatever the event loop
// is doing at that moment.
constexpr milliseconds kSendAhead{150};
constexpr milliseconds kStickLength{100};
constexpr milliseconds kFlashLength{100};
// The metronome's first beat, after the dialog has had time to show.
constexpr milliseconds kFirstBeatDelay{1000};
constexpr int kPollMs = 2;
constexpr int kFlashSize = 64;
constexpr uint32_t kNoteOffVelocity = 0;

double MsSince(TTimingDialog::TClock::time_point from, TTimingDialog::TClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

TTimingDialog::TTimingDialog(QWidget* parent, HMIDIOUT output, TExtendedSettings& settings)
    : QDialog(parent), m_output(output), m_settings(settings) {
  setObjectName(QStringLiteral("TimingDialog"));
  setWindowTitle(Tr("タイミング調整"));
  auto* layout = new QVBoxLayout(this);
  m_guide = new QLabel(this);
  m_guide->setWordWrap(true);
  layout->addWidget(m_guide);

  m_flash = new QWidget(this);
  m_flash->setObjectName(QStringLiteral("TimingFlash"));
  m_flash->setFixedSize(kFlashSize, kFlashSize);
  m_flash->setAutoFillBackground(true);
  layout->addWidget(m_flash, 0, Qt::AlignHCenter);

  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("TimingStatus"));
  // The proposal is a long line: wrapped, so that the dialog keeps its width,
  // in room for two lines kept from the start, so that nothing moves.
  m_status->setWordWrap(true);
  m_status->setMinimumHeight(2 * m_status->fontMetrics().lineSpacing());
  layout->addWidget(m_status);

  auto* sliderRow = new QHBoxLayout;
  m_slider = new QSlider(Qt::Horizontal, this);
  m_slider->setObjectName(QStringLiteral("TimingOffset"));
  m_slider->setRange(kOffsetMinMs, kOffsetMaxMs);
  m_slider->setValue(ReadOffsetMs(settings));
  // Space and clicks are taps: the slider takes neither focus nor Space.
  m_slider->setFocusPolicy(Qt::NoFocus);
  m_sliderValue = new QLabel(this);
  sliderRow->addWidget(m_slider, 1);
  sliderRow->addWidget(m_sliderValue);
  layout->addLayout(sliderRow);
  connect(m_slider, &QSlider::valueChanged, this, [this] { UpdateSliderLabel(); });

  auto* buttons = new QDialogButtonBox(this);
  m_ok = buttons->addButton(Tr("この値にする"), QDialogButtonBox::AcceptRole);
  QPushButton* again = buttons->addButton(Tr("やり直す"), QDialogButtonBox::ResetRole);
  QPushButton* cancel = buttons->addButton(Tr("やめる"), QDialogButtonBox::RejectRole);
  for (QPushButton* button : {m_ok, again, cancel}) {
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
  }
  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(again, &QPushButton::clicked, this, [this] { Restart(); });
  layout->addWidget(buttons);
  setFocusPolicy(Qt::StrongFocus);

  m_timer.setTimerType(Qt::PreciseTimer);
  m_timer.setInterval(kPollMs);
  connect(&m_timer, &QTimer::timeout, this, [this] { Pump(TClock::now()); });
  Restart();
}

TTimingDialog::~TTimingDialog() { m_timer.stop(); }

void TTimingDialog::Restart() {
  m_heard.Clear();
  m_seen.Clear();
  StartRound(TRound::Heard);
  m_timer.start();
  UpdateSliderLabel();
}

void TTimingDialog::StartRound(TRound round) {
  m_round = round;
  m_beatsSent = 0;
  m_beatsFlashed = 0;
  m_flashOff = {};
  m_firstBeat = TClock::now() + kFirstBeatDelay;
  m_guide->setText(round == TRound::Heard
                       ? Tr("カッ、カッて音が聞こえたら、そのたびにスペースキーかクリックで合わせてね。")
                       : Tr("こんどは音なしだよ。四角が光ったら、そのたびにスペースキーかクリックで合わせてね。"));
  UpdateTexts();
}

void TTimingDialog::SendBeat(TClock::time_point due) {
  if (m_output == nullptr) return;
  const DWORD on = static_cast<DWORD>(kDrumStatus | kSideStick << 8 | kStickVelocity << 16);
  const DWORD off = static_cast<DWORD>(kDrumStatus | kSideStick << 8 | kNoteOffVelocity << 16);
  midiOutShortMsgAt(m_output, on, due);
  midiOutShortMsgAt(m_output, off, due + kStickLength);
}

void TTimingDialog::Pump(TClock::time_point now) {
  while (m_firstBeat + m_beatsSent * kBeatPeriod <= now + kSendAhead) {
    if (m_round == TRound::Heard) SendBeat(m_firstBeat + m_beatsSent * kBeatPeriod);
    ++m_beatsSent;
  }
  while (m_beatsFlashed < m_beatsSent && m_firstBeat + m_beatsFlashed * kBeatPeriod <= now) {
    if (m_round == TRound::Seen) m_flashOff = m_firstBeat + m_beatsFlashed * kBeatPeriod + kFlashLength;
    ++m_beatsFlashed;
  }
  const QPalette::ColorRole role = now < m_flashOff ? QPalette::Highlight : QPalette::Mid;
  const QColor color = palette().color(role);
  QPalette flashPalette = m_flash->palette();
  if (flashPalette.color(QPalette::Window) != color) {
    flashPalette.setColor(QPalette::Window, color);
    m_flash->setPalette(flashPalette);
  }
}

void TTimingDialog::Tap(TClock::time_point at) {
  if (at < m_firstBeat - kBeatPeriod / 2) return;  // before the round's metronome began
  TOffsetCalibration& round = m_round == TRound::Heard ? m_heard : m_seen;
  round.AddTap(TOffsetCalibration::DeviationFromNearestBeat(MsSince(m_firstBeat, at), 0.0,
                                                            static_cast<double>(kBeatPeriod.count())));
  if (m_round == TRound::Heard && m_heard.Ready()) {
    StartRound(TRound::Seen);
    return;
  }
  const std::optional<int> proposal = TOffsetCalibration::ProposedOffsetMs(m_heard, m_seen);
  if (proposal) {
    // The slider follows the proposal while the player keeps tapping.
    m_slider->setValue(*proposal);
  }
  UpdateTexts();
}

int TTimingDialog::ChosenOffsetMs() const { return m_slider->value(); }

void TTimingDialog::UpdateTexts() {
  const TOffsetCalibration& round = m_round == TRound::Heard ? m_heard : m_seen;
  const std::optional<int> proposal = TOffsetCalibration::ProposedOffsetMs(m_heard, m_seen);
  if (!proposal) {
    m_status->setText(Tr("あと %1 回合わせてね。").arg(TOffsetCalibration::kNeededTaps - round.GoodTapCount()));
  } else {
    m_status->setText(Tr("%1 ミリ秒ずれてるみたい。この値でよければ決めてね。スライダーで直してもいいよ。")
                          .arg(*proposal));
  }
}

void TTimingDialog::UpdateSliderLabel() { m_sliderValue->setText(Tr("%1 ミリ秒").arg(m_slider->value())); }

void TTimingDialog::accept() {
  m_settings.SetInteger(kOffsetKey, ChosenOffsetMs());
  QDialog::accept();
}

void TTimingDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space) {
    if (!event->isAutoRepeat()) Tap(TClock::now());
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TTimingDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    Tap(TClock::now());
    event->accept();
    return;
  }
  QDialog::mousePressEvent(event);
}
