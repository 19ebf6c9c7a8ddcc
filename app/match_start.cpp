#include "app/match_start.h"

#include <cstdio>
#include <utility>

#include "app/emote_wheel.h"
#include "app/match_frame.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "characters/character_model.h"
#include "net/netcode.h"
#include "net/party.h"
#include "render/arena.h"
#include "render/colour.h"
#include "render/renderer.h"
#include "sim/match_state.h"
#include "ui/frontend.h"

int squadTeam = 0;
int squadPlayer = 0;
int squadOpponent = 1;
int appliedHomeTeam = -1;

namespace {
constexpr uint32_t kOfflineSeed = 1; // every offline match starts from the same seed
constexpr int kDarkColourSum = 150;   // r + g + b below this does not read as a hoop colour
constexpr float kDarkFallbackShade = 0.8f;
} // namespace

HomeTeamLook homeTeamLook(const Team roster[kRosterTeams], int team) {
    HomeTeamLook look;
    for (int i = 0; i < kRosterTeams; ++i) {
        look.bannerColors[i] = roster[i].primary;
        look.bannerNames[i] = roster[i].name;
    }
    std::swap(look.bannerColors[0], look.bannerColors[team]);
    std::swap(look.bannerNames[0], look.bannerNames[team]);
    const Team& home = roster[team];
    const Color p = home.primary, sec = home.secondary;
    look.hoopColor = p.r + p.g + p.b < kDarkColourSum ? scaleRgb(sec, kDarkFallbackShade) : p;
    look.secondColor = sec;
    std::snprintf(look.courtText, sizeof look.courtText, "%s %s", home.city, home.name);
    return look;
}

void applyHomeTeam(int team) {
    if (team < 0 || team >= kRosterTeams) return;
    const HomeTeamLook look = homeTeamLook(teams, team);
    buildArena(arena, look.hoopColor, look.secondColor, look.courtText, look.bannerColors, look.bannerNames);
    appliedHomeTeam = team;
}

int matchTargetScore() {
    return targetScoreOverride >= 1 ? targetScoreOverride : gameToScore(settings.gameTo);
}

MatchSettings currentMatchSettings() {
    MatchSettings m;
    m.difficulty = settings.difficulty;
    m.oneOnOne = settings.oneOnOne != 0;
    m.fullCourt = settings.fullCourt != 0;
    m.sprintToggle = settings.sprintToggle != 0;
    m.cameraMotion = settings.cameraMotion;
    m.playByPlayLog = playByPlayLog;
    return m;
}

void launchMatch(const MatchLaunch& m) {
    if (m.home != appliedHomeTeam) applyHomeTeam(m.home);
    const CharacterModel* models[4] = {&characterModels[2 * m.home], &characterModels[2 * m.home + 1],
                                       &characterModels[2 * m.away], &characterModels[2 * m.away + 1]};
    matchState = MatchState{};
    initMatchState(matchState, m.home, m.away, m.local, models, &arena, m.target, m.seed, currentMatchSettings());
    matchState.autopilot = m.autopilot;
    playMatchEvents(matchState); // the opening whistle and crowd
    pauseOpen = controlsOpen = false;
    playMusicTrack(kMatchMusic);
    changeScreen(SCREEN_IN_GAME);
}

void startMatch() {
    launchMatch({squadTeam, squadOpponent, demoMode ? -1 : squadPlayer, matchTargetScore(), kOfflineSeed, autopilot});
}

void leaveMatch() {
    onlineMatchActive = false;
    stopNetMatch(netParty);
    settings = savedSettings;
    setRenderQuality(renderer, settings.graphics);
    pauseOpen = false;
    lobbyReady = false;
    closeEmoteWheel(emoteWheel);
    if (!headlessRun && IsCursorHidden()) EnableCursor();
    playMusicTrack(kMenuMusic);
    setCrowdLevel(0);
    changeScreen(netParty.state == PARTY_JOINED ? SCREEN_PARTY_LOBBY : SCREEN_ONLINE_MENU);
}
