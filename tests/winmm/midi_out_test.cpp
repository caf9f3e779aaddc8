#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/ui/message_window.h"
#include "platform/winmm/mmsystem.h"
#include "platform/winmm/recording_midi_out.h"
#include "winmm_test_support.h"

namespace {

struct TPosted {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class MidiOutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseOfflineAudio();
    recorder = &InstallRecordingMidiOutDevice();
    recorder->Clear();
    window = AllocateHWnd([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
      posted.push_back({msg, w, l});
      return 0;
    });
    ASSERT_EQ(midiOutOpen(&handle, recorder->DeviceId(), reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    ProcessPostedMessages();
    posted.clear();
  }
  void TearDown() override {
    if (handle != nullptr) midiOutClose(handle);
    DeallocateHWnd(window);
  }

  std::vector<BYTE> BytesOf(size_t i) const { return recorder->Messages().at(i).Bytes; }

  TRecordingMidiOut* recorder = nullptr;
  HWND window = nullptr;
  HMIDIOUT handle = nullptr;
  std::vector<TPosted> posted;
};

TEST_F(MidiOutTest, DeviceTableListsSynthesizerFirstAndTheRecorder) {
  const UINT count = midiOutGetNumDevs();
  ASSERT_GE(count, 2u);
  EXPECT_EQ(recorder->DeviceId(), count - 1);
  MIDIOUTCAPSA caps{};
  ASSERT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NOERROR);
  EXPECT_STREQ(caps.szPname, "FluidSynth General MIDI");
  EXPECT_EQ(caps.wTechnology, MOD_SWSYNTH);
  EXPECT_EQ(caps.wChannelMask, 0xFFFF);
  MIDIOUTCAPSA mapper{};
  ASSERT_EQ(midiOutGetDevCapsA(MIDI_MAPPER, &mapper, sizeof mapper), MMSYSERR_NOERROR);
  EXPECT_EQ(std::memcmp(&caps, &mapper, sizeof caps), 0);
  ASSERT_EQ(midiOutGetDevCapsA(recorder->DeviceId(), &caps, sizeof caps), MMSYSERR_NOERROR);
  EXPECT_STREQ(caps.szPname, kRecordingMidiOutName);
}

TEST_F(MidiOutTest, CapsFailuresAndShortRecords) {
  MIDIOUTCAPSA caps{};
  EXPECT_EQ(midiOutGetDevCapsA(midiOutGetNumDevs(), &caps, sizeof caps), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiOutGetDevCapsA(0, nullptr, sizeof caps), MMSYSERR_INVALPARAM);
  // A short record takes only the bytes it has room for.
  std::memset(&caps, 0xAB, sizeof caps);
  ASSERT_EQ(midiOutGetDevCapsA(0, &caps, 4), MMSYSERR_NOERROR);
  EXPECT_EQ(caps.vDriverVersion, 0xABABABABu);
}

TEST_F(MidiOutTest, OpenFailures) {
  HMIDIOUT h = reinterpret_cast<HMIDIOUT>(1);
  EXPECT_EQ(midiOutOpen(nullptr, 0, 0, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiOutOpen(&h, midiOutGetNumDevs(), 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(midiOutOpen(&h, recorder->DeviceId(), 0, 0, 0x00030000 /* CALLBACK_FUNCTION */), MMSYSERR_INVALFLAG);
}

TEST_F(MidiOutTest, HandlesAreSmallAndDistinctAndDieWithClose) {
  HMIDIOUT second = nullptr;
  ASSERT_EQ(midiOutOpen(&second, recorder->DeviceId(), 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  EXPECT_NE(second, handle);
  EXPECT_LT(reinterpret_cast<std::uintptr_t>(second), 0x7FFFFFFFu);  // fits a 32-bit list
  EXPECT_EQ(midiOutClose(second), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutClose(second), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(midiOutShortMsg(second, 0x90), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(midiOutReset(second), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(midiOutShortMsg(nullptr, 0x90), MMSYSERR_INVALHANDLE);
}

TEST_F(MidiOutTest, OpenAndClosePostTheirMessages) {
  HMIDIOUT other = nullptr;
  ASSERT_EQ(midiOutOpen(&other, recorder->DeviceId(), reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW),
            MMSYSERR_NOERROR);
  midiOutClose(other);
  posted.clear();
  ProcessPostedMessages();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].msg, MM_MOM_OPEN);
  EXPECT_EQ(posted[1].msg, MM_MOM_CLOSE);
  EXPECT_EQ(posted[1].wParam, reinterpret_cast<WPARAM>(other));
}

TEST_F(MidiOutTest, ShortMessagesArriveByteForByte) {
  ASSERT_EQ(midiOutShortMsg(handle, 0x007F3C90), MMSYSERR_NOERROR);  // note on
  ASSERT_EQ(midiOutShortMsg(handle, 0x000005C1), MMSYSERR_NOERROR);  // program change: two bytes
  ASSERT_EQ(midiOutShortMsg(handle, 0x00407BB2), MMSYSERR_NOERROR);  // all notes off
  ASSERT_EQ(midiOutShortMsg(handle, 0x00004010), MMSYSERR_NOERROR);  // running status after B2
  ASSERT_EQ(recorder->Messages().size(), 4u);
  EXPECT_EQ(BytesOf(0), (std::vector<BYTE>{0x90, 0x3C, 0x7F}));
  EXPECT_EQ(BytesOf(1), (std::vector<BYTE>{0xC1, 0x05}));
  EXPECT_EQ(BytesOf(2), (std::vector<BYTE>{0xB2, 0x7B, 0x40}));
  EXPECT_EQ(BytesOf(3), (std::vector<BYTE>{0xB2, 0x10, 0x40}));
  EXPECT_EQ(recorder->Messages()[0].Handle, handle);
}

TEST_F(MidiOutTest, RunningStatusWithoutStatusAndSysExAsShortAreRefused) {
  EXPECT_EQ(midiOutShortMsg(handle, 0x00004010), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiOutShortMsg(handle, 0x000000F0), MMSYSERR_INVALPARAM);
  EXPECT_TRUE(recorder->Messages().empty());
}

TEST_F(MidiOutTest, DueTimeIsPassedOnAndDefaultsToTheSendingMoment) {
  const TMidiDueTime due = TMidiDueTime(std::chrono::seconds(42));
  ASSERT_EQ(midiOutShortMsgAt(handle, 0x00403C80, due), MMSYSERR_NOERROR);
  const auto before = std::chrono::steady_clock::now();
  ASSERT_EQ(midiOutShortMsg(handle, 0x00403C80), MMSYSERR_NOERROR);
  const auto messages = recorder->Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].Due, due);
  EXPECT_GE(messages[1].Due, before);
  EXPECT_LE(messages[1].Due, messages[1].SentAt);
}

TEST_F(MidiOutTest, LongMessageNeedsAPreparedHeader) {
  char data[] = {'\xF0', '\x41', '\x10', '\x42', '\x12', '\x40', '\x00', '\x7F', '\x00', '\x41', '\xF7'};
  MIDIHDR header{};
  header.lpData = data;
  header.dwBufferLength = sizeof data;
  EXPECT_EQ(midiOutLongMsg(handle, &header, sizeof header), MIDIERR_UNPREPARED);
  EXPECT_EQ(midiOutPrepareHeader(handle, &header, sizeof header - 1), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiOutPrepareHeader(handle, nullptr, sizeof header), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(0x7FFFFFF0), &header, sizeof header),
            MMSYSERR_INVALHANDLE);
  EXPECT_TRUE(recorder->Messages().empty());
  ProcessPostedMessages();
  EXPECT_TRUE(posted.empty());
}

TEST_F(MidiOutTest, SysExArrivesWholeAndItsCompletionIsPosted) {
  char data[] = {'\xF0', '\x41', '\x10', '\x42', '\x12', '\x40', '\x00', '\x7F', '\x00', '\x41', '\xF7'};
  MIDIHDR header{};
  header.lpData = data;
  header.dwBufferLength = sizeof data;
  ASSERT_EQ(midiOutPrepareHeader(handle, &header, sizeof header), MMSYSERR_NOERROR);
  EXPECT_TRUE(header.dwFlags & MHDR_PREPARED);
  ASSERT_EQ(midiOutLongMsg(handle, &header, sizeof header), MMSYSERR_NOERROR);
  ASSERT_EQ(recorder->Messages().size(), 1u);
  EXPECT_EQ(BytesOf(0), std::vector<BYTE>(data, data + sizeof data));
  EXPECT_TRUE(posted.empty());  // delivered only by the main loop
  ProcessPostedMessages();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].msg, MM_MOM_DONE);
  EXPECT_EQ(posted[0].msg, 0x3C9u);
  EXPECT_EQ(posted[0].wParam, reinterpret_cast<WPARAM>(handle));
  EXPECT_EQ(posted[0].lParam, reinterpret_cast<LPARAM>(&header));
  EXPECT_TRUE(header.dwFlags & MHDR_DONE);
  EXPECT_FALSE(header.dwFlags & MHDR_INQUEUE);
  ASSERT_EQ(midiOutUnprepareHeader(handle, &header, sizeof header), MMSYSERR_NOERROR);
  EXPECT_FALSE(header.dwFlags & MHDR_PREPARED);
}

TEST_F(MidiOutTest, EmptyLongMessageSendsNothingButCompletes) {
  MIDIHDR header{};
  ASSERT_EQ(midiOutPrepareHeader(handle, &header, sizeof header), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutLongMsg(handle, &header, sizeof header), MMSYSERR_NOERROR);
  EXPECT_TRUE(recorder->Messages().empty());
  ProcessPostedMessages();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].lParam, reinterpret_cast<LPARAM>(&header));
}

TEST_F(MidiOutTest, ResetIsRecordedAndEndsRunningStatus) {
  ASSERT_EQ(midiOutShortMsg(handle, 0x00403C90), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutReset(handle), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutShortMsg(handle, 0x00004010), MMSYSERR_INVALPARAM);
  const auto messages = recorder->Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_TRUE(messages[1].Reset);
  EXPECT_TRUE(messages[1].Bytes.empty());
}

TEST_F(MidiOutTest, CompletionForAClosedWindowIsDropped) {
  char data[] = {'\xF0', '\x7E', '\x7F', '\x09', '\x01', '\xF7'};
  MIDIHDR header{};
  header.lpData = data;
  header.dwBufferLength = sizeof data;
  midiOutPrepareHeader(handle, &header, sizeof header);
  midiOutLongMsg(handle, &header, sizeof header);
  DeallocateHWnd(window);
  EXPECT_EQ(ProcessPostedMessages(), 0);
  window = AllocateHWnd([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
}

}  // namespace
