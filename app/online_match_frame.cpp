#include "app/online_match_frame.h"

#include <cstdio>
#include <cstdlib>
#include <raylib.h>

#include "app/device_input.h"
#include "app/emote_wheel.h"
#include "app/match_frame.h"
#include "app/match_start.h"
#include "app/net_test_driver.h"
#include "app/run_flags.h"
#include "app/scripted_input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "net/netcode.h"
#include "net/party.h"
#include "render/renderer.h"
#include "ui/fonts.h"
#include "ui/frontend.h"
#include "ui/match_hud.h"
#include "ui/match_overlays.h"
#include "ui/menu_lists.h"
#include "ui/panels.h"
#include "ui/player_tags.h"

namespace {

constexpr int kConfirmSound = 9;
constexpr float kEndMenuDelay = 1.0f;
constexpr float kFirstPersonBlend = 0.5f;
constexpr float kShowStallAfter = 0.35f;
constexpr int kProfileFrames = 300;
constexpr Color kGold = {255, 215, 130, 255};

ScriptedInputState scripted;

struct FrameProfile {
    int frames = 0;
    double net = 0, render = 0, hud = 0, present = 0;
};
FrameProfile profile;

bool validEmote(int slot, int emote) { return slot >= 0 && slot < kNetSlots && emote >= 0 && emote < kEmoteCount; }

void showEmote(MatchState& s, int slot, int emote) {
    s.emoteId[slot] = emote;
    s.emoteTime[slot] = 0;
}

// The others' emotes since the last frame: shown and heard.
void playPartyEmotes(MatchState& s) {
    for (const PartyEmote& e : netParty.emotes) {
        if (!validEmote(e.slot, e.emote)) continue;
        showEmote(s, e.slot, e.emote);
        playSfx(emoteSoundId(e.emote), 0.75f, 1.0f, 0.5f);
    }
    netParty.emotes.clear();
}

// The open overlay's input. Returns false when the frame ends here because
// the party was left.
bool onlinePauseInput() {
    const MenuInput in = readMenuInput();
    if (controlsOpen) {
        controlsViewInput(in);
        return true;
    }
    const bool p = IsKeyPressed(KEY_P);
    const MenuResult r = navigateMenu(onlinePauseMenu, in);
    if (r == ONLINE_PAUSE_RESUME || r == kMenuBack || p) {
        pauseOpen = false;
    } else if (r == ONLINE_PAUSE_CONTROLS) {
        controlsOpen = true;
    } else if (r == ONLINE_PAUSE_LEAVE) {
        leaveParty(netParty);
        leaveMatch();
        return false;
    }
    return true;
}

void openOnlinePause() {
    pauseOpen = true;
    controlsOpen = false;
    onlinePauseMenu.selected = 0;
    playSfx(kConfirmSound, 0.8f, 1.0f, 0.5f);
}

void emoteInput(const MatchState& s, float dt) {
    const bool allowed = !pauseOpen && s.phase != PHASE_OVER && s.localIndex >= 0 && netParty.ownSlot >= 0;
    const int fire = updateEmoteWheel(emoteWheel, readEmoteWheelInput(allowed, netWheelHold, dt));
    if (fire >= 0) triggerEmote(fire);
}

void drawPing() {
    if (netParty.ping <= 0) return;
    Color c = pingColor(netParty.ping);
    c.a = 216;
    drawUiTextRight(TextFormat("PING %d", (int)netParty.ping), 1256, 694, 10, c, true);
}

// Shown with or without the HUD: the match waits for somebody, or the party
// has news (a member left).
void drawPartyLines() {
    if (netParty.stallTime > kShowStallAfter) {
        DrawRectangle(420, 92, 440, 40, {0, 0, 0, 170});
        drawUiTextCentered(TextFormat("WAITING FOR %s...", netParty.waitingAlias.c_str()), 640, 101, 16, kGold,
                           false);
    }
    if (netParty.noticeTimer > 0) drawUiTextCentered(netParty.notice.c_str(), 640, 150, 20, kGold, true);
}

// The end of an online match; the frame still finishes when it is left.
void onlineMatchEnd(const MatchState& s) {
    drawEndScreen();
    const bool host = isPartyHost(netParty);
    drawUiTextCentered(host ? "PRESS ENTER: EVERYONE BACK TO THE LOBBY" : "PRESS ENTER FOR THE LOBBY", 640, 560, 20,
                       kGold, true);
    if (s.phaseTimer <= kEndMenuDelay || !readMenuInput().confirm) return;
    if (host) sendEnd(netParty); // the server's answer takes everybody back
    else leaveMatch();
}

void reportProfile(double net, double render, double hud, double present) {
    FrameProfile& p = profile;
    p.net += net;
    p.render += render;
    p.hud += hud;
    p.present += present;
    if (++p.frames != kProfileFrames || !std::getenv("KORVALO_PROF")) return;
    const double ms = 1000.0 / kProfileFrames;
    std::printf("PROF per frame: net %.2fms render %.2fms hud %.2fms present %.2fms\n", p.net * ms, p.render * ms,
                p.hud * ms, p.present * ms);
    std::fflush(stdout);
}

} // namespace

Color pingColor(float ms) {
    if (ms < 90) return {120, 230, 140, 255};
    if (ms < 200) return {255, 215, 130, 255};
    return {255, 130, 120, 255};
}

void triggerEmote(int e) {
    sendEmote(netParty, e);
    MatchState& s = matchState;
    if (validEmote(netParty.ownSlot, e)) showEmote(s, netParty.ownSlot, e);
    playSfx(emoteSoundId(e), 0.9f, 1.0f, 0.5f); // an id outside the emotes plays nothing
    if (s.chaseBlend < kFirstPersonBlend) emoteCameraKick(s, e);
}

void runOnlineMatchFrame(float dt) {
    MatchState& s = matchState;
    playPartyEmotes(s);
    if (!netParty.inMatch) {
        leaveMatch();
        return;
    }
    if (pauseOpen) {
        if (!onlinePauseInput()) return;
    } else if (pauseMayOpen(screenTimer, s.phase) && pausePressed()) {
        openOnlinePause();
    }
    setMouseCaptured(!pauseOpen && s.phase != PHASE_OVER && s.localIndex >= 0);
    if (!pauseOpen && tipsKeyPressed()) toggleTips(true);

    const double t0 = GetTime();
    RawInput input;
    if (scriptedMode && s.localIndex >= 0) scriptedInput(input, s.clock, scripted);
    else input = readInput();
    emoteInput(s, dt);
    updateNetSession(netParty, s, dt, input, pauseOpen || s.phase == PHASE_OVER, cameraOptions());
    playMatchEvents(s);
    const double t1 = GetTime();
    drawMatchScene(s);
    const double t2 = GetTime();

    if (pauseOpen) {
        dimForOverlay();
        if (controlsOpen) drawControlsView();
        else drawOnlinePauseView();
    } else if (s.phase == PHASE_OVER) {
        onlineMatchEnd(s);
    } else {
        if (!noHud) {
            drawMatchHud(s, dt);
            drawPlayerTags(s);
            if (emoteWheel.open) drawEmoteWheel(emoteWheel);
            drawPing();
        }
        drawPartyLines();
    }
    drawFade();
    endUi(renderer);
    const double t3 = GetTime();
    presentFrame(renderer);
    reportProfile(t1 - t0, t2 - t1, t3 - t2, GetTime() - t3);
}
