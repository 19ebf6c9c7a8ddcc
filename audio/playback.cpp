// Audio playback: opens the device, turns the synthesised content into raylib
// sounds and looping streams, and plays them at the volumes of the settings.
// With no device everything is a no-op: nothing is created and the play calls
// return at once (raylib cannot even alias a sound that failed to load). While
// the netcode re-simulates, nothing reaches the device; a music switch asked
// for then is carried out by the next update.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/settings.h"
#include "audio/audio.h"
#include "audio/audio_device.h"
#include "audio/audio_synthesis.h"
#include "audio/music.h"
#include "audio/sfx_dump.h"
#include "audio/sound_bank.h"

bool resimulating = false;

namespace {

constexpr int kVoicesPerSound = 4;
constexpr int kTrackCount = 3; // no music, kMenuMusic, kMatchMusic
constexpr float kMinAudibleVolume = 0.001f;
constexpr float kMaxSfxVolume = 1.5f;
constexpr float kFadeInRate = 0.8f; // full volume after 1.25 s
constexpr float kMatchTrackGain = 0.35f;
constexpr float kMenuTrackGain = 0.8f;
constexpr float kCrowdRate = 2.0f;
constexpr float kCrowdGain = 0.55f;

struct BankSound {
    std::array<Sound, kVoicesPerSound> voices{};
    int nextVoice = 0;
    bool loaded = false;
};

struct MusicStream {
    std::vector<uint8_t> wav; // the stream reads from these bytes while it plays
    Music music{};
    bool loaded = false;
};

struct AudioState {
    bool ready = false;
    std::array<BankSound, kSoundCount> bank{};
    std::array<MusicStream, kTrackCount> tracks{};
    MusicStream crowd;
    int currentTrack = 0;
    int pendingTrack = -1; // asked for while re-simulating
    float fade = 0.0f;
    float crowdTarget = 0.0f;
    float crowdLevel = 0.0f;
};

AudioState audio;

float volumeSetting(int value) { return (float)value / 10.0f; }

void loadBankSound(BankSound& sound, const Samples& samples, float peak) {
    sound.voices[0] = makeSound(samples, peak);
    sound.loaded = sound.voices[0].stream.buffer != nullptr;
    if (!sound.loaded) return; // an alias of a failed sound would crash raylib
    for (int v = 1; v < kVoicesPerSound; ++v) sound.voices[(size_t)v] = audioDevice.loadSoundAlias(sound.voices[0]);
    sound.nextVoice = 0;
}

void unloadBankSound(BankSound& sound) {
    if (!sound.loaded) return;
    for (int v = 1; v < kVoicesPerSound; ++v) audioDevice.unloadSoundAlias(sound.voices[(size_t)v]);
    audioDevice.unloadSound(sound.voices[0]);
    sound = BankSound{};
}

void openStream(MusicStream& stream, const Samples& samples, float peak) {
    stream.wav = encodeWav(samples, peak);
    stream.music = audioDevice.loadMusicStreamFromMemory(".wav", stream.wav.data(), (int)stream.wav.size());
    stream.loaded = stream.music.ctxData != nullptr && stream.music.stream.buffer != nullptr;
    if (stream.loaded) stream.music.looping = true;
    else TraceLog(LOG_WARNING, "AUDIO: could not open a music stream");
}

void closeStream(MusicStream& stream) {
    if (stream.loaded) audioDevice.unloadMusicStream(stream.music);
    stream = MusicStream{};
}

void switchTrack(int track) {
    if (track == audio.currentTrack) return;
    MusicStream& playing = audio.tracks[(size_t)audio.currentTrack];
    if (audio.currentTrack != 0 && playing.loaded) audioDevice.stopMusicStream(playing.music);
    audio.currentTrack = track;
    audio.fade = 0.0f;
    MusicStream& next = audio.tracks[(size_t)track];
    if (track == 0 || !next.loaded) return;
    audioDevice.seekMusicStream(next.music, 0.0f);
    audioDevice.setMusicVolume(next.music, 0.0f);
    audioDevice.playMusicStream(next.music);
}

void updateMusic(float dt) {
    if (audio.currentTrack == 0) return;
    audio.fade = std::min(audio.fade + kFadeInRate * dt, 1.0f);
    MusicStream& track = audio.tracks[(size_t)audio.currentTrack];
    if (!track.loaded) return;
    float gain = audio.currentTrack == kMatchMusic ? kMatchTrackGain : kMenuTrackGain;
    audioDevice.setMusicVolume(track.music, volumeSetting(settings.musicVol) * audio.fade * gain);
    audioDevice.updateMusicStream(track.music);
}

void updateCrowd(float dt) {
    audio.crowdLevel += (audio.crowdTarget - audio.crowdLevel) * (1.0f - std::exp(-kCrowdRate * dt));
    if (!audio.crowd.loaded) return;
    audioDevice.setMusicVolume(audio.crowd.music, volumeSetting(settings.sfxVol) * audio.crowdLevel * kCrowdGain);
    audioDevice.updateMusicStream(audio.crowd.music);
}

} // namespace

void initAudio() {
    if (audio.ready) return;
    audioDevice.initAudioDevice();
    audio.ready = audioDevice.isAudioDeviceReady();
    if (!audio.ready) {
        TraceLog(LOG_WARNING, "AUDIO: no sound device, the game runs silently");
        return;
    }
    AudioContent content = synthesiseAudio();
    const char* dumpFolder = std::getenv(kSfxDumpVariable);
    if (dumpFolder && *dumpFolder) dumpEmoteSounds(content.bank, dumpFolder);
    for (int id = 0; id < kSoundCount; ++id)
        loadBankSound(audio.bank[(size_t)id], content.bank[(size_t)id], kBankPeaks[id]);
    openStream(audio.tracks[1], content.menuMusic, kMenuSongPeak);
    openStream(audio.tracks[2], content.matchMusic, kMatchSongPeak);
    openStream(audio.crowd, content.crowdLoop, kCrowdLoopPeak);
    if (audio.crowd.loaded) {
        audioDevice.setMusicVolume(audio.crowd.music, 0.0f); // silent until the crowd level rises
        audioDevice.playMusicStream(audio.crowd.music);
    }
}

void playSfx(SoundId id, float volume, float pitch, float pan) {
    if (resimulating || !audio.ready || !(volume > kMinAudibleVolume)) return;
    if (id < 0 || id >= kSoundCount) return;
    BankSound& sound = audio.bank[(size_t)id];
    if (!sound.loaded) return;
    const Sound& voice = sound.voices[(size_t)sound.nextVoice];
    sound.nextVoice = (sound.nextVoice + 1) % kVoicesPerSound;
    audioDevice.setSoundVolume(voice, volumeSetting(settings.sfxVol) * std::min(volume, kMaxSfxVolume));
    audioDevice.setSoundPitch(voice, pitch);
    // Callers pan 0 (left) .. 0.5 (centre) .. 1 (right); raylib wants -1 .. 1.
    float clamped = std::fmin(std::fmax(pan, 0.0f), 1.0f);
    audioDevice.setSoundPan(voice, 2.0f * clamped - 1.0f);
    audioDevice.playSound(voice);
}

void playMusicTrack(int track) {
    if (!audio.ready || track < 0 || track >= kTrackCount) return;
    if (resimulating) {
        audio.pendingTrack = track;
        return;
    }
    audio.pendingTrack = -1;
    switchTrack(track);
}

void setCrowdLevel(float level) {
    if (!audio.ready || !std::isfinite(level)) return;
    audio.crowdTarget = level;
}

void updateAudio(float dt) {
    if (!audio.ready || resimulating) return;
    if (audio.pendingTrack >= 0) {
        switchTrack(audio.pendingTrack);
        audio.pendingTrack = -1;
    }
    updateMusic(dt);
    updateCrowd(dt);
}

void shutdownAudio() {
    if (!audio.ready) return;
    for (BankSound& sound : audio.bank) unloadBankSound(sound);
    for (MusicStream& track : audio.tracks) closeStream(track);
    closeStream(audio.crowd);
    audioDevice.closeAudioDevice();
    audio = AudioState{};
}
