// Watches the games of an online end-to-end run, and the test's own helpers
// (a lobby visitor, a hostile member), while the run waits for something.
// A slow machine is never a failure; the wait fails, reporting the output and
// error text of every game, as soon as
//   - a game ends before the run is done with it: with a non-zero status, by
//     a signal, or without its DONE line (a NETERROR, say); only a game the
//     test ends on purpose may do so;
//   - a helper says it has given up (it could not join, say);
//   - a running game has neither printed a line nor drawn a frame (its
//     driver counts them into KORVALO_NETFRAMES) for three minutes.
#pragma once
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/app/game_process.h"

class ProgressWatch {
public:
    void add(GameProcess& game);
    // trouble() says why the helper gave up, or nothing while all is well.
    void addHelper(const std::string& name, std::function<std::string()> trouble);
    void removeHelper(const std::string& name);
    // The game is ended on purpose: its end fails no wait.
    void kill(GameProcess& game, int signal);
    // The file the game's driver keeps its frame count in.
    static std::filesystem::path framesFile(const GameProcess& game);

    // Until done() holds: false when every game has ended without done(),
    // or when the run cannot get there: the failure is then reported, every
    // game ended, and later waits fail at once unless already done.
    bool waitFor(const std::function<bool()>& done);
    // The game's exit code once it ends; -1 when the wait failed.
    int exitCodeOf(GameProcess& game);

private:
    using Clock = std::chrono::steady_clock;
    struct Watched {
        GameProcess* game;
        bool endExpected = false;
        std::string mark; // its output's length and frame count when last seen
        Clock::time_point since;
    };
    struct Helper {
        std::string name;
        std::function<std::string()> trouble;
    };

    // What is wrong with the run now, or nothing.
    std::string problem();
    bool stuck(Watched& w);
    std::string everyGamesText() const;
    void endEveryGame();

    std::vector<Watched> games_;
    std::vector<Helper> helpers_;
    bool failed_ = false;
};
