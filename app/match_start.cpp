#include "app/match_start.h"

#include "app/run_flags.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "characters/character_model.h"
#include "render/arena.h"
#include "sim/match_state.h"

int squadTeam = 0;
int squadPlayer = 0;
int squadOpponent = 1;

namespace {
constexpr int kMatchMusic = 2;
constexpr uint32_t kOfflineSeed = 1; // every offline match starts from the same seed
} // namespace

int matchTargetScore() {
    if (targetScoreOverride >= 1) return targetScoreOverride;
    if (settings.gameTo == 0) return 11;
    if (settings.gameTo == 1) return 15;
    return 21;
}

void startMatch() {
    const CharacterModel* models[4] = {&characterModels[2 * squadTeam], &characterModels[2 * squadTeam + 1],
                                       &characterModels[2 * squadOpponent],
                                       &characterModels[2 * squadOpponent + 1]};
    const int local = demoMode ? -1 : squadPlayer;
    matchState = MatchState{};
    initMatchState(matchState, squadTeam, squadOpponent, local, models, &arena, matchTargetScore(), kOfflineSeed);
    matchState.autopilot = autopilot;
    playMusicTrack(kMatchMusic);
}
