// Audio playback: the one play call for bank sounds, music switching, the
// crowd level, and the per-frame update. Every call is silent when the audio
// device did not open, and nothing reaches the device while the netcode
// re-simulates.
#pragma once

using SoundId = int;
constexpr int kSoundCount = 27;
constexpr SoundId kFirstEmoteSound = 19;
constexpr int kEmoteSoundCount = 8;

// The tracks playMusicTrack switches between (0 stops the music).
constexpr int kMenuMusic = 1;
constexpr int kMatchMusic = 2;

// Sound id of emote 0..7, or -1 (which plays nothing) for any other index.
inline SoundId emoteSoundId(int emote) {
    return emote >= 0 && emote < kEmoteSoundCount ? kFirstEmoteSound + emote : -1;
}

// Set by the rollback netcode while it re-simulates ticks.
extern bool resimulating;

void initAudio();
void playSfx(SoundId id, float volume, float pitch, float pan);
void playMusicTrack(int track);
void setCrowdLevel(float level);
void updateAudio(float dt);
void shutdownAudio();
