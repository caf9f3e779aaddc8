// The preview's output (a song with ports of its own and the schedule of what
// it sends), and TSongPreview driving it: the timer thread sends, the main
// thread starts, stops, ends and closes.
#include "game/library/song_preview.h"

#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <map>

#include "game/sequencer/sounding_notes.h"
#include "library/song_facts.h"
#include "midi/event_item.h"
#include "midi/event_item_long.h"
#include "midi/midi_output.h"
#include "midi/mm_timer.h"
#include "midi/song_chase.h"
#include "platform/winmm/mmsystem.h"

namespace {

constexpr UINT kStepIntervalMs = 5;          // as the game's sequencer steps
constexpr int kHousekeepingIntervalMs = 50;  // ending and closing need no finer grid
constexpr uint32_t kStatusMask = 0xF0;
constexpr uint32_t kChannelMask = 0x0F;
constexpr uint32_t kDataMask = 0x7F;
constexpr uint32_t kControlChange = 0xB0;
constexpr uint32_t kExpressionController = 11;
constexpr int kChannels = 16;

uint32_t ControlMessage(int channel, uint32_t controller, uint32_t value) {
  return kControlChange | static_cast<uint32_t>(channel) | controller << 8 | value << 16;
}

bool IsExpression(uint32_t message) {
  return (message & kStatusMask) == kControlChange && ((message >> 8) & kDataMask) == kExpressionController;
}

// The exclusive items the sequencer sends (as TMidiEventItemLong::Execute does).
bool IsSentExclusive(const TMidiEventItemLong& item) {
  const bool kind = item.Kind == MidiKind::GMReset || item.Kind == MidiKind::GSReset || item.Kind == MidiKind::Exclusive;
  return kind && item.Bytes.Count() > 0;
}

}  // namespace

// ===== TPreviewOutput =====

// One preview: the song, its port, what it sends when (ms from the origin,
// the moment the preview started) and the notes it has left sounding. Built
// and released on the main thread; SendDue runs on the timer thread while the
// main thread leaves the output alone.
class TPreviewOutput : public TMidiOutput {
 public:
  using TClock = TSongPreview::TClock;

  // Loads the file, opens the device and lays out the preview; false (with
  // nothing sent) when the file does not load or the device does not open.
  bool Prepare(const std::string& path, int32_t deviceId, TClock::time_point origin);
  // Sends every message due by now; false once the preview has reached its end.
  bool SendDue(TClock::time_point now);
  // Note-offs for the sounding notes and the pedals up, due now.
  void Release(TClock::time_point now);
  // Closes without a reset: a reset of the built-in synthesizer would cut
  // every note it plays, those of the game included.
  bool ClosePorts() override;

  int32_t StartMs() const { return m_startMs; }
  TClock::time_point CloseAt{};

 protected:
  TMidiDueTime DueTimeFor(const TMidiEventItemStanderd&) override { return m_due; }

 private:
  struct TEntry {
    int32_t AtMs = 0;                    // from the origin
    int32_t Track = 0;                   // for the output lookup
    uint32_t Message = 0;                // a channel message, when Long is null
    TMidiEventItemLong* Long = nullptr;  // an exclusive item of the song
  };
  void Schedule();
  // Appends an entry no earlier than a reset's pause allows; a reset's own
  // pause then holds back what follows it.
  void Add(int32_t atMs, int32_t track, uint32_t message, TMidiEventItemLong* item);
  // Expression at its default on every channel of track's port that got none.
  void AddDefaultExpressions(int32_t atMs, int32_t track, const std::array<bool, kChannels>& set);
  void Send(const TEntry& entry, TMidiDueTime due);

  TClock::time_point m_origin{};
  int32_t m_startMs = 0;
  int32_t m_endMs = 0;       // from the origin: where the preview ends
  int32_t m_notBefore = 0;   // from the origin: the end of the last reset's pause
  std::vector<TEntry> m_schedule;
  size_t m_next = 0;
  TMidiDueTime m_due{};      // the due time of the exclusive message being sent
  TSoundingNotes m_sounding;
};

bool TPreviewOutput::Prepare(const std::string& path, int32_t deviceId, TClock::time_point origin) {
  LoadFromFile(path);  // EMidiError for a file the game cannot play
  std::array<bool, kChannels> every;
  every.fill(true);
  m_startMs = DensestStartMs(SongDrops(*this, every), TSongPreview::kLengthMs);
  AddPlayDevice(deviceId);
  OpenPorts();
  if (OpenHandles.Count() == 0) return false;
  m_origin = origin;
  Schedule();
  return true;
}

void TPreviewOutput::Add(int32_t atMs, int32_t track, uint32_t message, TMidiEventItemLong* item) {
  const int32_t at = std::max(atMs, m_notBefore);
  m_schedule.push_back(TEntry{at, track, message, item});
  if (item != nullptr && item->Wait > 0) m_notBefore = at + item->Wait;
}

void TPreviewOutput::AddDefaultExpressions(int32_t atMs, int32_t track, const std::array<bool, kChannels>& set) {
  for (int channel = 0; channel < kChannels; ++channel) {
    if (!set[static_cast<size_t>(channel)]) {
      Add(atMs, track, ControlMessage(channel, kExpressionController, TSongPreview::kDefaultExpression), nullptr);
    }
  }
}

void TPreviewOutput::Schedule() {
  // The chase first, as the sequencer's own start later in a song does: a
  // port without a reset gets the defaults of what the song sets only later.
  std::map<int32_t, TPortChase> ports = ChaseSong(*this, m_startMs);
  const std::map<int32_t, TPortChase> whole = ChaseSong(*this, std::numeric_limits<int32_t>::max());
  for (auto& [number, port] : ports) {
    const auto all = whole.find(number);
    if (port.LastReset == nullptr && all != whole.end()) port.Channels.FillDefaultsFrom(all->second.Channels);
  }
  // Every channel plays at half: one that the chase sets no expression on
  // gets the default, halved as all the others (through the first track of
  // each output, for the lookup).
  std::map<HMIDIOUT, int32_t> trackOf;
  for (int32_t track = 0; track < Tracks.Count(); ++track) {
    if (const HMIDIOUT output = DeviceForTrack(track)) trackOf.try_emplace(output, track);
  }
  std::map<HMIDIOUT, std::array<bool, kChannels>> expressionSet;
  for (const TChaseMessage& message : ChaseMessages(ports)) {
    Add(0, message.Track, message.Message, message.Long);
    const HMIDIOUT output = DeviceForTrack(message.Track);
    if (output != nullptr && message.Long == nullptr && IsExpression(message.Message)) {
      expressionSet[output][message.Message & kChannelMask] = true;
    }
  }
  for (const auto& [output, track] : trackOf) AddDefaultExpressions(0, track, expressionSet[output]);

  // Then the song from the start on, shifted by the pauses the chase's resets need.
  const int32_t songOrigin = m_notBefore;
  const int64_t until = static_cast<int64_t>(m_startMs) + TSongPreview::kLengthMs;
  for (TMidiEventItemStanderd* item : Events) {
    if (item->Time < m_startMs) continue;
    if (item->Time >= until) break;
    const int32_t at = songOrigin + (item->Time - m_startMs);
    if (auto* shortItem = dynamic_cast<TMidiEventItemShort*>(item)) {
      Add(at, item->Track, static_cast<uint32_t>(shortItem->Message), nullptr);
    } else if (auto* longItem = dynamic_cast<TMidiEventItemLong*>(item); longItem != nullptr && IsSentExclusive(*longItem)) {
      Add(at, item->Track, 0, longItem);
      if (longItem->Kind == MidiKind::GMReset || longItem->Kind == MidiKind::GSReset) {
        // The reset put the expression back to full: halve it again.
        AddDefaultExpressions(at, item->Track, {});
      }
    }
  }
  const int32_t length = std::min<int32_t>(TSongPreview::kLengthMs, std::max(0, EndTime - m_startMs));
  m_endMs = std::max(songOrigin + length, m_schedule.empty() ? 0 : m_schedule.back().AtMs);
}

void TPreviewOutput::Send(const TEntry& entry, TMidiDueTime due) {
  if (entry.Long != nullptr) {
    m_due = due;
    SendLong(entry.Long->Track, entry.Long);
    WaitRemaining = 0;  // the schedule has made room for the pause already
    return;
  }
  const HMIDIOUT output = DeviceForTrack(entry.Track);
  if (output == nullptr) return;
  uint32_t message = entry.Message;
  if (IsExpression(message)) {
    const auto value = static_cast<uint32_t>(TSongPreview::PreviewExpression(static_cast<int32_t>((message >> 16) & kDataMask)));
    message = (message & 0xFFFFu) | value << 16;
  }
  midiOutShortMsgAt(output, message, due);
  m_sounding.Sent(output, message);
}

bool TPreviewOutput::SendDue(TClock::time_point now) {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_origin).count();
  while (m_next < m_schedule.size() && m_schedule[m_next].AtMs <= elapsed) {
    const TEntry& entry = m_schedule[m_next++];
    Send(entry, m_origin + std::chrono::milliseconds(entry.AtMs));
  }
  return m_next < m_schedule.size() || elapsed < m_endMs;
}

void TPreviewOutput::Release(TClock::time_point now) {
  for (const TSoundingNotes::TMessage& message : m_sounding.ReleaseMessages()) {
    midiOutShortMsgAt(message.Output, message.Message, now);
  }
  m_sounding.Clear();
  m_next = m_schedule.size();
}

bool TPreviewOutput::ClosePorts() {
  for (int32_t value : OpenHandles.Data()) midiOutClose(ValueToHandle(value));
  OpenHandles.Clear();
  PortsOpen = false;
  return true;
}

// ===== TSongPreview =====

TSongPreview::TSongPreview(std::function<int32_t()> outputDevice, std::function<bool()> gameRunning)
    : m_outputDevice(std::move(outputDevice)),
      m_gameRunning(std::move(gameRunning)),
      m_clock(&TClock::now),
      m_timer(std::make_unique<TMMTimer>(this)),
      m_housekeeping(std::make_unique<QTimer>()) {
  m_timer->SetEnabled(false);
  m_timer->SetInterval(kStepIntervalMs);
  m_timer->OnTimer = [this](TMMTimer*) { SendStep(); };
  m_housekeeping->setInterval(kHousekeepingIntervalMs);
  QObject::connect(m_housekeeping.get(), &QTimer::timeout, [this] { Housekeeping(); });
}

TSongPreview::~TSongPreview() {
  Stop();
  m_housekeeping->stop();
  // The notes were released above and keep dying away in the device:
  // closing a port sends nothing.
  for (auto& output : m_releasing) output->ClosePorts();
  m_releasing.clear();
}

int32_t TSongPreview::PreviewExpression(int32_t songValue) {
  const int32_t value = std::clamp<int32_t>(songValue, 0, static_cast<int32_t>(kDataMask));
  return static_cast<int32_t>(std::lround(value * kExpressionFactor));
}

void TSongPreview::DriveByHand(TClockSource clock) {
  m_byHand = true;
  m_clock = clock ? std::move(clock) : TClockSource(&TClock::now);
}

bool TSongPreview::Playing() const { return m_playing.load(std::memory_order_relaxed); }

int32_t TSongPreview::StartMs() const { return m_playing.load() && m_current ? m_current->StartMs() : -1; }

bool TSongPreview::Play(const std::string& path) {
  Stop();
  if (m_gameRunning && m_gameRunning()) return false;
  auto output = std::make_unique<TPreviewOutput>();
  try {
    if (!output->Prepare(path, m_outputDevice ? m_outputDevice() : -1, m_clock())) return false;
  } catch (const std::exception&) {
    return false;  // a file the game cannot play has no preview
  }
  {
    std::lock_guard lock(m_stepMutex);
    m_current = std::move(output);
    m_playing.store(true);
  }
  SendStep();  // the chase and the first notes at once
  if (!m_byHand) {
    try {
      m_timer->SetEnabled(true);
    } catch (const EMMTimerError&) {
      Stop();  // no timer: the chase alone was sent, and is let go again
      return false;
    }
  }
  KeepHouseWhileBusy();
  return true;
}

void TSongPreview::StopTimer() {
  m_timer->SetEnabled(false);
  // The timer's own stop waits for a step in progress; the lock also for a
  // step that is about to end.
  std::lock_guard lock(m_stepMutex);
}

void TSongPreview::Stop() {
  StopTimer();
  m_playing.store(false);
  if (!m_current) return;
  const TClock::time_point now = m_clock();
  m_current->Release(now);
  m_current->CloseAt = now + std::chrono::milliseconds(kReleaseMs);
  m_releasing.push_back(std::move(m_current));
  KeepHouseWhileBusy();
}

void TSongPreview::SendStep() {
  std::lock_guard lock(m_stepMutex);
  if (!m_current || !m_playing.load()) return;
  try {
    if (!m_current->SendDue(m_clock())) m_playing.store(false);
  } catch (const std::exception& error) {
    // Nothing may reach the timer's thread: the preview ends where it stands.
    std::fprintf(stderr, "The song preview failed: %s\n", error.what());
    m_playing.store(false);
  }
}

void TSongPreview::Step() {
  SendStep();
  Housekeeping();
}

void TSongPreview::KeepHouseWhileBusy() {
  if (!m_byHand && !m_housekeeping->isActive()) m_housekeeping->start();
}

void TSongPreview::Housekeeping() {
  const bool game = m_gameRunning && m_gameRunning();
  if (m_current && (game || !m_playing.load())) {
    // The end of the 15 s (or of the song), or a game that took the device:
    // its start has reset the device, and a release now would only lift the
    // pedals the game has put down.
    if (game) {
      StopTimer();
      m_playing.store(false);
      m_current->ClosePorts();
      m_current.reset();
    } else {
      Stop();
    }
  }
  const TClock::time_point now = m_clock();
  std::erase_if(m_releasing, [&](const std::unique_ptr<TPreviewOutput>& output) {
    if (!game && now < output->CloseAt) return false;
    output->ClosePorts();
    return true;
  });
  if (!m_current && m_releasing.empty()) m_housekeeping->stop();
}
