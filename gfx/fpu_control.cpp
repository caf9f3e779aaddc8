#include "gfx/fpu_control.h"

#include <cfenv>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace {
#if defined(__x86_64__) || defined(__i386__)
constexpr uint16_t kX87ControlWord = 0x133F;  // all masks, 64-bit precision, round to nearest
constexpr unsigned kMxcsrExceptionMasks = 0x1F80;
constexpr unsigned kMxcsrExceptionFlags = 0x003F;
#endif
}  // namespace

void MaskFloatingPointExceptions() {
  std::feclearexcept(FE_ALL_EXCEPT);
#if defined(__x86_64__) || defined(__i386__)
  const uint16_t controlWord = kX87ControlWord;
  __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(controlWord));
  _mm_setcsr((_mm_getcsr() | kMxcsrExceptionMasks) & ~kMxcsrExceptionFlags);
#endif
}
