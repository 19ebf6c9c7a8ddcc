// The raylib audio calls the game makes, gathered in one table of function
// pointers. It starts out pointing at raylib; the tests put their own stand-ins
// in its place to watch volumes, pans and voices without a sound device.
#pragma once
#include <raylib.h>

struct AudioDevice {
    void (*initAudioDevice)();
    bool (*isAudioDeviceReady)();
    void (*closeAudioDevice)();
    Sound (*loadSoundFromWave)(Wave wave);
    Sound (*loadSoundAlias)(Sound source);
    void (*unloadSound)(Sound sound);
    void (*unloadSoundAlias)(Sound alias);
    void (*setSoundVolume)(Sound sound, float volume);
    void (*setSoundPitch)(Sound sound, float pitch);
    void (*setSoundPan)(Sound sound, float pan);
    void (*playSound)(Sound sound);
    Music (*loadMusicStreamFromMemory)(const char* fileType, const unsigned char* data, int dataSize);
    void (*unloadMusicStream)(Music music);
    void (*playMusicStream)(Music music);
    void (*stopMusicStream)(Music music);
    void (*seekMusicStream)(Music music, float position);
    void (*setMusicVolume)(Music music, float volume);
    void (*updateMusicStream)(Music music);
    bool (*exportWave)(Wave wave, const char* fileName);
};

AudioDevice raylibAudioDevice();

extern AudioDevice audioDevice;
