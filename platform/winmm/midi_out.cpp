// The midiOut* functions over the device table (built-in synthesizer first,
// then ALSA ports, then devices added at run time) and the table of open
// handles. Handles are small numbers so that they fit in 32-bit lists.
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/ui/message_window.h"
#include "platform/winmm/midi_out_device.h"
#include "platform/winmm/midi_out_ports.h"

namespace {

constexpr DWORD kCallbackTypeMask = 0x00070000;
constexpr BYTE kSysExStart = 0xF0;

struct TOpenMidiOut {
  std::unique_ptr<TMidiOutPort> port;
  DWORD callbackType = CALLBACK_NULL;
  HWND window = nullptr;
  BYTE runningStatus = 0;
  std::mutex mutex;  // serialises sends and resets of this handle
};

struct TMidiOutTables {
  std::mutex mutex;
  bool built = false;
  std::vector<std::shared_ptr<TMidiOutDevice>> devices;
  std::unordered_map<std::uintptr_t, std::shared_ptr<TOpenMidiOut>> handles;
  std::uintptr_t nextHandle = 1;

  void BuildLocked() {
    if (built) return;
    built = true;
    devices.insert(devices.begin(), MakeSynthesizerMidiOutDevice());
    auto alsa = MakeAlsaMidiOutDevices();
    devices.insert(devices.begin() + 1, alsa.begin(), alsa.end());
  }
};

TMidiOutTables& Tables() {
  static TMidiOutTables tables;
  return tables;
}

std::shared_ptr<TMidiOutDevice> DeviceFor(UINT_PTR id) {
  TMidiOutTables& t = Tables();
  std::lock_guard lock(t.mutex);
  t.BuildLocked();
  if (id == MIDI_MAPPER || id == static_cast<UINT_PTR>(-1)) id = 0;
  if (id >= t.devices.size()) return nullptr;
  return t.devices[id];
}

std::shared_ptr<TOpenMidiOut> Lookup(HMIDIOUT handle) {
  TMidiOutTables& t = Tables();
  std::lock_guard lock(t.mutex);
  auto it = t.handles.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == t.handles.end() ? nullptr : it->second;
}

void Notify(const TOpenMidiOut& open, HMIDIOUT handle, UINT msg, LPARAM lParam) {
  if (open.callbackType == CALLBACK_WINDOW) {
    PostMessageA(open.window, msg, reinterpret_cast<WPARAM>(handle), lParam);
  }
}

bool ValidHeader(const MIDIHDR* header, UINT size) { return header != nullptr && size >= sizeof(MIDIHDR); }

}  // namespace

size_t ShortMessageLength(BYTE status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    case 0xF0:
      if (status == 0xF1 || status == 0xF3) return 1;
      if (status == 0xF2) return 2;
      return 0;
    default: return 2;
  }
}

MIDIOUTCAPSA MakeMidiOutCaps(const char* name, WORD technology, WORD voices, WORD notes) {
  MIDIOUTCAPSA caps{};
  caps.wMid = 0xFFFF;  // MM_UNMAPPED: no registered manufacturer
  caps.wPid = 0xFFFF;
  caps.vDriverVersion = 0x0100;
  std::strncpy(caps.szPname, name, MAXPNAMELEN - 1);
  caps.wTechnology = technology;
  caps.wVoices = voices;
  caps.wNotes = notes;
  caps.wChannelMask = 0xFFFF;
  caps.dwSupport = 0;
  return caps;
}

UINT AddMidiOutDevice(std::shared_ptr<TMidiOutDevice> device) {
  TMidiOutTables& t = Tables();
  std::lock_guard lock(t.mutex);
  t.BuildLocked();
  t.devices.push_back(std::move(device));
  return static_cast<UINT>(t.devices.size() - 1);
}

namespace {

// The name without the sequencer's " client:port" numbers at its end.
std::string WithoutPortNumbers(const std::string& name) {
  const size_t space = name.find_last_of(' ');
  if (space == std::string::npos) return name;
  const std::string tail = name.substr(space + 1);
  const size_t colon = tail.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == tail.size()) return name;
  for (size_t i = 0; i < tail.size(); ++i) {
    if (i != colon && (tail[i] < '0' || tail[i] > '9')) return name;
  }
  return name.substr(0, space);
}

int FindByName(const std::vector<std::shared_ptr<TMidiOutDevice>>& devices, const std::string& name) {
  for (size_t id = 0; id < devices.size(); ++id) {
    if (devices[id]->Name() == name) return static_cast<int>(id);
  }
  const std::string stem = WithoutPortNumbers(name);
  for (size_t id = 0; id < devices.size(); ++id) {
    if (WithoutPortNumbers(devices[id]->Name()) == stem) return static_cast<int>(id);
  }
  return -1;
}

}  // namespace

int MidiOutDeviceIdByName(const std::string& name) {
  if (name.empty()) return -1;
  {
    TMidiOutTables& t = Tables();
    std::lock_guard lock(t.mutex);
    t.BuildLocked();
    const int id = FindByName(t.devices, name);
    if (id >= 0) return id;
  }
  // Not in the table: perhaps a port that came up later, under this name or
  // under new numbers.
  for (const std::string& port : SystemMidiOutPortNames()) {
    if (port == name || WithoutPortNumbers(port) == WithoutPortNumbers(name)) {
      if (auto device = MakeAlsaMidiOutDevice(port)) return static_cast<int>(AddMidiOutDevice(std::move(device)));
    }
  }
  return -1;
}

UINT midiOutGetNumDevs() {
  TMidiOutTables& t = Tables();
  std::lock_guard lock(t.mutex);
  t.BuildLocked();
  return static_cast<UINT>(t.devices.size());
}

MMRESULT midiOutGetDevCapsA(UINT_PTR uDeviceID, MIDIOUTCAPSA* pmoc, UINT cbmoc) {
  if (pmoc == nullptr) return MMSYSERR_INVALPARAM;
  auto device = DeviceFor(uDeviceID);
  if (!device) return MMSYSERR_BADDEVICEID;
  const MIDIOUTCAPSA caps = device->Caps();
  std::memcpy(pmoc, &caps, std::min<size_t>(cbmoc, sizeof caps));
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutOpen(HMIDIOUT* phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR /*dwInstance*/,
                     DWORD fdwOpen) {
  if (phmo == nullptr) return MMSYSERR_INVALPARAM;
  *phmo = nullptr;
  const DWORD callbackType = fdwOpen & kCallbackTypeMask;
  if (callbackType != CALLBACK_NULL && callbackType != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
  if ((fdwOpen & ~kCallbackTypeMask) != 0) return MMSYSERR_INVALFLAG;
  auto device = DeviceFor(uDeviceID);
  if (!device) return MMSYSERR_BADDEVICEID;

  auto open = std::make_shared<TOpenMidiOut>();
  open->callbackType = callbackType;
  open->window = reinterpret_cast<HWND>(dwCallback);
  HMIDIOUT handle;
  {
    TMidiOutTables& t = Tables();
    std::lock_guard lock(t.mutex);
    handle = reinterpret_cast<HMIDIOUT>(t.nextHandle++);
  }
  const MMRESULT result = device->Open(handle, open->port);
  if (result != MMSYSERR_NOERROR) return result;
  {
    TMidiOutTables& t = Tables();
    std::lock_guard lock(t.mutex);
    t.handles.emplace(reinterpret_cast<std::uintptr_t>(handle), open);
  }
  *phmo = handle;
  Notify(*open, handle, MM_MOM_OPEN, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT hmo) {
  std::shared_ptr<TOpenMidiOut> open;
  {
    TMidiOutTables& t = Tables();
    std::lock_guard lock(t.mutex);
    auto it = t.handles.find(reinterpret_cast<std::uintptr_t>(hmo));
    if (it == t.handles.end()) return MMSYSERR_INVALHANDLE;
    open = std::move(it->second);
    t.handles.erase(it);
  }
  Notify(*open, hmo, MM_MOM_CLOSE, 0);
  std::lock_guard lock(open->mutex);  // a send in progress finishes first
  open->port.reset();
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutReset(HMIDIOUT hmo) {
  auto open = Lookup(hmo);
  if (!open) return MMSYSERR_INVALHANDLE;
  std::lock_guard lock(open->mutex);
  open->port->Reset();
  open->runningStatus = 0;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg) {
  return midiOutShortMsgAt(hmo, dwMsg, std::chrono::steady_clock::now());
}

MMRESULT midiOutShortMsgAt(HMIDIOUT hmo, DWORD dwMsg, TMidiDueTime due) {
  auto open = Lookup(hmo);
  if (!open) return MMSYSERR_INVALHANDLE;
  BYTE bytes[3] = {static_cast<BYTE>(dwMsg & 0xFF), static_cast<BYTE>((dwMsg >> 8) & 0xFF),
                   static_cast<BYTE>((dwMsg >> 16) & 0xFF)};
  std::lock_guard lock(open->mutex);
  if (bytes[0] < 0x80) {
    // Running status: the message is the data bytes of the previous status.
    if (open->runningStatus == 0) return MMSYSERR_INVALPARAM;
    bytes[2] = bytes[1];
    bytes[1] = bytes[0];
    bytes[0] = open->runningStatus;
  } else if (bytes[0] == kSysExStart || bytes[0] == 0xF7) {
    return MMSYSERR_INVALPARAM;  // system-exclusive goes through midiOutLongMsg
  }
  if (bytes[0] < 0xF0) open->runningStatus = bytes[0];
  if (bytes[0] >= 0xF0 && bytes[0] < 0xF8) open->runningStatus = 0;
  open->port->Send(bytes, 1 + ShortMessageLength(bytes[0]), due);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, UINT cbmh) {
  if (!ValidHeader(pmh, cbmh)) return MMSYSERR_INVALPARAM;
  if (!Lookup(hmo)) return MMSYSERR_INVALHANDLE;
  pmh->dwFlags |= MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, UINT cbmh) {
  if (!ValidHeader(pmh, cbmh)) return MMSYSERR_INVALPARAM;
  if (!Lookup(hmo)) return MMSYSERR_INVALHANDLE;
  if (pmh->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  pmh->dwFlags &= ~MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutLongMsg(HMIDIOUT hmo, MIDIHDR* pmh, UINT cbmh) {
  return midiOutLongMsgAt(hmo, pmh, cbmh, std::chrono::steady_clock::now());
}

MMRESULT midiOutLongMsgAt(HMIDIOUT hmo, MIDIHDR* pmh, UINT cbmh, TMidiDueTime due) {
  if (!ValidHeader(pmh, cbmh)) return MMSYSERR_INVALPARAM;
  auto open = Lookup(hmo);
  if (!open) return MMSYSERR_INVALHANDLE;
  if (!(pmh->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  if (pmh->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  if (pmh->lpData == nullptr && pmh->dwBufferLength > 0) return MMSYSERR_INVALPARAM;
  pmh->dwFlags = (pmh->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  {
    std::lock_guard lock(open->mutex);
    if (pmh->dwBufferLength > 0) {
      open->port->Send(reinterpret_cast<const BYTE*>(pmh->lpData), pmh->dwBufferLength, due);
    }
    open->runningStatus = 0;
  }
  // The bytes were copied: the buffer is the caller's again.
  pmh->dwFlags = (pmh->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  Notify(*open, hmo, MM_MOM_DONE, reinterpret_cast<LPARAM>(pmh));
  return MMSYSERR_NOERROR;
}
