// Where Present delivers a finished back buffer: a presentation target
// registered for a window handle (the game window, a test's pixel reader, or
// the image-file dump target below). Main thread only; targets are not owned
// by the registry and must be unregistered before they are destroyed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/wintypes/wintypes.h"

class IPresentTarget {
 public:
  virtual ~IPresentTarget() = default;
  // pixels: X8R8G8B8/A8R8G8B8 rows, top row first, pitchBytes apart. Valid
  // only during the call.
  virtual void PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) = 0;
};

// Registers target for window; a later registration for the same window
// replaces the earlier one. A null window is a valid key (a device created
// without any window presents there).
void RegisterPresentTarget(HWND window, IPresentTarget* target);
// Removes the registration of window when it is target (or any target when
// target is null).
void UnregisterPresentTarget(HWND window, IPresentTarget* target = nullptr);
// The target registered for window, or null.
IPresentTarget* FindPresentTarget(HWND window);

// Writes every presented frame to an image file (for debugging and for
// looking at test output): "<prefix><frame number>.png" or ".bmp".
class TImageDumpTarget : public IPresentTarget {
 public:
  enum class TKind { Png, Bmp };
  TImageDumpTarget(std::string pathPrefix, TKind kind);
  void PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) override;
  int FramesWritten() const { return m_frames; }

 private:
  std::string m_prefix;
  TKind m_kind;
  int m_frames = 0;
};

// Writes width x height 32-bit pixels (alpha ignored) as a PNG or a 24-bit
// BMP file. Returns false when the file cannot be written.
bool WritePngFile(const std::string& path, const uint32_t* pixels, int width, int height, int pitchBytes);
bool WriteBmpFile(const std::string& path, const uint32_t* pixels, int width, int height, int pitchBytes);
