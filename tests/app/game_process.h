// The game as a child process for the program tests: copied with its fonts
// into a folder of the test's own (so its settings file lands there), its
// standard output and error kept in files beside it.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// A fresh folder under the test output with the game, its fonts and, when
// given, a settings file.
std::filesystem::path prepareGameFolder(const std::string& name, const std::string& settingsText = "");

struct GameProcess {
    std::filesystem::path dir;
    std::string name; // its output goes to NAME.out and NAME.err
    // What runs: the game copied into dir unless set (tests of the test
    // helpers run stand-ins).
    std::filesystem::path program;
    pid_t pid = -1;
    bool started = false;
    int exitCode = -1;

    GameProcess(std::filesystem::path folder, std::string runName);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // env: extra "NAME=value" entries on top of the test's own environment.
    bool start(const std::vector<std::string>& args, const std::vector<std::string>& env = {});
    std::string out() const;
    std::string err() const;
    // Collects the exit once the process has ended; exitCode is then set
    // (-1 when it did not exit normally).
    bool ended();
    void kill(int signal);
};

std::string readTextFile(const std::filesystem::path& path);
bool waitUntil(std::chrono::seconds limit, const std::function<bool()>& done);
// Exit code once the game ends within the time, -1 otherwise (it is then killed).
int waitForExit(GameProcess& game, std::chrono::seconds limit);
