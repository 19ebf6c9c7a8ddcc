// The emote speech bubbles over the players. runMatchFrame draws them after
// the match HUD, unless the HUD is switched off.
#pragma once
#include <raylib.h>

#include "sim/match_state.h"

constexpr int kEmoteCount = 8;
constexpr float kEmoteShowSeconds = 2.6f;

struct EmoteLabel {
    const char* text;
    Color color;
};
// The bubble text and colour of an emote; null outside 0..7.
const EmoteLabel* emoteLabel(int emote);

// The look of one bubble at an age: pop scale and fade (0 once it is gone).
struct BubbleLook {
    bool shown = false;
    float scale = 1;
    float fade = 1;
};
BubbleLook emoteBubbleLook(int emote, float age);

// Where a player's bubble stands: the local player's own, in first person, at
// the bottom centre with a "YOU" label; anyone else's over his head (not
// shown when his head is behind the camera).
struct BubbleAnchor {
    bool shown = false;
    bool ownLabel = false;
    Vector2 point = {0, 0};
};
BubbleAnchor emoteBubbleAnchor(const MatchState& state, int player);

void drawPlayerTags(const MatchState& state);
