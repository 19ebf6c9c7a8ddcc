#include "tests/app/game_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;
namespace fs = std::filesystem;

fs::path prepareGameFolder(const std::string& name, const std::string& settingsText) {
    const fs::path dir = fs::path(KORVALO_TEST_OUTPUT_DIR) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path binary(KORVALO_BINARY);
    fs::copy_file(binary, dir / "korvalo");
    fs::copy(binary.parent_path() / "fonts", dir / "fonts", fs::copy_options::recursive);
    if (!settingsText.empty()) std::ofstream(dir / "korvalo_settings.cfg") << settingsText;
    return dir;
}

std::string readTextFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

GameProcess::GameProcess(fs::path folder, std::string runName) : dir(std::move(folder)), name(std::move(runName)) {}

GameProcess::~GameProcess() {
    if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool GameProcess::start(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    std::vector<std::string> argText = args;
    argText.insert(argText.begin(), (program.empty() ? dir / "korvalo" : program).string());
    std::vector<char*> argv;
    for (std::string& a : argText) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText(env);
    for (char** e = environ; *e; ++e) envText.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, (dir / (name + ".out")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, (dir / (name + ".err")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int failed = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    if (failed) pid = -1;
    started = !failed;
    return started;
}

std::string GameProcess::out() const { return readTextFile(dir / (name + ".out")); }
std::string GameProcess::err() const { return readTextFile(dir / (name + ".err")); }

bool GameProcess::ended() {
    if (pid <= 0) return true;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) return false;
    pid = -1;
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

void GameProcess::kill(int signal) {
    if (pid > 0) ::kill(pid, signal);
}

bool waitUntil(std::chrono::seconds limit, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return done();
}

int waitForExit(GameProcess& game, std::chrono::seconds limit) {
    if (waitUntil(limit, [&] { return game.ended(); })) return game.exitCode;
    game.kill(SIGKILL);
    waitUntil(std::chrono::seconds(5), [&] { return game.ended(); });
    return -1;
}
