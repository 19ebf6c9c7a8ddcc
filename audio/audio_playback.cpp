// Silent playback until the synthesised bank exists: the calls are accepted
// and ignored, so the game runs the same with or without sound.
#include "audio/audio.h"

bool resimulating = false;

void initAudio() {}
void playSfx(SoundId, float, float, float) {}
void playMusicTrack(int) {}
void setCrowdLevel(float) {}
void updateAudio(float) {}
void shutdownAudio() {}
