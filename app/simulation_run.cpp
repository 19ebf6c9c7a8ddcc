#include "app/simulation_run.h"

#include <cstdio>

#include "app/anim_clock.h"
#include "app/match_frame.h"
#include "app/match_start.h"
#include "app/run_flags.h"
#include "app/scripted_input.h"
#include "characters/character_model.h"
#include "sim/match_driver.h"

namespace {

constexpr float kFrameSeconds = 1.0f / 60.0f;

void printBoxScore(const MatchState& s, float t) {
    std::printf("sim %.0fs  score %d-%d  over=%d\n", t, s.scores[0], s.scores[1], s.phase == PHASE_OVER ? 1 : 0);
    for (const Player& p : s.players) {
        std::printf("  %-6s pts %2d  fg %2d/%2d  3p %d/%d  reb %d ast %d stl %d blk %d dnk %d\n",
                    p.roster ? p.roster->last : "", p.points, p.fgm, p.fga, p.tpm, p.tpa, p.rebounds, p.assists,
                    p.steals, p.blocks, p.dunks);
    }
    const CharacterModel& m = characterModels[0];
    std::printf("mesh verts: body %d jersey %d head %d hair %d hand %d shoe %d\n", m.body.vertexCount(),
                m.jersey.vertexCount(), m.head.vertexCount(), m.hair.vertexCount(), m.hand[0].vertexCount(),
                m.shoe[0].vertexCount());
}

} // namespace

float runSimulation(float simSeconds, bool humanTest) {
    squadTeam = 0;
    squadOpponent = 1;
    if (humanTest) demoMode = false;
    startMatch();

    float t = 0;
    ScriptedInputState scripted;
    int perfect = 0;
    MatchState& s = matchState;
    do {
        if (s.phase == PHASE_OVER) break;
        RawInput raw;
        if (humanTest) scriptedInput(raw, t, scripted);
        const int gradeBefore = s.releaseAge < 0.01f ? s.releaseGrade : -1;
        s.frontEndClock = animClock;
        updateMatch(s, kFrameSeconds, toPlayerInput(raw), cameraOptions());
        playMatchEvents(s);
        if (s.releaseAge < 0.02f && s.releaseGrade == 1 && gradeBefore != 1) ++perfect;
        t += kFrameSeconds;
    } while (t < simSeconds);

    if (humanTest) {
        std::printf("human inputs: shots %d (perfect %d) passes %d moves %d steal tries %d\n", scripted.shots,
                    perfect, scripted.passes, scripted.moves, scripted.stealTries);
    }
    printBoxScore(s, t);
    return t;
}
