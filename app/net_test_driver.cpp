#include "app/net_test_driver.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <raylib.h>

#include "app/match_frame.h"
#include "app/online_match_frame.h"
#include "app/run_flags.h"
#include "app/screenshot.h"
#include "net/party.h"
#include "sim/match_state.h"
#include "ui/frontend.h"

bool netWheelHold = false;

namespace {

constexpr float kFrameStep = 1.0f / 60.0f;
constexpr float kConnectAfter = 0.2f;
constexpr float kReadyRetry = 0.5f;
constexpr float kStartRetry = 1.0f;
constexpr int kPushedGameTo = 21;
constexpr float kEmoteEvery = 3.0f;
constexpr int kEmotes = 8;
constexpr int kCheckEvery = 300;
constexpr float kLobbyShotAfter = 4.0f;
constexpr float kWheelFrom = 12.5f, kWheelUntil = 14.2f;
// Match-clock times of the game shots: the main one first, then four more.
constexpr float kGameShotTimes[] = {14.0f, 12.9f, 13.4f, 15.8f, 16.6f};
// KORVALO_NETFRAMES names a file that holds the number of frames run so far,
// rewritten this often: a test watching a slow machine can tell a game that
// still draws from one that is stuck.
constexpr int kFramesFileEvery = 10;

struct DriverState {
    float lastReady = -1.0f;
    float lastStart = 0.0f;
    float nextEmote = kEmoteEvery;
    bool prefixRead = false;
    std::string shotPrefix; // KORVALO_NETSHOT; empty: no pictures
    bool lobbyShotTaken = false;
    int gameShot = 0;
    double wallStart = 0;
    int frames = 0;
    std::string framesPath; // KORVALO_NETFRAMES; empty: not counted
};
DriverState driver;

void say(const char* line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
}

void countFrame() {
    if (driver.frames++ == 0) {
        if (const char* path = std::getenv("KORVALO_NETFRAMES")) driver.framesPath = path;
    }
    if (driver.framesPath.empty() || driver.frames % kFramesFileEvery != 0) return;
    if (std::FILE* f = std::fopen(driver.framesPath.c_str(), "w")) {
        std::fprintf(f, "%d\n", driver.frames);
        std::fclose(f);
    }
}

void connectToParty(NetTestConfig& c) {
    if (c.testClock <= kConnectAfter) return;
    onlineRow = 0;
    if (c.host) createParty(netParty, c.alias);
    else joinParty(netParty, c.partyCode, c.alias);
    changeScreen(SCREEN_ONLINE_MENU);
}

bool othersReady(const NetParty& p) {
    for (const PartyMember& m : p.members)
        if (m.id != p.hostId && !m.ready) return false;
    return true;
}

void hostLobby(NetTestConfig& c) {
    NetParty& p = netParty;
    if (!p.code.empty() && !c.settingsPushed) {
        say(TextFormat("CODE %s\n", printableText(p.code).c_str()));
        PartySettings rules = p.settings;
        rules.mode = c.mode;
        rules.gameTo = kPushedGameTo;
        sendSettings(p, rules);
        c.settingsPushed = true;
    }
    const bool full = (int)p.members.size() >= c.expectedMembers;
    if (c.settingsPushed && full && othersReady(p) && p.settings.mode == c.mode &&
        c.testClock - driver.lastStart >= kStartRetry) {
        sendStart(p);
        driver.lastStart = c.testClock;
    }
}

void joinerLobby(const NetTestConfig& c) {
    const PartyMember* self = findSelfMember(netParty);
    if (self && !self->ready && c.testClock - driver.lastReady > kReadyRetry) {
        sendReady(netParty, true);
        driver.lastReady = c.testClock;
    }
}

void takeShots(const NetTestConfig& c) {
    if (!driver.prefixRead) {
        driver.prefixRead = true;
        if (const char* prefix = std::getenv("KORVALO_NETSHOT")) driver.shotPrefix = prefix;
    }
    const std::string& prefix = driver.shotPrefix;
    if (prefix.empty()) return;
    if (!driver.lobbyShotTaken && frontendScreen == SCREEN_PARTY_LOBBY && netParty.members.size() >= 2 &&
        c.testClock > kLobbyShotAfter) {
        driver.lobbyShotTaken = true;
        saveScreenshot(prefix + "_lobby.png");
    }
    const int g = driver.gameShot;
    if (onlineMatchActive && g < 5 && c.matchClock > kGameShotTimes[g]) {
        saveScreenshot(g == 0 ? prefix + "_game.png" : prefix + "_game" + std::to_string(g) + ".png");
        driver.gameShot += 1;
    }
}

void printMembers() {
    for (const PartyMember& m : netParty.members)
        std::printf("MEMBER %s side=%d slot=%d host=%d\n", printableText(m.alias).c_str(), m.side, m.slot,
                    m.id == netParty.hostId ? 1 : 0);
    std::fflush(stdout);
}

void printDone(const NetTestConfig& c) {
    const NetParty& p = netParty;
    const double wall = GetTime() - driver.wallStart;
    const double replay = p.resimTicks > 0 ? p.resimMs / p.resimTicks : 0.0;
    const double speed = wall > 0 ? p.currentTick / (wall * 60.0) : 0.0;
    const double fps = wall > 0 ? c.matchClock * 60.0 / wall : 0.0;
    std::printf("DONE tick=%d score=%d-%d resyncs=%d slot=%d stalled=%.1fs emotes=%d ping=%.0fms rollbacks=%d "
                "longest=%d replay=%.3fms/tick speed=%.2f fps=%.0f\n",
                p.currentTick, matchState.scores[0], matchState.scores[1], p.resyncs, p.ownSlot, p.totalStall,
                p.emoteCount, p.ping, p.rollbacks, p.longestRollback, replay, speed, fps);
    std::fflush(stdout);
}

} // namespace

std::string printableText(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if ((unsigned char)c < 0x20 || c == 0x7f) c = '?';
    return out;
}

void netTestStep() {
    NetTestConfig& c = netTestConfig;
    if (!c.active) return;
    countFrame();
    c.testClock += kFrameStep;
    NetParty& p = netParty;
    if (p.state == PARTY_NONE) {
        connectToParty(c);
        return;
    }
    if (p.state == PARTY_ENDED) {
        say(TextFormat("NETERROR %s\n", printableText(p.errorText).c_str()));
        quitRequested = true;
        return;
    }
    if (p.state == PARTY_JOINED && !p.inMatch && !onlineMatchActive) {
        if (c.host) hostLobby(c);
        else joinerLobby(c);
    }
    takeShots(c);
    if (!onlineMatchActive) return;

    if (!c.host && c.matchClock > driver.nextEmote) {
        driver.nextEmote += kEmoteEvery;
        triggerEmote((int)(c.matchClock / kEmoteEvery) % kEmotes);
    }
    if (std::getenv("KORVALO_NETWHEEL") && c.host && c.matchClock > kWheelFrom) {
        netWheelHold = c.matchClock < kWheelUntil;
    } else {
        netWheelHold = false;
        if (c.matchClock == 0.0f) {
            driver.wallStart = GetTime();
            printMembers();
        }
    }
    c.matchClock += kFrameStep;
    while (c.nextCheckTick < p.confirmedTick) {
        std::printf("CHECK %d %08x\n", c.nextCheckTick, p.hashRing[ringIndex(c.nextCheckTick, kInputRingSize)]);
        c.nextCheckTick += kCheckEvery;
    }
    if (c.matchClock > c.seconds) {
        printDone(c);
        quitRequested = true;
    }
}
