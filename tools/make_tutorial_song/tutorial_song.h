// The tutorial song that teaches the game before the player opens a file of
// their own: composed here as data and written as a Standard MIDI File.
// Build-time tool code; any thread.
#pragma once

#include "tools/make_tutorial_song/smf_writer.h"

#include <string_view>

// The name of track 0, which the game shows as the song's title.
inline constexpr std::string_view kTutorialSongTitle = "First Rain";
inline constexpr int kTutorialTicksPerQuarter = 480;

// The complete file: format 1, a conductor track (title, time and key
// signature, tempo map) and one track per instrument, program changes at
// tick 0 and no system-exclusive reset. Throws EPhraseError or
// ESmfWriteError if the score itself is broken (a bar that does not add up
// to four beats, an unknown pitch).
SmfBytes BuildTutorialSong();
