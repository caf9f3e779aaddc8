#include "game/sequencer/window_player.h"

#include "midi/midi_song.h"

const TMidiSong& TWindowPlayer::Song() const {
  static const TMidiSong empty;
  return empty;
}
