// The real device table: every entry is the raylib call of the same name.
#include "audio/audio_device.h"

AudioDevice raylibAudioDevice() {
    AudioDevice d;
    d.initAudioDevice = InitAudioDevice;
    d.isAudioDeviceReady = IsAudioDeviceReady;
    d.closeAudioDevice = CloseAudioDevice;
    d.loadSoundFromWave = LoadSoundFromWave;
    d.loadSoundAlias = LoadSoundAlias;
    d.unloadSound = UnloadSound;
    d.unloadSoundAlias = UnloadSoundAlias;
    d.setSoundVolume = SetSoundVolume;
    d.setSoundPitch = SetSoundPitch;
    d.setSoundPan = SetSoundPan;
    d.playSound = PlaySound;
    d.loadMusicStreamFromMemory = LoadMusicStreamFromMemory;
    d.unloadMusicStream = UnloadMusicStream;
    d.playMusicStream = PlayMusicStream;
    d.stopMusicStream = StopMusicStream;
    d.seekMusicStream = SeekMusicStream;
    d.setMusicVolume = SetMusicVolume;
    d.updateMusicStream = UpdateMusicStream;
    d.exportWave = ExportWave;
    return d;
}

AudioDevice audioDevice = raylibAudioDevice();
