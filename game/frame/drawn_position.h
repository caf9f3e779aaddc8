// Where the play field draws the song: the sequencer's position moved back by
// the player's timing offset. Pure arithmetic, any thread; owns nothing.
//
// How the offset fits the chain (the timing notes of the game):
//   A drop's note is judged and sent by the timer step in which the song
//   clock passes its time T. Its due time is the moment the clock was at T;
//   the built-in synthesizer plays it one fixed scheduling delay after that
//   (the 5 ms step plus a margin), and the sound card and the sound server
//   add their own buffers: the note is heard a constant time L_audio after T.
//   The picture shows the position of the last step in a frame handed to the
//   window system a few milliseconds after it was read, and the screen adds
//   its own lag L_video. Both lags are constant for a machine; what the
//   player notices is their difference (the offset O, in milliseconds of
//   real time, positive when the sound comes late). The calibration
//   measures it with two rounds of taps on a metronome: one heard through
//   the same output, one seen as a flash in a window; the player's own lag
//   is in both rounds and drops out of their difference.
//
//   - Drawing: the only part that moves. Drops, chord lines and splashes
//     are drawn at the song position O ms of real time earlier (O times the
//     music speed in song milliseconds, turned into ticks at the tempo in
//     force), so that a drop touches the bar when its note is heard rather
//     than when it leaves. A negative O draws ahead of the clock the same
//     way. The count-in, the tutorial line and the status bar keep the clock.
//   - Sending: unchanged. The note must leave L_audio before it is heard;
//     holding it back would only add to the lag that the offset covers, and
//     moving it earlier would need the catch decided before the bar is there.
//   - Judgement: unchanged, on the song clock, with the bar position the
//     window published last (mouse moves, and every frame). At offset 0 the
//     bar that decides is the one on screen as the drop touches; with O > 0
//     it is the bar of O ms before the touch is seen, which stays within a
//     frame for offsets up to one frame period (about 17 ms). The decision
//     cannot come later without the sound coming later by the same amount.
//   - Frame age: the position a frame reads is that of the last step, up to
//     one step period old. With an offset in force the frame also makes up
//     for that age (the offset it draws with is reduced by the time since
//     the step), so that the drops stand where the song is at the moment the
//     frame is drawn; what is left is the frame period itself.
//   At offset 0 nothing moves: the designed game, to the pixel.
#pragma once

#include <cstdint>

struct TDrawnPosition {
  int32_t PositionMs;
  int32_t PositionTicks;
};

// The position to draw: OffsetSongMs (the offset times the music speed) before
// the song's position. Tempo in microseconds per quarter note; with a tempo
// of 0 or no division only the milliseconds move. Offset 0 gives the position
// itself.
// The offset a frame draws with, in song milliseconds: OffsetMs (real time)
// less the time since the last step (held to 0 .. one step period; pass 0
// while the song clock stands), times the music speed. 0 for offset 0.
int32_t FrameOffsetSongMs(int32_t OffsetMs, double MsSinceStep, double PlaySpeed);

TDrawnPosition DrawnPosition(int32_t PositionMs, int32_t PositionTicks, int32_t OffsetSongMs, int32_t Division,
                             int32_t Tempo);
