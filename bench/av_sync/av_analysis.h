// The arithmetic of the sound-and-picture bench: onsets in a recording, the
// recording's clock from the moments its chunks arrived, and the median and
// percentiles of the measured differences. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <vector>

// One chunk of the recording as it arrived: the index of the frame after its
// last one and the steady-clock moment (ns) it was read.
struct TChunkArrival {
  int64_t EndFrame;
  int64_t ArrivedNs;
};

// The steady-clock moment (ns) of one frame of the recording, from the
// chunks that arrived within windowFrames after it: the one with the least
// delay tells it best (later ones only waited longer in the pipe). Local, so
// that frames the recorder lost and the server's clock drifting against the
// steady clock do not add up over a long recording. -1 without arrivals.
int64_t FrameMomentNs(const std::vector<TChunkArrival>& arrivals, unsigned rate, int64_t frame, int64_t windowFrames);

// Frames where a sound starts: the first frame above threshold (a fraction of
// the loudest sample) after at least quietFrames below it.
std::vector<int64_t> Onsets(const std::vector<float>& mono, double thresholdOfPeak, int64_t quietFrames);

// The q-th quantile (0..1) by linear interpolation; 0 for no values.
double Quantile(std::vector<double> values, double q);
