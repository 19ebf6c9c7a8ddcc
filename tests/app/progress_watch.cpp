#include "tests/app/progress_watch.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr auto kLookEvery = std::chrono::milliseconds(200);
constexpr auto kReapWithin = std::chrono::seconds(5);
// A slow machine is never a failure: a game silent for this long is stuck.
constexpr auto kStuckAfter = std::chrono::seconds(180);

// A game that played its run to the end: status 0 after its summary line.
bool finishedItsRun(const GameProcess& game) {
    const std::string out = game.out();
    return game.exitCode == 0 && (out.rfind("DONE ", 0) == 0 || out.find("\nDONE ") != std::string::npos);
}

std::string endText(const GameProcess& game) {
    return game.exitCode >= 0 ? "exit status " + std::to_string(game.exitCode) : std::string("killed by a signal");
}

} // namespace

void ProgressWatch::add(GameProcess& game) { games_.push_back({&game, false, "", Clock::now()}); }

void ProgressWatch::addHelper(const std::string& name, std::function<std::string()> trouble) {
    helpers_.push_back({name, std::move(trouble)});
}

void ProgressWatch::removeHelper(const std::string& name) {
    helpers_.erase(std::remove_if(helpers_.begin(), helpers_.end(), [&](const Helper& h) { return h.name == name; }),
                   helpers_.end());
}

void ProgressWatch::kill(GameProcess& game, int signal) {
    for (Watched& w : games_)
        if (w.game == &game) w.endExpected = true;
    game.kill(signal);
}

fs::path ProgressWatch::framesFile(const GameProcess& game) { return game.dir / (game.name + ".frames"); }

bool ProgressWatch::waitFor(const std::function<bool()>& done) {
    for (;;) {
        if (done()) return true;
        if (failed_) return false; // said once is enough
        const std::string wrong = problem();
        if (!wrong.empty()) {
            ADD_FAILURE() << wrong << "\n" << everyGamesText();
            failed_ = true;
            endEveryGame();
            return false;
        }
        const bool anyRunning =
            std::any_of(games_.begin(), games_.end(), [](Watched& w) { return w.game->started && !w.game->ended(); });
        if (!anyRunning) return done();
        std::this_thread::sleep_for(kLookEvery);
    }
}

int ProgressWatch::exitCodeOf(GameProcess& game) { return waitFor([&] { return game.ended(); }) ? game.exitCode : -1; }

void ProgressWatch::endEveryGame() {
    for (Watched& w : games_) {
        w.endExpected = true;
        w.game->kill(SIGKILL);
        waitUntil(kReapWithin, [&] { return w.game->ended(); });
    }
}

std::string ProgressWatch::problem() {
    for (Watched& w : games_) {
        GameProcess& game = *w.game;
        if (!game.started) continue;
        if (game.ended()) {
            if (!w.endExpected && !finishedItsRun(game))
                return game.name + " ended before the run was done with it (" + endText(game) + ")";
        } else if (stuck(w)) {
            return game.name + " printed nothing and drew no frame for " + std::to_string(kStuckAfter.count()) +
                   " s (frames: " + readTextFile(framesFile(game)) + ")";
        }
    }
    for (const Helper& h : helpers_) {
        const std::string trouble = h.trouble();
        if (!trouble.empty()) return h.name + " gave up: " + trouble;
    }
    return {};
}

bool ProgressWatch::stuck(Watched& w) {
    std::error_code ignored;
    const std::string mark = std::to_string(fs::file_size(w.game->dir / (w.game->name + ".out"), ignored)) + "/" +
                             readTextFile(framesFile(*w.game));
    const auto now = Clock::now();
    if (mark != w.mark) {
        w.mark = mark;
        w.since = now;
        return false;
    }
    return now - w.since >= kStuckAfter;
}

std::string ProgressWatch::everyGamesText() const {
    std::string text;
    for (const Watched& w : games_) {
        const GameProcess& game = *w.game;
        text += "--- " + game.name + (game.started ? "" : " (never started)") + ", output:\n" + game.out() +
                "--- " + game.name + ", error text:\n" + game.err();
    }
    return text;
}
