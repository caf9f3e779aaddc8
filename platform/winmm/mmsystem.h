// The Windows multimedia functions the game uses: MIDI output (midiOut*), the
// periodic multimedia timer (timeSetEvent / timeKillEvent) and voice lines
// (sndPlaySoundA), with Windows' types, flags and result codes. Any thread
// unless a function says otherwise; completion messages arrive on the main
// thread through the posted-message queue of platform/ui.
#pragma once

#include <chrono>
#include <cstddef>

#include "platform/wintypes/wintypes.h"

// ===== Result codes =====
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
inline constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MIDIERR_UNPREPARED = 64;
inline constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
inline constexpr MMRESULT MIDIERR_NODEVICE = 68;
inline constexpr MMRESULT MIDIERR_BADOPENMODE = 70;
inline constexpr MMRESULT TIMERR_NOERROR = 0;
inline constexpr MMRESULT TIMERR_NOCANDO = 97;

// ===== MIDI output =====
struct HMIDIOUT__;
// An open output. Its value is a small number (it fits the 32-bit integer
// lists the sequencer keeps handles in); it is never dereferenced.
using HMIDIOUT = HMIDIOUT__*;

inline constexpr UINT MIDI_MAPPER = static_cast<UINT>(-1);
inline constexpr int MAXPNAMELEN = 32;

inline constexpr DWORD CALLBACK_NULL = 0x00000000;
inline constexpr DWORD CALLBACK_WINDOW = 0x00010000;

// Messages posted to a CALLBACK_WINDOW window; wParam = the handle.
inline constexpr UINT MM_MOM_OPEN = 0x3C7;
inline constexpr UINT MM_MOM_CLOSE = 0x3C8;
inline constexpr UINT MM_MOM_DONE = 0x3C9;  // lParam = the finished MIDIHDR*

// Device technologies (wTechnology).
inline constexpr WORD MOD_MIDIPORT = 1;
inline constexpr WORD MOD_SYNTH = 2;
inline constexpr WORD MOD_SWSYNTH = 7;

// The capabilities record: 52 bytes, as on Windows.
#pragma pack(push, 4)
struct MIDIOUTCAPSA {
  WORD wMid;
  WORD wPid;
  UINT vDriverVersion;  // major version in the high byte, minor in the low
  char szPname[MAXPNAMELEN];
  WORD wTechnology;
  WORD wVoices;
  WORD wNotes;
  WORD wChannelMask;
  DWORD dwSupport;
};
#pragma pack(pop)
static_assert(sizeof(MIDIOUTCAPSA) == 52, "MIDIOUTCAPSA must keep the Windows layout");

// A buffer of a long (system-exclusive) message. The caller owns it and its data.
struct MIDIHDR {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  MIDIHDR* lpNext;
  DWORD_PTR reserved;
  DWORD dwOffset;
  DWORD_PTR dwReserved[8];
};

inline constexpr DWORD MHDR_DONE = 0x00000001;
inline constexpr DWORD MHDR_PREPARED = 0x00000002;
inline constexpr DWORD MHDR_INQUEUE = 0x00000004;

// When a message is due, on the steady clock. The built-in synthesizer starts it
// at that moment plus its fixed scheduling delay; other devices send at once.
using TMidiDueTime = std::chrono::steady_clock::time_point;

UINT midiOutGetNumDevs();
MMRESULT midiOutGetDevCapsA(UINT_PTR uDeviceID, MIDIOUTCAPSA* pmoc, UINT cbmoc);
// dwCallback is the HWND when fdwOpen is CALLBACK_WINDOW. MIDI_MAPPER opens the
// built-in synthesizer.
MMRESULT midiOutOpen(HMIDIOUT* phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                     DWORD fdwOpen);
MMRESULT midiOutClose(HMIDIOUT hmo);
// Turns every note on every channel off (each dies away through its release)
// and resets the controllers; returns once that is done. Pending long buffers are returned first.
MMRESULT midiOutReset(HMIDIOUT hmo);
// dwMsg: status in the low byte, then data 1, then data 2.
MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg);
MMRESULT midiOutShortMsgAt(HMIDIOUT hmo, DWORD dwMsg, TMidiDueTime due);
MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, UINT cbmh);
MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, MIDIHDR* pmh, UINT cbmh);
// Sends the header's bytes; MM_MOM_DONE is posted when the buffer is free again.
MMRESULT midiOutLongMsg(HMIDIOUT hmo, MIDIHDR* pmh, UINT cbmh);
MMRESULT midiOutLongMsgAt(HMIDIOUT hmo, MIDIHDR* pmh, UINT cbmh, TMidiDueTime due);

// ===== Multimedia timer =====
inline constexpr UINT TIME_ONESHOT = 0x0000;
inline constexpr UINT TIME_PERIODIC = 0x0001;
inline constexpr UINT TIME_CALLBACK_FUNCTION = 0x0000;

using LPTIMECALLBACK = void (*)(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1,
                                DWORD_PTR dw2);

// Starts a timer whose callback runs on its own thread every uDelay ms
// (TIME_PERIODIC) or once; deadlines are absolute, so lateness does not add
// up. uResolution is accepted and ignored. Returns the timer's id, 0 on failure.
UINT timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK lpTimeProc, DWORD_PTR dwUser,
                  UINT fuEvent);
// Stops a timer. From another thread it returns only after a callback in
// progress has finished; from inside the timer's own callback it stops the
// timer without waiting for itself.
MMRESULT timeKillEvent(UINT uTimerID);

// ===== Voice lines =====
inline constexpr UINT SND_SYNC = 0x0000;
inline constexpr UINT SND_ASYNC = 0x0001;
inline constexpr UINT SND_NODEFAULT = 0x0002;
inline constexpr UINT SND_MEMORY = 0x0004;
inline constexpr UINT SND_LOOP = 0x0008;
inline constexpr UINT SND_NOSTOP = 0x0010;

// Plays a wave file (CP932 name, Windows-style relative path) through the audio
// stream's voice player, replacing a line still playing. nullptr stops the
// current line. FALSE when the file is missing or unreadable (nothing plays),
// and for SND_MEMORY and SND_LOOP, which are not supported.
BOOL sndPlaySoundA(LPCSTR pszSound, UINT fuSound);
