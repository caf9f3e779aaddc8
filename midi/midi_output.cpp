#include "midi/midi_output.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "midi/event_item.h"
#include "midi/event_item_long.h"
#include "midi/event_lists.h"
#include "platform/ui/application.h"
#include "platform/ui/message_window.h"

namespace {

constexpr DWORD kDriverMinorMask = 0xFF;
constexpr int kDriverMajorShift = 8;

}  // namespace

int32_t HandleToValue(HMIDIOUT Handle) { return static_cast<int32_t>(reinterpret_cast<std::intptr_t>(Handle)); }

HMIDIOUT ValueToHandle(int32_t Value) { return reinterpret_cast<HMIDIOUT>(static_cast<std::intptr_t>(Value)); }

// ===== TMidiLongMsgBufItems =====

int TMidiLongMsgBufItems::Add(MIDIHDR* Header) {
  m_items.push_back(Header);
  return Count() - 1;
}

int TMidiLongMsgBufItems::IndexOf(const MIDIHDR* Header) const {
  for (size_t i = 0; i < m_items.size(); ++i) {
    if (m_items[i] == Header) return static_cast<int>(i);
  }
  return -1;
}

void TMidiLongMsgBufItems::Delete(int Index) {
  MIDIHDR* header = m_items.at(static_cast<size_t>(Index));
  m_items.erase(m_items.begin() + Index);
  std::free(header->lpData);
  std::free(header);
}

void TMidiLongMsgBufItems::Clear() {
  while (!m_items.empty()) Delete(Count() - 1);
}

// ===== TMidiOutput =====

TMidiOutput::TMidiOutput() {
  FillDevices();
  m_window = AllocateHWnd([this](UINT msg, WPARAM w, LPARAM l) { return WndProc(msg, w, l); });
}

TMidiOutput::~TMidiOutput() {
  DeallocateHWnd(m_window);
  if (PortsOpen) {
    // The owner forgot ClosePorts: the devices are still released.
    for (int32_t value : OpenHandles.Data()) midiOutClose(ValueToHandle(value));
  }
  std::lock_guard lock(m_bufferMutex);
  LongMsgBufItems.Clear();
  PendingHandles.Clear();
}

void TMidiOutput::FillDevices() {
  const UINT count = midiOutGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    MIDIOUTCAPSA caps{};
    if (midiOutGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    TMidiDevice device;
    device.Name.assign(caps.szPname, strnlen(caps.szPname, MAXPNAMELEN));
    device.Mid = caps.wMid;
    device.Pid = caps.wPid;
    device.DriverMajor = static_cast<int32_t>(caps.vDriverVersion >> kDriverMajorShift);
    device.DriverMinor = static_cast<int32_t>(caps.vDriverVersion & kDriverMinorMask);
    device.Technology = caps.wTechnology;
    device.Voices = caps.wVoices;
    device.Notes = caps.wNotes;
    device.ChannelMask = caps.wChannelMask;
    device.Support = static_cast<int32_t>(caps.dwSupport);
    MidiDevices.Add(device);
  }
}

void TMidiOutput::AddPlayDevice(int32_t DeviceId) { PlayDevices.Add(DeviceId); }

bool TMidiOutput::OpenPorts() {
  OpenHandles.Clear();
  m_portHandles.clear();
  bool result = true;
  for (int port = 0; port < PlayDevices.Count(); ++port) {
    const int32_t id = PlayDevices.Items(port).DeviceId;
    const UINT deviceId = id == -1 ? MIDI_MAPPER : static_cast<UINT>(id);
    HMIDIOUT handle = nullptr;
    if (midiOutOpen(&handle, deviceId, reinterpret_cast<DWORD_PTR>(m_window), 0, CALLBACK_WINDOW) ==
        MMSYSERR_NOERROR) {
      OpenHandles.Add(HandleToValue(handle));
      m_portHandles.push_back(handle);
    } else {
      result = false;
      m_portHandles.push_back(nullptr);
    }
  }
  PortsOpen = true;
  return result;
}

bool TMidiOutput::ClosePorts() {
  ResetPorts();
  for (int32_t value : OpenHandles.Data()) midiOutClose(ValueToHandle(value));
  m_portHandles.assign(m_portHandles.size(), nullptr);
  PortsOpen = false;
  return true;
}

void TMidiOutput::AllNotesOff() {
  for (int32_t value : OpenHandles.Data()) {
    for (DWORD channel = 0; channel < kChannels; ++channel) midiOutShortMsg(ValueToHandle(value), kAllNotesOff + channel);
  }
}

void TMidiOutput::ResetPorts() {
  for (int32_t value : OpenHandles.Data()) midiOutReset(ValueToHandle(value));
}

HMIDIOUT TMidiOutput::DeviceForTrack(int Track) const {
  if (Track < 0 || Track >= Tracks.Count()) return nullptr;
  const int32_t port = Tracks.Track(Track)->Port;
  if (port < 0 || port >= PlayDevices.Count()) return nullptr;
  if (static_cast<size_t>(port) >= m_portHandles.size()) return nullptr;
  return m_portHandles[static_cast<size_t>(port)];
}

TMidiDueTime TMidiOutput::DueTimeFor(const TMidiEventItemStanderd&) { return std::chrono::steady_clock::now(); }

void TMidiOutput::SendShort(int /*Track*/, TMidiEventItemShort* Item) {
  const HMIDIOUT handle = DeviceForTrack(Item->Track);
  if (handle == nullptr) return;
  midiOutShortMsgAt(handle, static_cast<DWORD>(Item->Message), DueTimeFor(*Item));
  if (Item->Wait > 0) WaitRemaining = Item->Wait;
}

void TMidiOutput::SendLong(int /*Track*/, TMidiEventItemLong* Item) {
  const HMIDIOUT handle = DeviceForTrack(Item->Track);
  if (handle == nullptr) return;
  auto* header = static_cast<MIDIHDR*>(std::calloc(1, sizeof(MIDIHDR)));
  if (header == nullptr) return;  // nothing can be sent without a header
  const int count = Item->Bytes.Count();
  // One byte per entry; a block that cannot be had sends the header empty.
  auto* data = static_cast<char*>(std::malloc(static_cast<size_t>(count) + 1));
  if (data != nullptr) {
    const std::vector<int32_t>& bytes = Item->Bytes.Data();
    for (int i = 0; i < count; ++i) data[i] = static_cast<char>(bytes[static_cast<size_t>(i)] & 0xFF);
    header->lpData = data;
    header->dwBufferLength = static_cast<DWORD>(count);
  }
  {
    std::lock_guard lock(m_bufferMutex);
    LongMsgBufItems.Add(header);
    PendingHandles.Add(HandleToValue(handle));
  }
  // Their results are of no use: a buffer that was not taken is freed when the
  // output is destroyed.
  midiOutPrepareHeader(handle, header, sizeof(MIDIHDR));
  midiOutLongMsgAt(handle, header, sizeof(MIDIHDR), DueTimeFor(*Item));
  WaitRemaining = Item->Wait;
}

int TMidiOutput::PendingCount() const {
  std::lock_guard lock(m_bufferMutex);
  return LongMsgBufItems.Count();
}

void TMidiOutput::HandleLongDone(MIDIHDR* Header) {
  std::lock_guard lock(m_bufferMutex);
  const int index = LongMsgBufItems.IndexOf(Header);
  if (index < 0) return;  // not one of ours, or already taken back
  midiOutUnprepareHeader(ValueToHandle(PendingHandles.Values(index)), Header, sizeof(MIDIHDR));
  LongMsgBufItems.Delete(index);
  PendingHandles.Delete(index);
}

LRESULT TMidiOutput::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg != MM_MOM_DONE) return DefWindowProcA(m_window, Msg, WParam, LParam);
  try {
    HandleLongDone(reinterpret_cast<MIDIHDR*>(LParam));
  } catch (const std::exception& error) {
    Application().HandleException(error);
  }
  return 0;
}
