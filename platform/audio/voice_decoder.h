// Decodes a voice line from a sound file (libsndfile) into interleaved stereo
// float at a chosen rate, resampling with a windowed-sinc filter. Any thread;
// the caller owns the result.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/voice_player.h"

// Longest voice line accepted, in seconds: a larger file is refused rather
// than filling memory.
inline constexpr double kMaxVoiceSeconds = 600.0;

// Sample rates accepted, in frames per second. Outside them the resampler
// would make hundreds of megabytes out of a short file (a rate of a few Hz
// stretched to the stream's rate) or a kernel of millions of taps (a rate of
// gigahertz); no real voice recording lies there.
inline constexpr int kMinVoiceSampleRate = 1000;
inline constexpr int kMaxVoiceSampleRate = 768000;

// nullptr when the file is missing, not a regular file, of a sample rate
// outside the accepted range, unreadable, empty or longer than maxSeconds.
std::unique_ptr<TVoiceBuffer> DecodeVoiceFile(const std::string& path, unsigned targetRate,
                                              double maxSeconds = kMaxVoiceSeconds);

// Resamples interleaved audio of channels channels from sourceRate to
// targetRate. Band-limited: going down, content above the new Nyquist
// frequency is removed. Equal rates copy.
std::vector<float> ResampleInterleaved(const std::vector<float>& source, int channels,
                                       unsigned sourceRate, unsigned targetRate);
