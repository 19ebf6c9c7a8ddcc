// A new player's sessions, end to end, on the X server the tests run on: the
// game starts in a visible window on its title screen; the menus, the
// options (saved at once) and QUIT work from the keyboard; PLAY GAME goes into
// a match where keys and the mouse reach it and the score changes; the window
// is resized and then closed like a window manager would, and the settings
// file is written at exit.
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

struct Rectangle {
    int x, y;
    unsigned width, height;
};

// The window's current picture (or a part of it), read from the X server.
struct WindowPicture {
    int width = 0, height = 0;
    std::vector<unsigned> pixels; // 0xRRGGBB
    unsigned at(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height ? pixels[(size_t)y * width + x] : 0;
    }
};

// Writes the picture as PPM, to look at when a test fails.
void savePicture(const WindowPicture& pic, const fs::path& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << pic.width << " " << pic.height << "\n255\n";
    for (unsigned p : pic.pixels) out << (char)(p >> 16) << (char)(p >> 8) << (char)p;
}

// A window that has just closed is no error here.
int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

WindowPicture grabWindow(const std::string& window, Rectangle part = {}) {
    WindowPicture pic;
    XSetErrorHandler(ignoreXErrors);
    Display* d = XOpenDisplay(nullptr);
    if (!d) return pic;
    XWindowAttributes attrs = {};
    const Window w = std::stoul(window);
    if (XGetWindowAttributes(d, w, &attrs)) {
        if (part.width == 0) part = {0, 0, (unsigned)attrs.width, (unsigned)attrs.height};
        if (XImage* image = XGetImage(d, w, part.x, part.y, part.width, part.height, AllPlanes, ZPixmap)) {
            pic.width = part.width;
            pic.height = part.height;
            pic.pixels.resize((size_t)pic.width * pic.height);
            for (int y = 0; y < pic.height; ++y)
                for (int x = 0; x < pic.width; ++x) pic.pixels[(size_t)y * pic.width + x] = XGetPixel(image, x, y) & 0xFFFFFF;
            XDestroyImage(image);
        }
    }
    XCloseDisplay(d);
    return pic;
}

// Waits until the window has shown `frames` new pictures: the figures behind
// every menu move a little each frame.
bool waitForFrames(const std::string& window, int frames) {
    const Rectangle figure = {200, 300, 240, 240};
    WindowPicture last = grabWindow(window, figure);
    return waitFor(20s, [&] {
        const WindowPicture now = grabWindow(window, figure);
        if (now.pixels == last.pixels) return false;
        last = now;
        return --frames <= 0;
    });
}

// A key event sent straight to the window: unlike keys typed through the
// server, it is never auto-repeated however long it is held.
void sendKey(const std::string& window, const char* key, bool down) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    XKeyEvent e = {};
    e.type = down ? KeyPress : KeyRelease;
    e.display = d;
    e.window = std::stoul(window);
    e.root = DefaultRootWindow(d);
    e.time = CurrentTime;
    e.same_screen = True;
    e.keycode = XKeysymToKeycode(d, XStringToKeysym(key));
    XSendEvent(d, e.window, True, down ? KeyPressMask : KeyReleaseMask, (XEvent*)&e);
    XFlush(d);
    XCloseDisplay(d);
}

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

// Whether the window pixel at a 1280x720 canvas point is near a colour (the
// window keeps its starting size, so canvas and window pixels coincide).
bool near(const WindowPicture& pic, int x, int y, unsigned rgb) {
    const unsigned p = pic.at(x, y);
    for (int shift : {16, 8, 0})
        if (std::abs((int)(p >> shift & 0xFF) - (int)(rgb >> shift & 0xFF)) > 16) return false;
    return true;
}

// The red band behind the second title word.
bool showsTitle(const WindowPicture& pic) {
    int red = 0;
    for (int y = 172; y < 232; y += 2)
        for (int x = 540; x < 740; x += 2) {
            const unsigned p = pic.at(x, y);
            const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            red += r > 80 && 2 * r > 5 * g && 2 * r > 5 * b;
        }
    return red > 300;
}
// The accent bars along the top of each screen's panel.
bool showsMainMenu(const WindowPicture& pic) { return showsTitle(pic) && near(pic, 640, 422, 0xC82828); }
bool showsOptions(const WindowPicture& pic) { return near(pic, 640, 122, 0xC82828); }
bool showsHowToPlay(const WindowPicture& pic) { return near(pic, 640, 114, 0x3C82DC); }

bool scoreChanged(const std::string& log) {
    static const std::regex scoreLine(R"(\] (\d+)-(\d+)  )");
    for (std::sregex_iterator it(log.begin(), log.end(), scoreLine), end; it != end; ++it)
        if ((*it)[1] != "0" || (*it)[2] != "0") return true;
    return false;
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
    // ENTER skips the intro, opens the title's menu and picks PLAY GAME.
    ASSERT_TRUE(waitFor(90s, [&] {
        pressKey(window, "Return");
        return game.out().find("FIRST TO 3") != std::string::npos || !game.running();
    })) << readFile(game.dir / "err.txt");
    ASSERT_TRUE(game.running()) << readFile(game.dir / "err.txt");
    // Run at the hoop, shoot, pass and look around until somebody scores.
    const bool scored = waitFor(300s, [&] {
        run("xdotool keydown --window " + window + " w; sleep 0.4; xdotool keyup --window " + window + " w");
        run("xdotool mousemove_relative --sync 40 0");
        run("xdotool keydown --window " + window + " space; sleep 0.45; xdotool keyup --window " + window + " space");
        run("xdotool key --window " + window + " e");
        return scoreChanged(game.out()) || !game.running();
    });
    ASSERT_TRUE(game.running()) << readFile(game.dir / "err.txt");
    EXPECT_TRUE(scored) << game.out();

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
    auto shows = [&](bool (*test)(const WindowPicture&)) {
        WindowPicture last;
        const bool seen = waitFor(30s, [&] { return test(last = grabWindow(window)) || !game.running(); });
        if (!seen) savePicture(last, game.dir / "last_picture.ppm");
        return seen && game.running();
    };
    auto settingsHave = [&](const char* line) {
        return waitFor(10s, [&] { return readFile(game.dir / "korvalo_settings.cfg").find(line) != std::string::npos; });
    };

    // After the intro: the title, then its menu on ENTER.
    ASSERT_TRUE(shows(showsTitle)) << readFile(game.dir / "err.txt");
    EXPECT_FALSE(showsMainMenu(grabWindow(window))) << "PRESS ENTER first";
    pressKey(window, "Return");
    ASSERT_TRUE(shows(showsMainMenu));

    // OPTIONS: each change is in the settings file at once.
    pressKey(window, "Down");
    pressKey(window, "Down");
    pressKey(window, "Return");
    ASSERT_TRUE(shows(showsOptions));
    pressKey(window, "d"); // TOOLTIPS  (H) off
    EXPECT_TRUE(settingsHave("tooltips=0\n"));
    pressKey(window, "s");
    pressKey(window, "s");
    pressKey(window, "s");
    pressKey(window, "d"); // MOUSE SENSITIVITY 6
    EXPECT_TRUE(settingsHave("mouseSens=6\n"));
    pressKey(window, "Escape");
    ASSERT_TRUE(shows(showsMainMenu)) << "back on the title with its menu open";

    // HOW TO PLAY, then back.
    pressKey(window, "Down");
    pressKey(window, "Return");
    ASSERT_TRUE(shows(showsHowToPlay));
    pressKey(window, "Escape");
    ASSERT_TRUE(shows(showsMainMenu));

    // QUIT: the program ends normally and keeps its settings.
    pressKey(window, "Down");
    pressKey(window, "Return");
    EXPECT_EQ(waitForExit(game, 30s), 0) << readFile(game.dir / "err.txt");
    const std::string saved = readFile(game.dir / "korvalo_settings.cfg");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 15) << saved;
    EXPECT_NE(saved.find("tooltips=0\nmouseSens=6\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("graphics=2\n"), std::string::npos) << saved;
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
