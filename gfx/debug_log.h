// The graphics side's debug log and result checks: one process-wide text log
// beside the executable ("Vextral_DebugLog.txt", CP932, CRLF), the check that
// names a Direct3D result and may end the process, and the names and sizes of
// Direct3D formats. Main thread only; the state is unsynchronised.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

#include "platform/wintypes/wintypes.h"

// The three switches (all on until a debug option set is applied).
extern bool HaltOnErrorSwitch;   // a reported failure ends the process
extern bool DebugMessageSwitch;  // DebugLog writes to the file
extern bool DetailedLogSwitch;   // DetailLog passes its lines on to DebugLog

// Indentation depth (two blanks a level), raised and lowered by the callers.
extern int32_t LogIndent;
// Lines written so far in this run; the first line of a run starts a new file.
extern int32_t LogLineCount;

// Writes one line "#%.5d | <indent><text>" CR LF when the debug-message switch
// is on. Throws std::system_error when the file cannot be opened or written
// (the count then keeps its value).
void DebugLog(const std::string& text);
// DebugLog when the detailed-log switch is on.
void DetailLog(const std::string& text);
// Runs one logging step of a destructor, which must not throw: a log that
// cannot be written loses the step's line instead of ending the process.
template <typename TStep>
void LogInDestructor(TStep&& step) noexcept {
  try {
    step();
  } catch (const std::system_error&) {
  }
}
// Returns code; a non-zero code logs message + "(Error Code = <name>)" and,
// with the halt-on-error switch on, ends the process with exit status 0.
int32_t CheckResult(int32_t code, const std::string& message);

// The name of a Direct3D 9 result code ("D3DERR_INVALIDCALL ", ...).
std::string ErrorCodeName(int32_t code);
// The short name of a Direct3D 9 format code ("A8R8G8B8", "UNKNOWN", ...).
std::string FormatName(DWORD format);
// Bits per pixel of a format; 0 for every code not in the table.
UINT FormatBitCount(DWORD format);

// The log file's folder: the executable's folder unless a test moved it.
// An empty folder restores the default.
void SetDebugLogDirectory(const std::string& folder);
std::string DebugLogPath();

// The CP932 bytes of a UTF-8 literal, converted once per literal (cached by
// the literal's address). For the Japanese texts of the log.
const std::string& Sjis(const char* utf8Literal);

// printf-style formatting into a std::string (bytes; CP932 formats are safe:
// no CP932 trail byte is '%').
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
