#include "midi/song_chase.h"

namespace {

constexpr uint32_t kStatusMask = 0xF0;
constexpr uint32_t kChannelMask = 0x0F;
constexpr uint32_t kDataMask = 0x7F;
constexpr int kSevenBits = 7;
constexpr int kDataShift1 = 8;
constexpr int kDataShift2 = 16;

constexpr uint32_t kControlChange = 0xB0;
constexpr uint32_t kProgramChange = 0xC0;
constexpr uint32_t kChannelPressure = 0xD0;
constexpr uint32_t kPitchBend = 0xE0;

// Controller numbers (MIDI 1.0, and GM Level 1 RP-015 for Reset All Controllers).
constexpr int kBankSelectMsb = 0;
constexpr int kModulation = 1;
constexpr int kDataEntryMsb = 6;
constexpr int kVolume = 7;
constexpr int kBalance = 8;
constexpr int kPan = 10;
constexpr int kExpression = 11;
constexpr int kBankSelectLsb = 32;
constexpr int kDataEntryLsb = 38;
constexpr int kSustain = 64;
constexpr int kSoftPedal = 67;
constexpr int kReverbSend = 91;
constexpr int kDataIncrement = 96;
constexpr int kDataDecrement = 97;
constexpr int kNrpnLsb = 98;
constexpr int kNrpnMsb = 99;
constexpr int kRpnLsb = 100;
constexpr int kRpnMsb = 101;
constexpr int kResetAllControllers = 121;
constexpr int kFirstModeMessage = 120;

constexpr int kNullParameter = 127;
constexpr int kCentre = 64;
constexpr int kFullScale = 127;
constexpr int kDefaultVolume = 100;
constexpr int kDefaultReverbSend = 40;
constexpr int32_t kBendCentre = 0x2000;

// The registered parameters a General MIDI device defines, with their
// power-on values: pitch-bend range 2 semitones, fine and coarse tuning
// centred, modulation depth range half a semitone.
struct TKnownParameter {
  int Msb;
  int Lsb;
  int16_t ValueMsb;
  int16_t ValueLsb;
};
constexpr TKnownParameter kKnownParameters[] = {
    {0, 0, 2, 0}, {0, 1, kCentre, 0}, {0, 2, kCentre, 0}, {0, 5, 0, kCentre}};

int16_t DefaultControl(int Controller) {
  switch (Controller) {
    case kVolume: return kDefaultVolume;
    case kBalance:
    case kPan: return kCentre;
    case kExpression: return kFullScale;
    case kReverbSend: return kDefaultReverbSend;
    case kNrpnLsb:
    case kNrpnMsb:
    case kRpnLsb:
    case kRpnMsb: return kNullParameter;
    default: return 0;
  }
}

// Controllers that are sent for their own value; the rest are the bank
// (sent with the program), the parameter machinery and the mode messages.
bool PlainController(int Controller) {
  return Controller != kBankSelectMsb && Controller != kBankSelectLsb && Controller != kDataEntryMsb &&
         Controller != kDataEntryLsb && (Controller < kDataIncrement || Controller > kRpnMsb) &&
         Controller < kFirstModeMessage;
}

uint32_t Short(uint32_t Status, int Channel, int Data1, int Data2 = 0) {
  return (Status | static_cast<uint32_t>(Channel)) | static_cast<uint32_t>(Data1) << kDataShift1 |
         static_cast<uint32_t>(Data2) << kDataShift2;
}

bool Matches(const std::vector<int32_t>& Bytes, std::initializer_list<int> Pattern, size_t Skip = SIZE_MAX) {
  if (Bytes.size() != Pattern.size()) return false;
  size_t i = 0;
  for (int expected : Pattern) {
    if (i != Skip && (Bytes[i] & 0xFF) != expected) return false;
    ++i;
  }
  return true;
}

bool SentExclusive(const TMidiEventItemStanderd& Item) {
  return Item.Kind == MidiKind::GMReset || Item.Kind == MidiKind::GSReset || Item.Kind == MidiKind::Exclusive;
}

}  // namespace

// ---- One output's channels ----

void TChannelChase::Apply(uint32_t Message) {
  const uint32_t status = Message & kStatusMask;
  TChannel& channel = m_channels[Message & kChannelMask];
  const int data1 = static_cast<int>((Message >> kDataShift1) & kDataMask);
  const int data2 = static_cast<int>((Message >> kDataShift2) & kDataMask);
  switch (status) {
    case kControlChange: ApplyControl(channel, data1, data2); break;
    case kProgramChange: channel.Program = static_cast<int16_t>(data1); break;
    case kChannelPressure: channel.Pressure = static_cast<int16_t>(data1); break;
    case kPitchBend: channel.Bend = data1 | data2 << kSevenBits; break;
    default: break;  // notes and key pressure belong to the notes, which are not chased
  }
}

bool TChannelChase::Selected(const TChannel& Channel, TParameterKey& Key) {
  const int msbController = Channel.RegisteredSelected ? kRpnMsb : kNrpnMsb;
  const int lsbController = Channel.RegisteredSelected ? kRpnLsb : kNrpnLsb;
  const int16_t msb = Channel.Controls[static_cast<size_t>(msbController)];
  const int16_t lsb = Channel.Controls[static_cast<size_t>(lsbController)];
  if (msb == kUnset || lsb == kUnset) return false;
  if (msb == kNullParameter && lsb == kNullParameter) return false;
  Key = TParameterKey{Channel.RegisteredSelected, msb, lsb};
  return true;
}

void TChannelChase::ApplyControl(TChannel& Channel, int Controller, int Value) {
  if (Controller == kDataEntryMsb || Controller == kDataEntryLsb) {
    TParameterKey key;
    if (!Selected(Channel, key)) return;
    TParameterValue& value = Channel.Parameters[key];
    (Controller == kDataEntryMsb ? value.Msb : value.Lsb) = static_cast<int16_t>(Value);
    return;
  }
  // Increment and decrement mean different steps to different devices; the
  // built-in synthesizer ignores them, and so does the chase.
  if (Controller == kDataIncrement || Controller == kDataDecrement) return;
  if (Controller == kRpnMsb || Controller == kRpnLsb) Channel.RegisteredSelected = true;
  if (Controller == kNrpnMsb || Controller == kNrpnLsb) Channel.RegisteredSelected = false;
  if (Controller == kResetAllControllers) {
    // What Reset All Controllers sets (GM Level 1 RP-015); volume, pan,
    // bank and program stay.
    Channel.Controls[kModulation] = 0;
    Channel.Controls[kExpression] = kFullScale;
    for (int pedal = kSustain; pedal <= kSoftPedal; ++pedal) Channel.Controls[static_cast<size_t>(pedal)] = 0;
    for (int select : {kNrpnLsb, kNrpnMsb, kRpnLsb, kRpnMsb}) Channel.Controls[static_cast<size_t>(select)] = kNullParameter;
    Channel.Bend = kBendCentre;
    Channel.Pressure = 0;
    return;
  }
  if (Controller >= kFirstModeMessage) return;  // sound off, notes off and the modes change no setting kept here
  Channel.Controls[static_cast<size_t>(Controller)] = static_cast<int16_t>(Value);
}

void TChannelChase::Reset() { m_channels = {}; }

std::vector<uint32_t> TChannelChase::Messages() const {
  std::vector<uint32_t> out;
  for (int c = 0; c < kChannels; ++c) {
    const TChannel& channel = m_channels[static_cast<size_t>(c)];
    auto control = [&](int controller) {
      const int16_t value = channel.Controls[static_cast<size_t>(controller)];
      if (value != kUnset) out.push_back(Short(kControlChange, c, controller, value));
    };
    // A bank select takes effect with the next program change.
    control(kBankSelectMsb);
    control(kBankSelectLsb);
    if (channel.Program != kUnset) out.push_back(Short(kProgramChange, c, channel.Program));
    for (int controller = 0; controller < kControllers; ++controller) {
      if (PlainController(controller)) control(controller);
    }
    for (const auto& [key, value] : channel.Parameters) {
      out.push_back(Short(kControlChange, c, key.Registered ? kRpnMsb : kNrpnMsb, key.Msb));
      out.push_back(Short(kControlChange, c, key.Registered ? kRpnLsb : kNrpnLsb, key.Lsb));
      if (value.Msb != kUnset) out.push_back(Short(kControlChange, c, kDataEntryMsb, value.Msb));
      if (value.Lsb != kUnset) out.push_back(Short(kControlChange, c, kDataEntryLsb, value.Lsb));
    }
    // The selection the song left, the one it used last coming last.
    if (channel.RegisteredSelected) {
      control(kNrpnMsb);
      control(kNrpnLsb);
      control(kRpnMsb);
      control(kRpnLsb);
    } else {
      control(kRpnMsb);
      control(kRpnLsb);
      control(kNrpnMsb);
      control(kNrpnLsb);
    }
    if (channel.Bend != kUnset) {
      out.push_back(Short(kPitchBend, c, channel.Bend & static_cast<int32_t>(kDataMask), channel.Bend >> kSevenBits));
    }
    if (channel.Pressure != kUnset) out.push_back(Short(kChannelPressure, c, channel.Pressure));
  }
  return out;
}

void TChannelChase::FillDefaultsFrom(const TChannelChase& Whole) {
  for (size_t c = 0; c < m_channels.size(); ++c) {
    TChannel& mine = m_channels[c];
    const TChannel& whole = Whole.m_channels[c];
    for (int controller = 0; controller < kControllers; ++controller) {
      const auto k = static_cast<size_t>(controller);
      if (whole.Controls[k] != kUnset && mine.Controls[k] == kUnset) mine.Controls[k] = DefaultControl(controller);
    }
    if (whole.Program != kUnset && mine.Program == kUnset) mine.Program = 0;
    if (whole.Bend != kUnset && mine.Bend == kUnset) mine.Bend = kBendCentre;
    if (whole.Pressure != kUnset && mine.Pressure == kUnset) mine.Pressure = 0;
    for (const TKnownParameter& known : kKnownParameters) {
      const TParameterKey key{true, known.Msb, known.Lsb};
      if (whole.Parameters.count(key) != 0 && mine.Parameters.count(key) == 0) {
        mine.Parameters[key] = TParameterValue{known.ValueMsb, known.ValueLsb};
      }
    }
  }
}

TChannelChase TChannelChase::Normalized() const {
  TChannelChase normal = *this;
  for (TChannel& channel : normal.m_channels) {
    for (int controller = 0; controller < kControllers; ++controller) {
      int16_t& value = channel.Controls[static_cast<size_t>(controller)];
      if (value == kUnset && PlainController(controller)) value = DefaultControl(controller);
      if (value == kUnset && (controller == kBankSelectMsb || controller == kBankSelectLsb)) value = 0;
    }
    if (channel.Program == kUnset) channel.Program = 0;
    if (channel.Bend == kUnset) channel.Bend = kBendCentre;
    if (channel.Pressure == kUnset) channel.Pressure = 0;
    for (const TKnownParameter& known : kKnownParameters) {
      TParameterValue& value = channel.Parameters[TParameterKey{true, known.Msb, known.Lsb}];
      if (value.Msb == kUnset) value.Msb = known.ValueMsb;
      if (value.Lsb == kUnset) value.Lsb = known.ValueLsb;
    }
  }
  return normal;
}

// ---- The song ----

bool IsResetExclusive(const std::vector<int32_t>& Bytes) {
  // The device number (byte 2) may be anything; GS and XG name theirs in
  // the low four bits of that byte.
  constexpr size_t kDeviceByte = 2;
  return Matches(Bytes, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, kDeviceByte) ||      // GM System On
         Matches(Bytes, {0xF0, 0x7E, 0x7F, 0x09, 0x02, 0xF7}, kDeviceByte) ||      // GM System Off
         Matches(Bytes, {0xF0, 0x7E, 0x7F, 0x09, 0x03, 0xF7}, kDeviceByte) ||      // GM2 System On
         Matches(Bytes, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}, kDeviceByte) ||  // GS Reset
         Matches(Bytes, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7}, kDeviceByte) ||  // GS mode set
         Matches(Bytes, {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}, kDeviceByte);  // XG System On
}

std::map<int32_t, TPortChase> ChaseSong(const TMidiSong& Song, int32_t Ms) {
  std::map<int32_t, TPortChase> ports;
  for (TMidiEventItemStanderd* item : Song.Events) {
    if (item->Time >= Ms) break;  // the song list is in time order
    if (item->Track < 0 || item->Track >= Song.Tracks.Count()) continue;
    const int32_t portNumber = Song.Tracks.Track(item->Track)->Port;
    const bool isShort = item->Kind >= MidiKind::NoteOn && item->Kind <= MidiKind::PitchBend;
    if (!isShort && !SentExclusive(*item)) continue;
    auto [found, added] = ports.try_emplace(portNumber);
    TPortChase& port = found->second;
    if (added) port.Track = item->Track;
    if (isShort) {
      if (auto* message = dynamic_cast<TMidiEventItemShort*>(item)) port.Channels.Apply(static_cast<uint32_t>(message->Message));
      continue;
    }
    auto* exclusive = dynamic_cast<TMidiEventItemLong*>(item);
    if (exclusive == nullptr || exclusive->Bytes.Count() == 0) continue;
    if (item->Kind != MidiKind::Exclusive || IsResetExclusive(exclusive->Bytes.Data())) {
      port.LastReset = exclusive;
      port.ExclusiveSinceReset.clear();
      port.Channels.Reset();
    } else {
      port.ExclusiveSinceReset.push_back(exclusive);
    }
  }
  return ports;
}

std::vector<TChaseMessage> ChaseMessages(const std::map<int32_t, TPortChase>& Ports) {
  std::vector<TChaseMessage> out;
  for (const auto& [number, port] : Ports) {
    if (port.LastReset != nullptr) out.push_back(TChaseMessage{port.LastReset->Track, 0, port.LastReset});
    for (TMidiEventItemLong* exclusive : port.ExclusiveSinceReset) {
      out.push_back(TChaseMessage{exclusive->Track, 0, exclusive});
    }
    for (uint32_t message : port.Channels.Messages()) out.push_back(TChaseMessage{port.Track, message, nullptr});
  }
  return out;
}
