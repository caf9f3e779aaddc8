// Levels of a rendered or recorded WAV file: peak, the RMS of the loudest
// window of a given length, and the level just before and after a moment.
// Bench code; any thread; TWavLevels owns its samples.
#pragma once

#include <string>
#include <vector>

class TWavLevels {
 public:
  // Reads a WAV file (any channel count, mixed to the loudest channel per
  // frame for the peak and to the mean power for the RMS). False when unreadable.
  bool Load(const std::string& path);

  double Seconds() const;
  double PeakDbfs() const;
  // RMS in dBFS of the loudest window of this many seconds (the whole file
  // when it is shorter).
  double LoudestRmsDbfs(double windowSeconds) const;
  // The first moment a channel exceeds -60 dBFS (the length when none does).
  double OnsetSeconds() const;
  // RMS in dBFS of [fromSeconds, toSeconds).
  double RmsDbfs(double fromSeconds, double toSeconds) const;

 private:
  std::vector<double> m_power;  // mean power of the channels per frame
  std::vector<double> m_peak;   // largest magnitude of the channels per frame
  double m_rate = 0.0;
};

// A power or amplitude ratio in decibels, with silence at -200 dB.
double PowerToDb(double power);
