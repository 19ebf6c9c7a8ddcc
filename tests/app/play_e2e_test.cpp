// A new player's sessions, end to end, on the X server the tests run on: the
// game starts in a visible window on its title screen; the menus, the
// options (saved at once) and QUIT work from the keyboard; PLAY GAME and TIP
// OFF on squad select go into a match where W and the mouse move the local
// player; QUIT TO TITLE in the pause menu goes back to the title's menu; the
// window is resized and then closed like a window manager would, and the
// settings file is written at exit. No step waits more than two minutes: a
// basket under software GL comes when it comes, so only a match to one point
// that the CPU plays alone waits for one.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/x_keys.h"

extern char** environ;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    for (char buf[256]; pipe && std::fgets(buf, sizeof buf, pipe);) out += buf;
    if (pipe) pclose(pipe);
    return out;
}

// The game copied into a folder of its own, so its settings file lands there.
struct GameProcess {
    fs::path dir;
    pid_t pid = -1;
    int exitCode = -1;

    explicit GameProcess(const std::string& name) : dir(fs::path(KORVALO_TEST_OUTPUT_DIR) / name) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path binary(KORVALO_BINARY);
        fs::copy_file(binary, dir / "korvalo");
        fs::copy(binary.parent_path() / "fonts", dir / "fonts", fs::copy_options::recursive);
    }
    ~GameProcess() {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    void start(std::vector<std::string> args) {
        args.insert(args.begin(), (dir / "korvalo").string());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, (dir / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, (dir / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_EQ(posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
    }
    std::string out() const { return readFile(dir / "out.txt"); }
    // Collects the exit once the process has ended; exitCode is then set.
    bool ended() {
        if (pid <= 0) return true;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid) return false;
        pid = -1;
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return true;
    }
    bool running() { return !ended(); }
    std::string visibleWindow() const {
        if (pid <= 0) return {};
        std::string id;
        std::istringstream(run("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null")) >> id;
        return id;
    }
};

template <typename F>
bool waitFor(std::chrono::seconds limit, F done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return done();
}

// Exit code once the game ends within the time, -1 otherwise.
int waitForExit(GameProcess& game, std::chrono::seconds limit) {
    return waitFor(limit, [&] { return game.ended(); }) ? game.exitCode : -1;
}

// What a window manager sends when the user clicks the close button.
void sendCloseRequest(unsigned long window) {
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &e);
    XFlush(d);
    XCloseDisplay(d);
}

// A window that has just closed is no error here.
int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

// The raw pixels (32-bit, blue first) of a part of the window; empty once
// the window is gone.
std::string windowPixels(const std::string& window, int x, int y, unsigned w, unsigned h) {
    XSetErrorHandler(ignoreXErrors);
    std::string bytes;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return bytes;
    if (XImage* image = XGetImage(d, std::stoul(window), x, y, w, h, AllPlanes, ZPixmap)) {
        bytes.assign(image->data, (size_t)image->bytes_per_line * h);
        XDestroyImage(image);
    }
    XCloseDisplay(d);
    return bytes;
}

// Whether the window shows a colour at a 1280x720 canvas point (the window
// keeps its starting size, so canvas and window pixels coincide).
bool showsColour(const std::string& window, int x, int y, unsigned rgb) {
    const std::string p = windowPixels(window, x, y, 1, 1);
    if (p.size() < 3) return false;
    for (int i = 0; i < 3; ++i)
        if (std::abs((unsigned char)p[(size_t)i] - (int)(rgb >> 8 * i & 0xFF)) > 16) return false;
    return true;
}

// The accent bar along the top of each screen's panel, seen at both ends.
constexpr unsigned kMainMenuRed = 0xC82828, kHowToPlayBlue = 0x3C82DC;
bool showsBar(const std::string& window, int y, int left, int right, unsigned rgb) {
    return showsColour(window, left + 8, y, rgb) && showsColour(window, right - 8, y, rgb);
}
bool showsMainMenu(const std::string& window) { return showsBar(window, 422, 450, 830, kMainMenuRed); }
bool showsOptions(const std::string& window) { return showsBar(window, 122, 300, 980, kMainMenuRed); }
bool showsHowToPlay(const std::string& window) { return showsBar(window, 114, 110, 1170, kHowToPlayBlue); }
// Squad select with the first team at home: its panel bar in that team's colour.
constexpr unsigned kFirstTeamPurple = 0x602CD4;
bool showsSquadSelect(const std::string& window) { return showsBar(window, 31, 30, 590, kFirstTeamPurple); }

// Waits until the window has shown `frames` new pictures: the figures behind
// every menu move a little each frame.
bool waitForFrames(const std::string& window, int frames) {
    std::string last = windowPixels(window, 200, 300, 240, 240);
    return waitFor(20s, [&] {
        const std::string now = windowPixels(window, 200, 300, 240, 240);
        if (now == last) return false;
        last = now;
        return --frames <= 0;
    });
}

void sendKey(const std::string& window, const char* key, bool down) { ::sendKey(std::stoul(window), key, down); }

// Presses and releases a key with a poll of the game's devices while it is
// down and another after it is up: software GL draws a menu frame in about a
// second here, and a press and release within one poll can be lost. The game
// polls right after it puts a frame up, so two new frames hold one poll.
void pressKey(const std::string& window, const char* key) {
    sendKey(window, key, true);
    waitForFrames(window, 2);
    sendKey(window, key, false);
    waitForFrames(window, 2);
}

// A part of the window as RGB rows (the window keeps its starting size, so
// canvas and window pixels coincide).
struct Pixels {
    int w = 0, h = 0;
    std::string bgrx; // 4 bytes a pixel, blue first
    unsigned rgb(int x, int y) const {
        const size_t at = 4 * ((size_t)y * (size_t)w + (size_t)x);
        return (unsigned char)bgrx[at + 2] << 16 | (unsigned char)bgrx[at + 1] << 8 | (unsigned char)bgrx[at];
    }
};
Pixels grab(const std::string& window, int x, int y, int w, int h) {
    Pixels p{w, h, windowPixels(window, x, y, (unsigned)w, (unsigned)h)};
    if (p.bgrx.size() != 4 * (size_t)w * (size_t)h) p.w = p.h = 0;
    return p;
}

// The local player on the half-court minimap: the centre of the white ring
// under his dot, in window pixels; nothing when it cannot be seen.
struct Mark {
    bool seen = false;
    float x = 0, y = 0;
};
constexpr int kMapX = 1070, kMapY = 20, kMapW = 190, kMapH = 178;
Mark localMark(const std::string& window) {
    const Pixels p = grab(window, kMapX, kMapY, kMapW, kMapH);
    Mark m;
    int n = 0;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const unsigned c = p.rgb(x, y);
            if ((c >> 16 & 0xFF) < 235 || (c >> 8 & 0xFF) < 235 || (c & 0xFF) < 235) continue;
            m.x += (float)x;
            m.y += (float)y;
            ++n;
        }
    if (n < 4) return {};
    return {true, kMapX + m.x / (float)n, kMapY + m.y / (float)n};
}

// Holds a key long enough for a slow match frame to poll it while it is down
// and again once it is up (a paused match shows no moving picture to wait on).
void holdKey(const std::string& window, const char* key) {
    sendKey(window, key, true);
    std::this_thread::sleep_for(1500ms);
    sendKey(window, key, false);
    std::this_thread::sleep_for(1500ms);
}

// Presses a key until what it should do shows: on a loaded machine a frame
// can take longer than a hold, and the press is then lost.
template <typename F>
bool pressUntil(const std::string& window, const char* key, F done, int tries = 4) {
    for (int i = 0; i < tries; ++i) {
        if (done()) return true;
        holdKey(window, key);
        if (waitFor(20s, done)) return true;
    }
    return false;
}

// The in-match overlays, read from the window at canvas points.
constexpr unsigned kPauseRed = 0xC82828, kGold = 0xE6B43C, kKeycapWhite = 0xECEEF4;
bool showsPause(const std::string& w) { return showsBar(w, 132, 70, 610, kPauseRed); }
bool pauseRowSelected(const std::string& w, int row) { return showsColour(w, 96, 165 + 33 * row, 0xFFFFFF); }
bool showsControls(const std::string& w) { return showsColour(w, 156, 180, kKeycapWhite); }
bool showsEndScreen(const std::string& w, unsigned accent) { return showsBar(w, 202, 340, 940, accent); }

// Live play: the possession bar on the scoreboard (phases 1 and 2) without
// the "CHECK BALL" banner (phase 1); team 0, the local side, attacks when
// the bar stands at its end.
constexpr unsigned kPossessionYellow = 0xFFDC78;
bool localSideAttacksInLivePlay(const std::string& window) {
    if (!showsColour(window, 338, 680, kPossessionYellow)) return false;
    const Pixels banner = grab(window, 560, 78, 160, 34);
    int gold = 0;
    for (int y = 0; y < banner.h; ++y)
        for (int x = 0; x < banner.w; ++x) {
            const unsigned c = banner.rgb(x, y);
            const int r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
            gold += r > 235 && g > 190 && g < 235 && b > 80 && b < 140;
        }
    return banner.w > 0 && gold < 20;
}

// Holds a key until the local player's mark has moved `far` pixels from
// where it was (or the time is up); returns how far it went.
Mark holdUntilMoved(const std::string& window, const char* key, float far, std::chrono::seconds limit) {
    const Mark from = localMark(window);
    Mark to = from;
    sendKey(window, key, true);
    waitFor(limit, [&] {
        to = localMark(window);
        return from.seen && to.seen && std::hypot(to.x - from.x, to.y - from.y) >= far;
    });
    sendKey(window, key, false);
    std::this_thread::sleep_for(1s); // the release reaches the match
    if (!from.seen || !to.seen) return {};
    return {true, to.x - from.x, to.y - from.y};
}

// Turns the view with the mouse: a quarter turn at sensitivity 5.
void turnWithTheMouse() {
    for (int i = 0; i < 10; ++i) run("xdotool mousemove_relative -- 56 0; sleep 0.05");
}

TEST(PlayEndToEnd, StartPlayResizeAndCloseWritesTheSettings) {
    GameProcess game("play_e2e");
    // Software GL under Xvfb is slow: the smallest scene target keeps the
    // match near real time.
    std::ofstream(game.dir / "korvalo_settings.cfg") << "graphics=2\nmouseSens=5\n";
    game.start({"--log", "--target", "3"});
    std::string window;
    ASSERT_TRUE(waitFor(60s, [&] { return !(window = game.visibleWindow()).empty() || !game.running(); }));
    ASSERT_TRUE(game.running()) << readFile(game.dir / "err.txt");
    ASSERT_FALSE(window.empty());
    run("xdotool windowactivate --sync " + window + " 2>/dev/null; xdotool windowfocus --sync " + window);
    // ENTER skips the intro, opens the title's menu and picks PLAY GAME; on
    // squad select, up from TEAM wraps to TIP OFF.
    ASSERT_TRUE(waitFor(90s, [&] {
        pressKey(window, "Return");
        return showsSquadSelect(window) || !game.running();
    })) << readFile(game.dir / "err.txt");
    pressKey(window, "Up");
    pressKey(window, "Return");
    ASSERT_TRUE(waitFor(60s, [&] { return game.out().find("FIRST TO 3") != std::string::npos || !game.running(); }))
        << readFile(game.dir / "err.txt");
    ASSERT_TRUE(game.running()) << readFile(game.dir / "err.txt");

    // W runs the local player along his view; after a quarter turn of the
    // mouse he runs across the first way. Only his own input moves him in
    // live play, and the view follows the mouse while his side attacks.
    bool turned = false;
    for (int attempt = 0; attempt < 3 && !turned; ++attempt) {
        ASSERT_TRUE(waitFor(100s, [&] { return localSideAttacksInLivePlay(window) || !game.running(); }))
            << "the local side attacks in live play";
        const Mark ahead = holdUntilMoved(window, "w", 10, 40s);
        turnWithTheMouse();
        const Mark across = holdUntilMoved(window, "w", 10, 40s);
        if (!localSideAttacksInLivePlay(window)) continue; // the ball changed hands meanwhile
        ASSERT_TRUE(ahead.seen && across.seen) << "the local player's mark on the minimap";
        const float a = std::hypot(ahead.x, ahead.y), b = std::hypot(across.x, across.y);
        EXPECT_GE(a, 10) << "W moves the local player";
        const float cosine = (ahead.x * across.x + ahead.y * across.y) / std::fmax(a * b, 1e-3f);
        turned = b >= 10 && cosine < 0.7f;
    }
    EXPECT_TRUE(turned) << "the mouse turns the way W runs";

    // ESC pauses; up from RESUME wraps round to QUIT TO TITLE. Its ENTER
    // lands on the title with the menu open, and does not go on to choose
    // PLAY GAME there.
    ASSERT_TRUE(pressUntil(window, "Escape", [&] { return showsPause(window); }));
    ASSERT_TRUE(pressUntil(window, "Up", [&] { return pauseRowSelected(window, 14); })) << "QUIT TO TITLE";
    ASSERT_TRUE(pressUntil(window, "Return", [&] { return !showsPause(window); }));
    EXPECT_TRUE(waitFor(30s, [&] { return showsMainMenu(window) || showsSquadSelect(window) || !game.running(); }));
    EXPECT_TRUE(showsMainMenu(window)) << "the title with its menu open";
    EXPECT_FALSE(showsSquadSelect(window));

    run("xdotool windowsize --sync " + window + " 1000 700");
    std::this_thread::sleep_for(1s);
    run("xdotool windowsize --sync " + window + " 700 900");
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(game.running());

    sendCloseRequest(std::stoul(window));
    EXPECT_EQ(waitForExit(game, 30s), 0) << readFile(game.dir / "err.txt");
    const std::string saved = readFile(game.dir / "korvalo_settings.cfg");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 15) << saved;
    EXPECT_EQ(saved.rfind("oneOnOne=0\nfullCourt=0\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("graphics=2\n"), std::string::npos) << saved;
}

TEST(PlayEndToEnd, TitleMenusOptionsAndQuit) {
    GameProcess game("frontend_e2e");
    std::ofstream(game.dir / "korvalo_settings.cfg") << "graphics=2\nmouseSens=5\ntooltips=1\n";
    game.start({});
    std::string window;
    ASSERT_TRUE(waitFor(60s, [&] { return !(window = game.visibleWindow()).empty() || !game.running(); }));
    ASSERT_FALSE(window.empty()) << readFile(game.dir / "err.txt");
    run("xdotool windowactivate --sync " + window + " 2>/dev/null; xdotool windowfocus --sync " + window);
    auto shows = [&](bool (*test)(const std::string&)) {
        return waitFor(30s, [&] { return test(window) || !game.running(); }) && game.running();
    };
    auto settingsHave = [&](const char* line) {
        return waitFor(10s, [&] { return readFile(game.dir / "korvalo_settings.cfg").find(line) != std::string::npos; });
    };

    // ENTER skips the intro; on the title it opens the menu.
    ASSERT_TRUE(waitFor(90s, [&] {
        pressKey(window, "Return");
        return showsMainMenu(window) || !game.running();
    }));
    ASSERT_TRUE(game.running()) << readFile(game.dir / "err.txt");

    auto press = [&](std::initializer_list<const char*> keys) {
        for (const char* key : keys) pressKey(window, key);
    };

    // OPTIONS: each change is in the settings file at once.
    press({"Down", "Down", "Return"});
    ASSERT_TRUE(shows(showsOptions));
    press({"d"}); // TOOLTIPS  (H) off
    EXPECT_TRUE(settingsHave("tooltips=0\n"));
    press({"s", "s", "s", "d"}); // MOUSE SENSITIVITY 6
    EXPECT_TRUE(settingsHave("mouseSens=6\n"));
    press({"Escape"});
    ASSERT_TRUE(shows(showsMainMenu)) << "back on the title with its menu open";

    // HOW TO PLAY, then back.
    press({"Down", "Return"});
    ASSERT_TRUE(shows(showsHowToPlay));
    press({"Escape"});
    ASSERT_TRUE(shows(showsMainMenu));

    // QUIT: the program ends normally and keeps its settings.
    press({"Down", "Return"});
    EXPECT_EQ(waitForExit(game, 30s), 0) << readFile(game.dir / "err.txt");
    const std::string saved = readFile(game.dir / "korvalo_settings.cfg");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 15) << saved;
    EXPECT_NE(saved.find("tooltips=0\nmouseSens=6\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("graphics=2\n"), std::string::npos) << saved;
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Whether the home side won the match ("[ time] a-b  GAME!").
bool homeWon(const std::string& log) {
    static const std::regex game(R"(\] (\d+)-(\d+)  GAME!)");
    std::smatch m;
    return std::regex_search(log, m, game) && std::stoi(m[1]) > std::stoi(m[2]);
}

TEST(PlayEndToEnd, MatchOverlaysPauseMenuEndScreenAndRematch) {
    GameProcess game("overlays_e2e");
    std::ofstream(game.dir / "korvalo_settings.cfg") << "graphics=2\nmouseSens=5\ntooltips=1\n";
    // The CPU plays the local player too, so that a match to one point ends by itself.
    game.start({"--log", "--target", "1", "--autopilot"});
    std::string window;
    ASSERT_TRUE(waitFor(60s, [&] { return !(window = game.visibleWindow()).empty() || !game.running(); }));
    ASSERT_FALSE(window.empty()) << readFile(game.dir / "err.txt");
    run("xdotool windowactivate --sync " + window + " 2>/dev/null; xdotool windowfocus --sync " + window);
    auto shows = [&](auto test) { return waitFor(90s, [&] { return test() || !game.running(); }) && game.running(); };
    auto settingsHave = [&](const char* line) {
        return [&, line] { return readFile(game.dir / "korvalo_settings.cfg").find(line) != std::string::npos; };
    };
    ASSERT_TRUE(waitFor(90s, [&] {
        pressKey(window, "Return"); // through the intro and the title to squad select
        return showsSquadSelect(window) || !game.running();
    })) << readFile(game.dir / "err.txt");
    pressKey(window, "Up"); // TIP OFF
    pressKey(window, "Return");
    ASSERT_TRUE(waitFor(90s, [&] { return game.out().find("FIRST TO 1") != std::string::npos || !game.running(); }))
        << readFile(game.dir / "err.txt");

    // The HUD: the minimap's hoop and a possession bar on the scoreboard.
    EXPECT_TRUE(shows([&] { return showsColour(window, 1165, 46, 0xF06E28); })) << "minimap";
    EXPECT_TRUE(shows([&] { return showsColour(window, 338, 680, 0xFFDC78) || showsColour(window, 942, 680, 0xFFDC78); }));
    EXPECT_TRUE(pressUntil(window, "h", settingsHave("tooltips=0\n"))) << "H hides the tips and saves at once";

    // ESC: the pause menu, whose option rows change the settings file at once.
    ASSERT_TRUE(pressUntil(window, "Escape", [&] { return showsPause(window); }));
    ASSERT_TRUE(pressUntil(window, "Down", [&] { return pauseRowSelected(window, 1); })) << "TOOLTIPS  (H)";
    EXPECT_TRUE(pressUntil(window, "Right", settingsHave("tooltips=1\n")));
    ASSERT_TRUE(pressUntil(window, "Up", [&] { return pauseRowSelected(window, 12); }, 10)) << "round to CONTROLS";
    EXPECT_TRUE(pressUntil(window, "Return", [&] { return showsControls(window); }));
    ASSERT_TRUE(pressUntil(window, "Escape", [&] { return showsPause(window); }));
    ASSERT_TRUE(pressUntil(window, "Escape", [&] { return !showsPause(window); })) << "resumed";

    // The final basket of a match to one point that the CPU plays alone (the
    // one wait for a basket, bounded like every other): VICTORY in gold or
    // DEFEAT in red, as the score says; REMATCH plays the match again.
    ASSERT_TRUE(waitFor(120s, [&] { return count(game.out(), "GAME!") == 1 || !game.running(); })) << game.out();
    EXPECT_TRUE(shows([&] { return showsEndScreen(window, homeWon(game.out()) ? kGold : kPauseRed); }));
    ASSERT_TRUE(pressUntil(window, "Return", [&] { return count(game.out(), "FIRST TO 1") == 2; })) << game.out();
    sendCloseRequest(std::stoul(window));
    EXPECT_EQ(waitForExit(game, 30s), 0) << readFile(game.dir / "err.txt");
}

TEST(PlayEndToEnd, AHeadlessRunShowsNoWindowAndWritesNoSettings) {
    GameProcess game("headless_e2e");
    game.start({"--sim", "3"});
    bool sawWindow = false;
    for (int i = 0; i < 600 && game.running(); ++i) {
        if (!game.visibleWindow().empty()) sawWindow = true;
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(waitForExit(game, 30s), 0);
    EXPECT_FALSE(sawWindow);
    EXPECT_FALSE(fs::exists(game.dir / "korvalo_settings.cfg"));
    EXPECT_NE(game.out().find("sim 3s"), std::string::npos) << game.out();
}

} // namespace
