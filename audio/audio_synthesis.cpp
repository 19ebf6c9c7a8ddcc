// Start-up synthesis of all audio content, in the order that fixes each
// sound's share of the noise sequence.
#include "audio/audio_synthesis.h"

#include "audio/crowd.h"
#include "audio/music.h"
#include "audio/sound_bank.h"

AudioContent synthesiseAudio() {
    resetNoise();
    AudioContent c;
    c.bank = synthSoundBank();
    c.menuMusic = composeMusic(menuSong());
    c.matchMusic = composeMusic(matchSong());
    c.crowdLoop = synthCrowdLoop();
    return c;
}
