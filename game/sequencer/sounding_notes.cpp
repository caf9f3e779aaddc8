#include "game/sequencer/sounding_notes.h"

namespace {

constexpr uint32_t kStatusMask = 0xF0;
constexpr uint32_t kChannelMask = 0x0F;
constexpr uint32_t kDataMask = 0x7F;
constexpr uint32_t kNoteOff = 0x80;
constexpr uint32_t kNoteOn = 0x90;
constexpr uint32_t kControlChange = 0xB0;
constexpr uint32_t kSustainController = 64;
constexpr uint32_t kPedalDownFrom = 64;  // controller values 64..127 hold the pedal
constexpr uint32_t kPedalDownValue = 127;
constexpr uint32_t kReleaseVelocity = 64;
// Controllers that silence a channel on their own: all sound off, reset all
// controllers, all notes off and the mode messages after it.
constexpr uint32_t kAllSoundOff = 120;
constexpr uint32_t kResetAllControllers = 121;
constexpr uint32_t kAllNotesOff = 123;

uint32_t Message(uint32_t status, uint32_t data1, uint32_t data2) { return status | data1 << 8 | data2 << 16; }

}  // namespace

TSoundingNotes::TOutputNotes& TSoundingNotes::For(HMIDIOUT Output) {
  for (TOutputNotes& notes : m_outputs) {
    if (notes.Output == Output) return notes;
  }
  m_outputs.emplace_back();
  m_outputs.back().Output = Output;
  return m_outputs.back();
}

void TSoundingNotes::Sent(HMIDIOUT Output, uint32_t Msg) {
  const uint32_t status = Msg & kStatusMask;
  const size_t channel = Msg & kChannelMask;
  const uint32_t data1 = (Msg >> 8) & kDataMask;
  const uint32_t data2 = (Msg >> 16) & kDataMask;
  if (status != kNoteOn && status != kNoteOff && status != kControlChange) return;
  TOutputNotes& notes = For(Output);
  if (status == kNoteOn && data2 > 0) {
    notes.Struck[channel].set(data1);
  } else if (status == kNoteOn || status == kNoteOff) {
    notes.Struck[channel].reset(data1);
  } else if (data1 == kSustainController) {
    notes.PedalDown[channel] = data2 >= kPedalDownFrom;
  } else if (data1 == kResetAllControllers) {
    notes.PedalDown[channel] = false;
  } else if (data1 == kAllSoundOff || data1 >= kAllNotesOff) {
    notes.Struck[channel].reset();
  }
}

std::vector<TSoundingNotes::TMessage> TSoundingNotes::ReleaseMessages() {
  std::vector<TMessage> messages;
  for (TOutputNotes& notes : m_outputs) {
    for (uint32_t channel = 0; channel < kChannels; ++channel) {
      for (uint32_t note = 0; note < kNotes; ++note) {
        if (notes.Struck[channel][note]) messages.push_back({notes.Output, Message(kNoteOff | channel, note, kReleaseVelocity)});
      }
      notes.Struck[channel].reset();
    }
    for (uint32_t channel = 0; channel < kChannels; ++channel) {
      if (!notes.PedalDown[channel]) continue;
      messages.push_back({notes.Output, Message(kControlChange | channel, kSustainController, 0)});
      notes.PedalReleased[channel] = true;
    }
  }
  return messages;
}

std::vector<TSoundingNotes::TMessage> TSoundingNotes::PedalMessages() {
  std::vector<TMessage> messages;
  for (TOutputNotes& notes : m_outputs) {
    for (uint32_t channel = 0; channel < kChannels; ++channel) {
      if (notes.PedalReleased[channel] && notes.PedalDown[channel]) {
        messages.push_back({notes.Output, Message(kControlChange | channel, kSustainController, kPedalDownValue)});
      }
    }
    notes.PedalReleased.reset();
  }
  return messages;
}

void TSoundingNotes::Clear() { m_outputs.clear(); }

int TSoundingNotes::Count() const {
  int count = 0;
  for (const TOutputNotes& notes : m_outputs) {
    for (const auto& channel : notes.Struck) count += static_cast<int>(channel.count());
  }
  return count;
}
