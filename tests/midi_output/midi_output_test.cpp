#include "midi/midi_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "midi/event_item.h"
#include "midi/event_item_long.h"
#include "midi/event_lists.h"
#include "platform/audio/audio_engine.h"
#include "platform/ui/message_window.h"
#include "platform/winmm/recording_midi_out.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kGsReset = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
const TMidiDueTime kFixedDue = TMidiDueTime(std::chrono::seconds(77));

// A track chunk from events already written with their delta times.
Bytes Track(const Bytes& events) {
  Bytes chunk = {'M', 'T', 'r', 'k'};
  const Bytes body = [&] {
    Bytes b = events;
    b.insert(b.end(), {0x00, 0xFF, 0x2F, 0x00});  // end of track
    return b;
  }();
  const auto n = static_cast<std::uint32_t>(body.size());
  chunk.insert(chunk.end(), {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                             static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}

// A format 1 file, 96 ticks per quarter note.
Bytes Song(const std::vector<Bytes>& tracks) {
  Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<std::uint8_t>(tracks.size()), 0, 96};
  for (const Bytes& t : tracks) {
    const Bytes chunk = Track(t);
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}

// A system-exclusive event as a Standard MIDI File stores it: F0, length, the rest.
Bytes SysExEvent(const Bytes& message) {
  Bytes event = {0x00, 0xF0, static_cast<std::uint8_t>(message.size() - 1)};
  event.insert(event.end(), message.begin() + 1, message.end());
  return event;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Port 0: GS reset, note 60 on and off. Port 1 (port meta event): note 64 on, GS reset.
Bytes TwoPortSong() {
  return Song({
      Concat({SysExEvent(kGsReset), {0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00}}),
      Concat({{0x00, 0xFF, 0x21, 0x01, 0x01, 0x00, 0x91, 0x40, 0x64}, SysExEvent(kGsReset)}),
  });
}

// The output with the window procedure reachable and a due time chosen by the test.
class TTestOutput : public TMidiOutput {
 public:
  LRESULT Deliver(UINT msg, WPARAM w, LPARAM l) { return WndProc(msg, w, l); }
  TMidiDueTime DueTimeFor(const TMidiEventItemStanderd& Item) override {
    return fixedDue ? kFixedDue : TMidiOutput::DueTimeFor(Item);
  }
  bool fixedDue = false;
};

class MidiOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TAudioEngineOptions options;
    options.deviceOutput = false;
    options.soundFontPaths.insert(options.soundFontPaths.begin(), "/usr/share/sounds/sf2/TimGM6mb.sf2");
    TAudioEngine::SetGlobalOptions(options);
    recorder->Clear();
    ProcessPostedMessages();
  }
  void TearDown() override {
    if (output.PortsOpen) output.ClosePorts();
    ProcessPostedMessages();
  }

  void Load(const Bytes& file) {
    ASSERT_TRUE(output.LoadFromMemory(file.data(), file.size(), "test.mid"));
    // Every channel sent unjudged: nothing rains in these tests.
    for (auto& on : output.ChannelOn) on = false;
  }

  // Performs the items of one track the way the sequencer does.
  void PerformTrack(int track) {
    for (TMidiEventItemStanderd* item : output.Events) {
      if (item->Track != track) continue;
      item->ApplyState();
      item->Execute();
    }
  }

  TMidiEventItemStanderd* FirstOfKind(std::uint8_t kind, int track) {
    for (TMidiEventItemStanderd* item : output.Events) {
      if (item->Kind == kind && item->Track == track) return item;
    }
    return nullptr;
  }

  std::vector<Bytes> RecordedBytes() const {
    std::vector<Bytes> all;
    for (const auto& m : recorder->Messages()) all.push_back(m.Bytes);
    return all;
  }

  // Installed before the output is built, so that its device list has it.
  TRecordingMidiOut* recorder = &InstallRecordingMidiOutDevice();
  TTestOutput output;
};

TEST_F(MidiOutputTest, DeviceListMirrorsTheSystemDevices) {
  ASSERT_EQ(output.MidiDevices.Count(), static_cast<int>(midiOutGetNumDevs()));
  EXPECT_EQ(output.MidiDevices.Items(0).Name, "FluidSynth General MIDI");
  const TMidiDevice& rec = output.MidiDevices.Items(static_cast<int>(recorder->DeviceId()));
  EXPECT_EQ(rec.Name, kRecordingMidiOutName);
  EXPECT_EQ(rec.DriverMajor, 1);
  EXPECT_EQ(rec.DriverMinor, 0);
  EXPECT_EQ(rec.ChannelMask, 0xFFFF);
}

TEST_F(MidiOutputTest, NoPortsOpenMeansNothingIsSent) {
  Load(TwoPortSong());
  output.WaitRemaining = 7;
  PerformTrack(0);
  EXPECT_TRUE(recorder->Messages().empty());
  EXPECT_EQ(output.WaitRemaining, 7);
  EXPECT_EQ(output.DeviceForTrack(0), nullptr);
  EXPECT_EQ(output.DeviceForTrack(-1), nullptr);
  EXPECT_EQ(output.DeviceForTrack(99), nullptr);
}

TEST_F(MidiOutputTest, APortWithoutPlayDeviceSendsNothingAndSetsNoWait) {
  Load(TwoPortSong());
  output.AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  ASSERT_TRUE(output.OpenPorts());
  output.WaitRemaining = 7;
  PerformTrack(1);
  EXPECT_TRUE(recorder->Messages().empty());
  EXPECT_EQ(output.WaitRemaining, 7);
  EXPECT_EQ(output.PendingCount(), 0);
}

TEST_F(MidiOutputTest, MessagesReachTheDeviceByteForByteAndTheResetSetsItsWait) {
  Load(TwoPortSong());
  output.AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  ASSERT_TRUE(output.OpenPorts());
  ASSERT_TRUE(output.PortsOpen);
  ASSERT_EQ(output.OpenHandles.Count(), 1);
  EXPECT_EQ(output.DeviceForTrack(0), ValueToHandle(output.OpenHandles.Values(0)));

  TMidiEventItemStanderd* reset = FirstOfKind(MidiKind::GSReset, 0);
  ASSERT_NE(reset, nullptr);
  output.WaitRemaining = 0;
  reset->Execute();
  EXPECT_EQ(output.WaitRemaining, 100);
  EXPECT_EQ(RecordedBytes(), std::vector<Bytes>{kGsReset});
  EXPECT_EQ(output.PendingCount(), 1);
  EXPECT_EQ(output.PendingHandles.Values(0), output.OpenHandles.Values(0));

  // A channel message with no wait leaves the wait as it was.
  TMidiEventItemStanderd* noteOn = FirstOfKind(MidiKind::NoteOn, 0);
  ASSERT_NE(noteOn, nullptr);
  noteOn->Execute();
  EXPECT_EQ(output.WaitRemaining, 100);
  ASSERT_EQ(recorder->Messages().size(), 2u);
  EXPECT_EQ(RecordedBytes()[1], (Bytes{0x90, 0x3C, 0x64}));

  ProcessPostedMessages();
  EXPECT_EQ(output.PendingCount(), 0);
  EXPECT_EQ(output.PendingHandles.Count(), 0);
}

TEST_F(MidiOutputTest, SysExWithoutWaitClearsTheWait) {
  const Bytes other = {0xF0, 0x43, 0x10, 0x4C, 0x02, 0x01, 0x00, 0x01, 0xF7};
  Load(Song({Concat({SysExEvent(other)})}));
  output.AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  output.OpenPorts();
  TMidiEventItemStanderd* item = FirstOfKind(MidiKind::Exclusive, 0);
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item->Wait, 0);
  output.WaitRemaining = 55;
  item->Execute();
  EXPECT_EQ(output.WaitRemaining, 0);
  EXPECT_EQ(RecordedBytes(), std::vector<Bytes>{other});
}

TEST_F(MidiOutputTest, CompletionRemovesTheRightEntryWithSeveralBuffersInFlight) {
  Load(Song({Concat({SysExEvent(kGsReset), SysExEvent(kGsReset)}),
             Concat({{0x00, 0xFF, 0x21, 0x01, 0x01}, SysExEvent(kGsReset)})}));
  output.AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  output.AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  ASSERT_TRUE(output.OpenPorts());
  const int32_t h0 = output.OpenHandles.Values(0);
  const int32_t h1 = output.OpenHandles.Values(1);
  ASSERT_NE(h0, h1);
  // Sent in the order port 0, port 1, port 0.
  std::vector<TMidiEventItemStanderd*> port0;
  TMidiEventItemStanderd* port1 = nullptr;
  for (TMidiEventItemStanderd* item : output.Events) {
    if (item->Kind != MidiKind::GSReset) continue;
    if (item->Track == 0) port0.push_back(item);
    if (item->Track == 1) port1 = item;
  }
  ASSERT_EQ(port0.size(), 2u);
  ASSERT_NE(port1, nullptr);
  const std::vector<TMidiEventItemStanderd*> order = {port0[0], port1, port0[1]};
  for (TMidiEventItemStanderd* item : order) item->Execute();
  ASSERT_EQ(output.PendingCount(), 3);
  ASSERT_EQ(output.PendingHandles.Data(), (std::vector<int32_t>{h0, h1, h0}));
  MIDIHDR* a = output.LongMsgBufItems.Items(0);
  MIDIHDR* b = output.LongMsgBufItems.Items(1);
  MIDIHDR* c = output.LongMsgBufItems.Items(2);
  EXPECT_EQ(b->dwBufferLength, kGsReset.size());

  // Completions out of order: the middle one (port 1) first.
  output.Deliver(MM_MOM_DONE, 0, reinterpret_cast<LPARAM>(b));
  EXPECT_EQ(output.PendingHandles.Data(), (std::vector<int32_t>{h0, h0}));
  EXPECT_EQ(output.LongMsgBufItems.Items(0), a);
  EXPECT_EQ(output.LongMsgBufItems.Items(1), c);
  output.Deliver(MM_MOM_DONE, 0, reinterpret_cast<LPARAM>(a));
  EXPECT_EQ(output.LongMsgBufItems.Count(), 1);
  EXPECT_EQ(output.LongMsgBufItems.Items(0), c);
  // The driver's own completions follow; those already handled are ignored.
  ProcessPostedMessages();
  EXPECT_EQ(output.PendingCount(), 0);
  EXPECT_EQ(output.PendingHandles.Count(), 0);
}

TEST_F(MidiOutputTest, UnknownCompletionIsIgnoredAndOtherMessagesGoToTheDefault) {
  MIDIHDR stranger{};
  EXPECT_EQ(output.Deliver(MM_MOM_DONE, 0, reinterpret_cast<LPARAM>(&stranger)), 0);
  EXPECT_EQ(output.Deliver(MM_MOM_DONE, 0, 0), 0);
  EXPECT_EQ(output.Deliver(MM_MOM_OPEN, 0, 0), 0);
  EXPECT_EQ(output.PendingCount(), 0);
}

TEST_F(MidiOutputTest, AFailedDeviceLeavesItsPortSilentWithoutShiftingTheOthers) {
  Load(TwoPortSong());
  output.AddPlayDevice(static_cast<int32_t>(midiOutGetNumDevs()) + 5);  // no such device
  output.AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  EXPECT_FALSE(output.OpenPorts());
  EXPECT_TRUE(output.PortsOpen);
  ASSERT_EQ(output.OpenHandles.Count(), 1);
  EXPECT_EQ(output.DeviceForTrack(0), nullptr);
  EXPECT_EQ(output.DeviceForTrack(1), ValueToHandle(output.OpenHandles.Values(0)));
  PerformTrack(0);
  EXPECT_TRUE(recorder->Messages().empty());
  PerformTrack(1);
  EXPECT_EQ(RecordedBytes(), (std::vector<Bytes>{{0x91, 0x40, 0x64}, kGsReset}));
}

TEST_F(MidiOutputTest, AllNotesOffResetAndClose) {
  output.AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  output.AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  ASSERT_TRUE(output.OpenPorts());
  output.AllNotesOff();
  auto messages = recorder->Messages();
  ASSERT_EQ(messages.size(), 32u);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(messages[static_cast<size_t>(i)].Bytes, (Bytes{static_cast<std::uint8_t>(0xB0 + i % 16), 0x7B, 0x00}));
    EXPECT_EQ(messages[static_cast<size_t>(i)].Handle, ValueToHandle(output.OpenHandles.Values(i / 16)));
  }
  recorder->Clear();
  output.ResetPorts();
  messages = recorder->Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_TRUE(messages[0].Reset && messages[1].Reset);

  recorder->Clear();
  EXPECT_TRUE(output.ClosePorts());
  EXPECT_FALSE(output.PortsOpen);
  EXPECT_EQ(output.OpenHandles.Count(), 2);  // the list keeps the closed handles
  EXPECT_EQ(recorder->Messages().size(), 2u);  // reset before closing
  EXPECT_EQ(midiOutShortMsg(ValueToHandle(output.OpenHandles.Values(0)), 0x90), MMSYSERR_INVALHANDLE);
}

TEST_F(MidiOutputTest, TheDueTimeOfTheSubclassIsPassedOn) {
  Load(TwoPortSong());
  output.AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  output.OpenPorts();
  output.fixedDue = true;
  PerformTrack(0);
  const auto messages = recorder->Messages();
  ASSERT_EQ(messages.size(), 3u);
  for (const auto& m : messages) EXPECT_EQ(m.Due, kFixedDue);
}

TEST_F(MidiOutputTest, BufferListIsFreedAtDestructionWithoutCompletion) {
  auto local = std::make_unique<TTestOutput>();
  const Bytes song = TwoPortSong();
  ASSERT_TRUE(local->LoadFromMemory(song.data(), song.size(), "test.mid"));
  local->AddPlayDevice(static_cast<int32_t>(recorder->DeviceId()));
  local->OpenPorts();
  for (TMidiEventItemStanderd* item : local->Events) {
    if (item->Kind == MidiKind::GSReset && item->Track == 0) item->Execute();
  }
  EXPECT_EQ(local->PendingCount(), 1);
  local.reset();            // frees the header; the sanitizers check nothing leaks
  ProcessPostedMessages();  // the completion finds no window
}

TEST_F(MidiOutputTest, TheMapperPlaysOnTheBuiltInSynthesizerAtTheDueTime) {
  Load(TwoPortSong());
  output.AddPlayDevice(-1);
  if (!output.OpenPorts()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  output.fixedDue = true;
  FirstOfKind(MidiKind::NoteOn, 0)->Execute();
  TAudioEngine& engine = TAudioEngine::Global();
  const size_t frames = engine.SampleRate() / 10;
  std::vector<float> out(2 * frames);
  ASSERT_TRUE(engine.RenderOffline(out.data(), frames, kFixedDue));
  size_t onset = frames;
  for (size_t i = 0; i < out.size() && onset == frames; ++i) {
    if (std::fabs(out[i]) > 1e-6) onset = i / 2;
  }
  // The note starts one scheduling delay after its due time, within one
  // synthesizer block.
  const double expected = std::chrono::duration<double>(engine.SchedulingDelay()).count() * engine.SampleRate();
  EXPECT_NEAR(static_cast<double>(onset), expected, TSynthesizer::kBlockFrames);
  output.ResetPorts();
}

}  // namespace
