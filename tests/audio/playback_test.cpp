// Playback through a stand-in device: voice rotation, the volume, pitch and pan
// handed to raylib, music switching and fading, the crowd level, and silence
// without a device, for a sound that failed to load, or while re-simulating.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/settings.h"
#include "audio/audio.h"
#include "audio/audio_device.h"

namespace {

struct SoundCall {
    std::string what;
    const void* target;
    float value;
};

struct FakeDevice {
    bool ready = true;
    int failSoundLoad = -1; // index of the loadSoundFromWave call that fails
    int soundLoads = 0, nextObject = 0, unloadedSounds = 0, unloadedAliases = 0, unloadedStreams = 0;
    std::vector<int> objects = std::vector<int>(400); // raylib's handles point at these
    std::vector<const void*> sounds, aliases, streams;
    std::vector<SoundCall> calls; // every call after start-up that reaches the device
    bool closed = false;
};

FakeDevice* fake = nullptr;

rAudioBuffer* newBuffer() { return reinterpret_cast<rAudioBuffer*>(&fake->objects[(size_t)fake->nextObject++]); }
void record(const char* what, const void* target, float value = 0.0f) { fake->calls.push_back({what, target, value}); }

AudioDevice fakeDevice() {
    AudioDevice d;
    d.initAudioDevice = [] {};
    d.isAudioDeviceReady = [] { return fake->ready; };
    d.closeAudioDevice = [] { fake->closed = true; };
    d.loadSoundFromWave = [](Wave w) {
        Sound s{};
        if (fake->soundLoads++ == fake->failSoundLoad) return s;
        s.frameCount = w.frameCount;
        fake->sounds.push_back(s.stream.buffer = newBuffer());
        return s;
    };
    d.loadSoundAlias = [](Sound s) {
        fake->aliases.push_back(s.stream.buffer = newBuffer());
        return s;
    };
    d.unloadSound = [](Sound) { ++fake->unloadedSounds; };
    d.unloadSoundAlias = [](Sound) { ++fake->unloadedAliases; };
    d.setSoundVolume = [](Sound s, float v) { record("soundVolume", s.stream.buffer, v); };
    d.setSoundPitch = [](Sound s, float v) { record("pitch", s.stream.buffer, v); };
    d.setSoundPan = [](Sound s, float v) { record("pan", s.stream.buffer, v); };
    d.playSound = [](Sound s) { record("play", s.stream.buffer); };
    d.loadMusicStreamFromMemory = [](const char*, const unsigned char*, int) {
        Music m{};
        fake->streams.push_back(m.ctxData = m.stream.buffer = newBuffer());
        return m;
    };
    d.unloadMusicStream = [](Music) { ++fake->unloadedStreams; };
    d.playMusicStream = [](Music m) { record("playMusic", m.stream.buffer); };
    d.stopMusicStream = [](Music m) { record("stopMusic", m.stream.buffer); };
    d.seekMusicStream = [](Music m, float at) { record("seekMusic", m.stream.buffer, at); };
    d.setMusicVolume = [](Music m, float v) { record("musicVolume", m.stream.buffer, v); };
    d.updateMusicStream = [](Music m) { record("updateMusic", m.stream.buffer); };
    d.exportWave = [](Wave, const char*) { return false; };
    return d;
}

class Playback : public ::testing::Test {
protected:
    void SetUp() override {
        fake = &device;
        audioDevice = fakeDevice();
        settings = Settings{};
        resimulating = false;
    }
    void TearDown() override {
        shutdownAudio();
        audioDevice = raylibAudioDevice();
        fake = nullptr;
        resimulating = false;
    }
    void start() {
        initAudio();
        device.calls.clear();
    }
    std::vector<SoundCall> callsNamed(const std::string& what) const {
        std::vector<SoundCall> out;
        for (const SoundCall& c : device.calls)
            if (c.what == what) out.push_back(c);
        return out;
    }
    // Voices of bank sound `id`: voice 0 then its three aliases.
    const void* voice(int id, int k) const {
        return k == 0 ? device.sounds[(size_t)id] : device.aliases[(size_t)(3 * id + k - 1)];
    }
    FakeDevice device;
};

TEST_F(Playback, StartUpLoadsFourVoicesPerSoundAndTheTracksAndShutdownUnloadsThem) {
    initAudio();
    EXPECT_EQ(device.sounds.size(), 27u);
    EXPECT_EQ(device.aliases.size(), 81u);
    ASSERT_EQ(device.streams.size(), 3u);
    ASSERT_EQ(callsNamed("playMusic").size(), 1u); // the crowd runs from the start, silent
    EXPECT_EQ(callsNamed("playMusic")[0].target, device.streams[2]);
    EXPECT_EQ(callsNamed("musicVolume").at(0).value, 0.0f);
    shutdownAudio();
    EXPECT_EQ(device.unloadedSounds, 27);
    EXPECT_EQ(device.unloadedAliases, 81);
    EXPECT_EQ(device.unloadedStreams, 3);
    EXPECT_TRUE(device.closed);

    // A sound that failed to load gets no aliases (raylib would crash) and stays silent.
    device = FakeDevice{};
    device.failSoundLoad = 6;
    start();
    EXPECT_EQ(device.sounds.size(), 26u);
    EXPECT_EQ(device.aliases.size(), 78u);
    playSfx(6, 1.0f, 1.0f, 0.5f);
    EXPECT_TRUE(device.calls.empty());
    shutdownAudio();
    EXPECT_EQ(device.unloadedSounds, 26);
    EXPECT_EQ(device.unloadedAliases, 78);
}

TEST_F(Playback, FivePlaysOfOneSoundRotateThroughTheFourVoicesAndBadIdsAreIgnored) {
    start();
    for (int i = 0; i < 5; ++i) playSfx(3, 1.0f, 1.0f, 0.5f);
    playSfx(4, 1.0f, 1.0f, 0.5f); // another sound keeps its own rotation
    std::vector<SoundCall> plays = callsNamed("play");
    ASSERT_EQ(plays.size(), 6u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(plays[(size_t)i].target, voice(3, i % 4)) << "play " << i;
    EXPECT_EQ(plays[5].target, voice(4, 0));

    device.calls.clear();
    for (int id : {-1, kSoundCount, emoteSoundId(8)}) playSfx(id, 1.0f, 1.0f, 0.5f);
    playMusicTrack(-1);
    playMusicTrack(3);
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(Playback, VolumePitchAndPanFollowTheSettingsAndTheArguments) {
    start();
    settings.sfxVol = 10;
    playSfx(0, 1.0f, 1.2f, 0.0f);
    settings.sfxVol = 5; // halves every effect
    playSfx(0, 1.0f, 0.8f, 1.0f);
    playSfx(0, 3.0f, 1.0f, 0.5f);    // loudest is 1.5
    playSfx(0, 0.6f, 1.0f, -2.0f);   // pan clamped to the left
    playSfx(0, 0.0005f, 1.0f, 0.5f); // inaudible: nothing at all
    std::vector<SoundCall> volumes = callsNamed("soundVolume"), pitches = callsNamed("pitch"), pans = callsNamed("pan");
    ASSERT_EQ(volumes.size(), 4u);
    const float wantVolume[4] = {1.0f, 0.5f, 0.75f, 0.3f}, wantPan[4] = {-1.0f, 1.0f, 0.0f, -1.0f};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(volumes[i].value, wantVolume[i]) << i;
        EXPECT_FLOAT_EQ(pans[i].value, wantPan[i]) << i;
    }
    EXPECT_FLOAT_EQ(pitches[0].value, 1.2f);
    EXPECT_FLOAT_EQ(pitches[1].value, 0.8f);
    EXPECT_EQ(callsNamed("play").size(), 4u);
}

TEST_F(Playback, MusicSwitchesWithAFadeInAndTheCrowdFollowsItsLevel) {
    start();
    settings.musicVol = 10;
    settings.sfxVol = 10;
    const void *menu = device.streams[0], *match = device.streams[1], *crowd = device.streams[2];
    playMusicTrack(1);
    playMusicTrack(1); // already playing: no restart
    ASSERT_EQ(callsNamed("playMusic").size(), 1u);
    EXPECT_EQ(callsNamed("playMusic")[0].target, menu);

    setCrowdLevel(1.0f);
    device.calls.clear();
    updateAudio(0.5f);
    std::vector<SoundCall> volumes = callsNamed("musicVolume");
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].target, menu);
    EXPECT_EQ(volumes[1].target, crowd); // the crowd eases toward its level
    EXPECT_NEAR(volumes[1].value, (1.0f - std::exp(-1.0f)) * 0.55f, 1e-6f);

    device.calls.clear();
    settings.musicVol = 5;
    playMusicTrack(2);
    updateAudio(0.25f); // a fresh fade for the new track
    EXPECT_EQ(device.calls[0].what, "stopMusic");
    EXPECT_EQ(device.calls[0].target, menu);
    EXPECT_EQ(callsNamed("playMusic").back().target, match);
    EXPECT_FLOAT_EQ(callsNamed("musicVolume")[1].value, 0.5f * 0.2f * 0.35f);

    device.calls.clear();
    playMusicTrack(0);
    updateAudio(0.1f);
    EXPECT_EQ(callsNamed("stopMusic").size(), 1u);
    std::vector<SoundCall> updates = callsNamed("updateMusic");
    ASSERT_EQ(updates.size(), 1u); // the crowd keeps running without music
    EXPECT_EQ(updates[0].target, crowd);
}

TEST_F(Playback, NothingReachesTheDeviceWhileResimulating) {
    start();
    resimulating = true;
    playSfx(2, 1.0f, 1.0f, 0.5f);
    playMusicTrack(2);
    updateAudio(0.1f);
    EXPECT_TRUE(device.calls.empty());
    resimulating = false;
    updateAudio(0.1f); // the switch asked for meanwhile happens now
    ASSERT_EQ(callsNamed("playMusic").size(), 1u);
    EXPECT_EQ(callsNamed("playMusic")[0].target, device.streams[1]);
    playSfx(2, 1.0f, 1.0f, 0.5f);
    EXPECT_EQ(callsNamed("play")[0].target, voice(2, 0));
}

TEST_F(Playback, WithoutADeviceNothingIsCreatedAndEveryCallReturns) {
    device.ready = false;
    initAudio();
    playSfx(0, 1.0f, 1.0f, 0.5f);
    playMusicTrack(1);
    setCrowdLevel(1.0f);
    updateAudio(0.1f);
    shutdownAudio();
    EXPECT_TRUE(device.sounds.empty());
    EXPECT_TRUE(device.aliases.empty());
    EXPECT_TRUE(device.streams.empty());
    EXPECT_TRUE(device.calls.empty());
    EXPECT_FALSE(device.closed);
}

} // namespace
