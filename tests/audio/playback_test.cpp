// Playback through a stand-in device: which voice each play uses, the volume,
// pitch and pan handed to raylib, music switching and fading, the crowd level,
// silence without a device or while re-simulating, and the emote dump.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/settings.h"
#include "audio/audio.h"
#include "audio/audio_device.h"

namespace {

// Every stand-in object is one of these; raylib's handles point at them.
struct FakeObject {
    int id;
};

struct SoundCall {
    std::string what;
    const void* target;
    float value;
};

struct FakeDevice {
    bool ready = true;
    int failSoundLoad = -1; // index of the loadSoundFromWave call that fails
    int soundLoads = 0;
    std::vector<FakeObject> objects = std::vector<FakeObject>(400);
    int nextObject = 0;
    std::vector<const void*> sounds, aliases, unloadedSounds, unloadedAliases;
    std::vector<const void*> streams, unloadedStreams;
    std::vector<SoundCall> calls; // every call after start-up that reaches the device
    std::vector<Wave> exported;
    std::vector<std::string> exportPaths;
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
        s.stream.buffer = newBuffer();
        fake->sounds.push_back(s.stream.buffer);
        return s;
    };
    d.loadSoundAlias = [](Sound source) {
        Sound s = source;
        s.stream.buffer = newBuffer();
        fake->aliases.push_back(s.stream.buffer);
        return s;
    };
    d.unloadSound = [](Sound s) { fake->unloadedSounds.push_back(s.stream.buffer); };
    d.unloadSoundAlias = [](Sound s) { fake->unloadedAliases.push_back(s.stream.buffer); };
    d.setSoundVolume = [](Sound s, float v) { record("soundVolume", s.stream.buffer, v); };
    d.setSoundPitch = [](Sound s, float v) { record("pitch", s.stream.buffer, v); };
    d.setSoundPan = [](Sound s, float v) { record("pan", s.stream.buffer, v); };
    d.playSound = [](Sound s) { record("play", s.stream.buffer); };
    d.loadMusicStreamFromMemory = [](const char*, const unsigned char*, int) {
        Music m{};
        m.stream.buffer = newBuffer();
        m.ctxData = m.stream.buffer;
        fake->streams.push_back(m.stream.buffer);
        return m;
    };
    d.unloadMusicStream = [](Music m) { fake->unloadedStreams.push_back(m.stream.buffer); };
    d.playMusicStream = [](Music m) { record("playMusic", m.stream.buffer); };
    d.stopMusicStream = [](Music m) { record("stopMusic", m.stream.buffer); };
    d.seekMusicStream = [](Music m, float at) { record("seekMusic", m.stream.buffer, at); };
    d.setMusicVolume = [](Music m, float v) { record("musicVolume", m.stream.buffer, v); };
    d.updateMusicStream = [](Music m) { record("updateMusic", m.stream.buffer); };
    d.exportWave = [](Wave w, const char* path) {
        fake->exported.push_back(w);
        fake->exportPaths.push_back(path);
        return true;
    };
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
        unsetenv("KORVALO_SFXDUMP");
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
    std::vector<const void*> voicesOf(int id) const {
        return {device.sounds[(size_t)id], device.aliases[(size_t)(3 * id)], device.aliases[(size_t)(3 * id + 1)],
                device.aliases[(size_t)(3 * id + 2)]};
    }
    const void* menuTrack() const { return device.streams[0]; }
    const void* matchTrack() const { return device.streams[1]; }
    const void* crowdStream() const { return device.streams[2]; }
    FakeDevice device;
};

TEST_F(Playback, StartUpLoadsFourVoicesPerSoundTwoTracksAndARunningCrowd) {
    initAudio();
    EXPECT_EQ(device.sounds.size(), 27u);
    EXPECT_EQ(device.aliases.size(), 81u);
    ASSERT_EQ(device.streams.size(), 3u);
    ASSERT_GE(device.calls.size(), 2u);
    EXPECT_EQ(device.calls[0].what, "musicVolume");
    EXPECT_EQ(device.calls[0].target, crowdStream());
    EXPECT_EQ(device.calls[0].value, 0.0f);
    EXPECT_EQ(device.calls[1].what, "playMusic");
    EXPECT_TRUE(device.exported.empty()); // no dump unless asked for

    shutdownAudio();
    EXPECT_EQ(device.unloadedSounds.size(), 27u);
    EXPECT_EQ(device.unloadedAliases.size(), 81u);
    EXPECT_EQ(device.unloadedStreams.size(), 3u);
    EXPECT_TRUE(device.closed);
}

TEST_F(Playback, FivePlaysOfOneSoundRotateThroughTheFourVoices) {
    start();
    for (int i = 0; i < 5; ++i) playSfx(3, 1.0f, 1.0f, 0.5f);
    std::vector<SoundCall> plays = callsNamed("play");
    std::vector<const void*> voices = voicesOf(3);
    ASSERT_EQ(plays.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(plays[(size_t)i].target, voices[(size_t)(i % 4)]) << "play " << i;
    // Another sound keeps its own rotation.
    playSfx(4, 1.0f, 1.0f, 0.5f);
    EXPECT_EQ(callsNamed("play").back().target, voicesOf(4)[0]);
}

TEST_F(Playback, VolumePitchAndPanFollowTheSettingsAndTheArguments) {
    start();
    settings.sfxVol = 10;
    playSfx(0, 1.0f, 1.2f, 0.0f);
    settings.sfxVol = 5; // halves every effect
    playSfx(0, 1.0f, 0.8f, 1.0f);
    playSfx(0, 3.0f, 1.0f, 0.5f);   // loudest is 1.5
    playSfx(0, 0.6f, 1.0f, -2.0f);  // pan clamped to the left
    playSfx(0, 0.0005f, 1.0f, 0.5f); // inaudible: nothing at all
    std::vector<SoundCall> volumes = callsNamed("soundVolume"), pitches = callsNamed("pitch"), pans = callsNamed("pan");
    ASSERT_EQ(volumes.size(), 4u);
    EXPECT_FLOAT_EQ(volumes[0].value, 1.0f);
    EXPECT_FLOAT_EQ(volumes[1].value, 0.5f);
    EXPECT_FLOAT_EQ(volumes[2].value, 0.75f);
    EXPECT_FLOAT_EQ(volumes[3].value, 0.3f);
    EXPECT_FLOAT_EQ(pitches[0].value, 1.2f);
    EXPECT_FLOAT_EQ(pitches[1].value, 0.8f);
    EXPECT_FLOAT_EQ(pans[0].value, -1.0f);
    EXPECT_FLOAT_EQ(pans[1].value, 1.0f);
    EXPECT_FLOAT_EQ(pans[2].value, 0.0f);
    EXPECT_FLOAT_EQ(pans[3].value, -1.0f);
    EXPECT_EQ(callsNamed("play").size(), 4u);
}

TEST_F(Playback, IdsAndTracksOutOfRangeAreIgnored) {
    start();
    playSfx(-1, 1.0f, 1.0f, 0.5f);
    playSfx(kSoundCount, 1.0f, 1.0f, 0.5f);
    playSfx(emoteSoundId(8), 1.0f, 1.0f, 0.5f);
    playMusicTrack(-1);
    playMusicTrack(3);
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(Playback, MusicSwitchesWithAFadeInAndTheCrowdFollowsItsLevel) {
    start();
    settings.musicVol = 10;
    settings.sfxVol = 10;
    playMusicTrack(1);
    ASSERT_EQ(device.calls.size(), 3u);
    EXPECT_EQ(device.calls[0].what, "seekMusic");
    EXPECT_EQ(device.calls[1].what, "musicVolume");
    EXPECT_EQ(device.calls[2].what, "playMusic");
    EXPECT_EQ(device.calls[2].target, menuTrack());
    playMusicTrack(1); // already playing: no restart
    EXPECT_EQ(device.calls.size(), 3u);

    setCrowdLevel(1.0f);
    device.calls.clear();
    updateAudio(0.5f);
    std::vector<SoundCall> volumes = callsNamed("musicVolume");
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].target, menuTrack());
    EXPECT_FLOAT_EQ(volumes[0].value, 0.4f * 0.8f);
    EXPECT_EQ(volumes[1].target, crowdStream());
    EXPECT_NEAR(volumes[1].value, (1.0f - std::exp(-1.0f)) * 0.55f, 1e-6f);
    EXPECT_EQ(callsNamed("updateMusic").size(), 2u);

    updateAudio(5.0f); // fade full
    EXPECT_FLOAT_EQ(callsNamed("musicVolume")[2].value, 0.8f);

    device.calls.clear();
    settings.musicVol = 5;
    playMusicTrack(2);
    EXPECT_EQ(device.calls[0].what, "stopMusic");
    EXPECT_EQ(device.calls[0].target, menuTrack());
    EXPECT_EQ(callsNamed("playMusic").back().target, matchTrack());
    updateAudio(0.25f); // a fresh fade for the new track
    EXPECT_FLOAT_EQ(callsNamed("musicVolume")[1].value, 0.5f * 0.2f * 0.35f);

    device.calls.clear();
    playMusicTrack(0);
    updateAudio(0.1f);
    EXPECT_EQ(callsNamed("stopMusic").size(), 1u);
    std::vector<SoundCall> updates = callsNamed("updateMusic");
    ASSERT_EQ(updates.size(), 1u); // the crowd keeps running without music
    EXPECT_EQ(updates[0].target, crowdStream());
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
    EXPECT_EQ(callsNamed("playMusic").size(), 1u);
    EXPECT_EQ(callsNamed("playMusic")[0].target, matchTrack());
    playSfx(2, 1.0f, 1.0f, 0.5f);
    EXPECT_EQ(callsNamed("play")[0].target, voicesOf(2)[0]);
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

TEST_F(Playback, ASoundThatFailedToLoadGetsNoAliasesAndStaysSilent) {
    device.failSoundLoad = 6;
    start();
    EXPECT_EQ(device.sounds.size(), 26u);
    EXPECT_EQ(device.aliases.size(), 78u);
    playSfx(6, 1.0f, 1.0f, 0.5f);
    EXPECT_TRUE(device.calls.empty());
    shutdownAudio();
    EXPECT_EQ(device.unloadedSounds.size(), 26u);
    EXPECT_EQ(device.unloadedAliases.size(), 78u);
}

TEST_F(Playback, TheDumpExportsEveryEmoteSoundAsMono16Bit) {
    setenv("KORVALO_SFXDUMP", "/some/folder", 1);
    testing::internal::CaptureStdout();
    initAudio();
    std::string out = testing::internal::GetCapturedStdout();
    const unsigned lengths[8] = {70560, 70560, 88200, 105840, 83790, 66150, 61740, 66150};
    ASSERT_EQ(device.exported.size(), 8u);
    for (int k = 0; k < 8; ++k) {
        const Wave& w = device.exported[(size_t)k];
        EXPECT_EQ(device.exportPaths[(size_t)k], "/some/folder/emote" + std::to_string(k) + ".wav");
        EXPECT_EQ(w.frameCount, lengths[k]);
        EXPECT_EQ(w.sampleRate, 44100u);
        EXPECT_EQ(w.sampleSize, 16u);
        EXPECT_EQ(w.channels, 1u);
    }
    EXPECT_NE(out.find("emote sfx 0: 1.60s peak "), std::string::npos);
    EXPECT_NE(out.find("emote sfx 3: 2.40s peak "), std::string::npos);
    EXPECT_NE(out.find("emote sfx 7: 1.50s peak "), std::string::npos);
}

} // namespace
