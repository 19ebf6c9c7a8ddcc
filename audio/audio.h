// Audio playback: the one play call for bank sounds, music switching, the
// crowd level, and the per-frame update. Every call is silent when the audio
// device did not open, and playSfx is silent while the netcode re-simulates.
#pragma once

using SoundId = int;
constexpr int kSoundCount = 27;

// Set by the rollback netcode while it re-simulates ticks.
extern bool resimulating;

void initAudio();
void playSfx(SoundId id, float volume, float pitch, float pan);
void playMusicTrack(int track);
void setCrowdLevel(float level);
void updateAudio(float dt);
void shutdownAudio();
