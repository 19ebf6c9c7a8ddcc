// Test helper: a fresh match between roster teams 0 and 1, with the
// character models sized from the roster looks (no meshes are built).
#pragma once
#include <cstdint>

#include "app/settings.h"
#include "characters/character_model.h"
#include "render/arena.h"
#include "sim/match_state.h"

inline void startTestMatch(MatchState& s, int localIndex, bool oneOnOne, bool fullCourt, uint32_t seed = 7) {
    initTeams();
    for (int i = 0; i < kCharacterCount; ++i) applyAppearance(characterModels[i], teams[i / 2].players[i % 2].look);
    MatchSettings rules;
    rules.oneOnOne = oneOnOne;
    rules.fullCourt = fullCourt;
    const CharacterModel* models[4] = {&characterModels[0], &characterModels[1], &characterModels[2],
                                       &characterModels[3]};
    s = MatchState{};
    initMatchState(s, 0, 1, localIndex, models, &arena, 11, seed, rules);
}
