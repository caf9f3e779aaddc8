#include "wav_levels.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kSilenceDb = -200.0;
constexpr double kTinyPower = 1e-20;
}  // namespace

double PowerToDb(double power) { return power > kTinyPower ? 10.0 * std::log10(power) : kSilenceDb; }

bool TWavLevels::Load(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return false;
  std::vector<float> samples(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
  const sf_count_t read = sf_readf_float(file, samples.data(), info.frames);
  sf_close(file);
  m_rate = info.samplerate;
  m_power.assign(static_cast<size_t>(read), 0.0);
  m_peak.assign(static_cast<size_t>(read), 0.0);
  for (sf_count_t f = 0; f < read; ++f) {
    double power = 0.0;
    double peak = 0.0;
    for (int c = 0; c < info.channels; ++c) {
      const double v = samples[static_cast<size_t>(f * info.channels + c)];
      power += v * v;
      peak = std::max(peak, std::fabs(v));
    }
    m_power[static_cast<size_t>(f)] = power / info.channels;
    m_peak[static_cast<size_t>(f)] = peak;
  }
  return true;
}

double TWavLevels::Seconds() const { return m_rate > 0 ? static_cast<double>(m_power.size()) / m_rate : 0.0; }

double TWavLevels::PeakDbfs() const {
  const double peak = m_peak.empty() ? 0.0 : *std::max_element(m_peak.begin(), m_peak.end());
  return PowerToDb(peak * peak);
}

double TWavLevels::LoudestRmsDbfs(double windowSeconds) const {
  if (m_power.empty()) return kSilenceDb;
  const size_t window = std::clamp<size_t>(static_cast<size_t>(windowSeconds * m_rate), 1, m_power.size());
  double sum = 0.0;
  for (size_t i = 0; i < window; ++i) sum += m_power[i];
  double best = sum;
  for (size_t i = window; i < m_power.size(); ++i) {
    sum += m_power[i] - m_power[i - window];
    best = std::max(best, sum);
  }
  return PowerToDb(best / static_cast<double>(window));
}

double TWavLevels::RmsDbfs(double fromSeconds, double toSeconds) const {
  const auto first = static_cast<size_t>(std::max(0.0, fromSeconds * m_rate));
  const auto last = std::min(m_power.size(), static_cast<size_t>(std::max(0.0, toSeconds * m_rate)));
  if (last <= first) return kSilenceDb;
  double sum = 0.0;
  for (size_t i = first; i < last; ++i) sum += m_power[i];
  return PowerToDb(sum / static_cast<double>(last - first));
}

double TWavLevels::OnsetSeconds() const {
  constexpr double kOnsetLevel = 0.001;  // -60 dBFS
  for (size_t i = 0; i < m_peak.size(); ++i) {
    if (m_peak[i] > kOnsetLevel) return static_cast<double>(i) / m_rate;
  }
  return Seconds();
}
