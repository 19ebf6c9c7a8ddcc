// The five-second intro shown at start-up while the players are built: the
// maker's logo (drawn into an off-screen texture at three times the canvas
// resolution), the maker word TORVIK letter by letter, the caption, a pulsing
// LOADING while the builds run on, the fades, and two sound cues.
//
// The start-up loop advances the intro time t and calls drawIntro(t, still
// building) once per frame; drawIntro draws and presents the whole frame. The
// picture depends only on t and the animation clock, so a frame at a given
// time is the same on every run. unloadIntro releases the texture.
#pragma once

float introLength(); // 5 s

void drawIntro(float t, bool stillBuilding);
// Releases the logo texture; nothing happens when none was made.
void unloadIntro();

// The time the frame shows: held at 4 s while the builds are still running.
float introShownTime(float t, bool stillBuilding);
// Black over the picture, 0..1: in over the first 0.4 s, out from 4.4 to 4.9 s.
float introFade(float t);

// One letter of the maker word at time t.
struct IntroLetter {
    bool shown = false; // false: it only keeps its place in the row
    float alpha = 0;    // 0..1
    float size = 0;     // drawn size: 92 grown by the pop as it lands
    float hue = 0;      // degrees, 0..360
};
IntroLetter introLetter(int index, int count, float t, float clock);

// The two sound cues, each played once per intro: the swell as the intro
// starts, the chirp of the tongue at 1.5 s. A new intro is one whose time
// goes back; only then do the cues play again.
struct IntroCues {
    bool swellPlayed = false;
    bool chirpPlayed = false;
    float lastTime = 1e30f;
};
constexpr int kIntroSwellCue = 1;
constexpr int kIntroChirpCue = 2;
// The cues due on a frame showing time t (a mask of the two above); marks them played.
int introCuesDue(IntroCues& cues, float t);
