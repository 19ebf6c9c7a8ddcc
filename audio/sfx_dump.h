// Debug dump of the emote sounds: when KORVALO_SFXDUMP names a folder, each
// emote sound is written there as "emote<k>.wav" (mono, 16-bit, 44100 Hz) and
// a line with its length, peak and RMS is printed, for listening to and
// checking the sounds outside the game.
#pragma once
#include <string>
#include <vector>

#include "audio/sample_pipeline.h"

constexpr const char* kSfxDumpVariable = "KORVALO_SFXDUMP";

// The line printed for one emote sound scaled to its peak (no normalisation).
std::string emoteDumpLine(int emote, const Samples& scaled);
// Prints the line and exports the WAV of every emote of the bank to `folder`.
// Returns how many files were written.
int dumpEmoteSounds(const std::vector<Samples>& bank, const std::string& folder);
