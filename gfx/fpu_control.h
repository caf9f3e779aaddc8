// Masking of floating-point exceptions for the whole process, as the
// graphics device expects (no trap on overflow, division by zero, ...).
// Call from the main thread at start-up; affects the calling thread's
// floating-point environment and, through inheritance, threads started later.
#pragma once

// Masks all six exceptions (SSE and x87; x87 control word 0x133F: 64-bit
// precision, round to nearest) and clears pending ones.
void MaskFloatingPointExceptions();
