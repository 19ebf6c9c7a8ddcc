// Milliseconds per frame of the match overlay on the UI canvas, GPU work
// included: a busy live frame (banners and world texts, tips with hint and
// rows, the shot meter, minimap, name tags, possession flash, emote bubbles)
// and the end of a match, against an empty canvas. No 3D world is drawn; only
// the overlay is timed.
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/release/bench/ui/ui_hud_bench
#include <benchmark/benchmark.h>
#include <raylib.h>

#include "app/anim_clock.h"
#include "app/settings.h"
#include "bench/game_fonts.h"
#include "bench/render/optional_window.h"
#include "characters/animation.h"
#include "characters/character_model.h"
#include "render/arena.h"
#include "render/renderer.h"
#include "ui/match_hud.h"
#include "ui/match_overlays.h"
#include "ui/menu_lists.h"
#include "ui/panels.h"
#include "ui/player_tags.h"

namespace {

MatchState busy;

// Everything the overlay can show at once, seen from the chase view.
void setUpBusyMatch() {
    initTeams();
    for (int i = 0; i < 4; ++i) applyAppearance(characterModels[i], teams[i / 2].players[i % 2].look);
    const CharacterModel* models[4] = {&characterModels[0], &characterModels[1], &characterModels[2],
                                       &characterModels[3]};
    initMatchState(busy, 0, 1, 0, models, &arena, 21, 1, MatchSettings{});
    busy.phase = PHASE_LIVE;
    const Vector3 spots[4] = {{-2, 0, 6}, {3, 0, 8}, {-1.5f, 0, 4.5f}, {2, 0, 6}};
    for (int i = 0; i < 4; ++i) busy.players[i].pos = spots[i];
    busy.players[0].hasBall = 1;
    busy.players[0].action = ACT_JUMP_SHOT;
    busy.players[0].energy = 0.1f;
    busy.ball.phase = BALL_HELD;
    busy.ball.holder = 0;
    busy.ball.pos = {-2, 1.2f, 5.6f};
    busy.mustClear = 1;
    busy.chaseBlend = 1;
    busy.camera = {{0, 7, 15}, {0, 1.1f, 4}, {0, 1, 0}, 42, CAMERA_PERSPECTIVE};
    busy.ballReceivedAge = 0.3f;
    busy.releaseTiming = 0.9f;
    busy.tipsToast = 1;
    for (int i = 0; i < 4; ++i) {
        busy.emoteId[i] = i;
        busy.emoteTime[i] = 0.5f;
    }
    postCallout(busy, "AND ONE!", {255, 230, 120, 255}, 60, 10);
    postCallout(busy, "SHOT CLOCK", {255, 170, 80, 255}, 56, 10);
    postWorldCallout(busy, "+2", {255, 255, 255, 255}, {3, 2.4f, 8}, 34);
    postWorldCallout(busy, "CONTESTED", {140, 220, 255, 255}, {-1.5f, 2.4f, 4.5f}, 18);
    for (Callout& c : busy.callouts) c.duration = 1e6f;
    animatePlayers(busy, 0);
}

void BM_BusyHudFrame(benchmark::State& state) {
    animClock = 1.0f;
    for (auto _ : state) {
        beginUi(renderer, {20, 20, 24, 255});
        drawMatchHud(busy, 1.0f / 60.0f);
        drawPlayerTags(busy);
        endUi(renderer);
        finishGpu();
    }
}

// The end of a match: dimmed canvas, chrome title, panel, box score, MVP and menu.
void BM_EndScreen(benchmark::State& state) {
    matchState = busy;
    matchState.phase = PHASE_OVER;
    matchState.phaseTimer = 2;
    matchState.winner = 0;
    buildMenus();
    for (auto _ : state) {
        beginUi(renderer, {20, 20, 24, 255});
        drawMatchEndMenu(drawEndScreen());
        endUi(renderer);
        finishGpu();
    }
}

// The canvas cleared and finished with nothing on it: what every frame pays anyway.
void BM_EmptyCanvas(benchmark::State& state) {
    for (auto _ : state) {
        beginUi(renderer, {20, 20, 24, 255});
        endUi(renderer);
        finishGpu();
    }
}

} // namespace

int main(int argc, char** argv) {
    return runBenchmarksWithOptionalWindow(argc, argv, 1280, 720, "hud bench", [] {
        settings = Settings{};
        initRenderer(renderer);
        loadGameFontsForBench();
        setUpBusyMatch();
        benchmark::RegisterBenchmark("EmptyCanvas", BM_EmptyCanvas)->Unit(benchmark::kMillisecond)->MinTime(1.0);
        benchmark::RegisterBenchmark("BusyHudFrame", BM_BusyHudFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);
        benchmark::RegisterBenchmark("EndScreen", BM_EndScreen)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    });
}
