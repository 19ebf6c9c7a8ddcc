// Settings file: reading with clamping, writing in a fixed line order.
#include "app/settings.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/text_numbers.h"

Settings settings;
Settings savedSettings;

namespace {

struct NumberKey {
    const char* key;
    int32_t Settings::*field;
    int32_t lo, hi;
};

// In file order; the file order differs from the memory order.
const NumberKey kNumberKeys[] = {
    {"oneOnOne", &Settings::oneOnOne, 0, 1},         {"fullCourt", &Settings::fullCourt, 0, 1},
    {"sprintToggle", &Settings::sprintToggle, 0, 1}, {"cameraMotion", &Settings::cameraMotion, 0, 2},
    {"tooltips", &Settings::tooltips, 0, 1},         {"mouseSens", &Settings::mouseSens, 1, 10},
    {"invertY", &Settings::invertY, 0, 1},           {"graphics", &Settings::graphics, 0, 2},
    {"difficulty", &Settings::difficulty, 0, 3},     {"gameTo", &Settings::gameTo, 0, 2},
    {"shotMeter", &Settings::shotMeter, 0, 1},       {"musicVol", &Settings::musicVol, 0, 10},
    {"sfxVol", &Settings::sfxVol, 0, 10},            {"fullscreen", &Settings::fullscreen, 0, 1},
};

constexpr int kLineBuffer = 256; // lines are read in pieces of at most 255 characters
constexpr int kMaxLinkHops = 40;
constexpr mode_t kNewFileMode = 0666; // less the umask, as for any new file
constexpr const char* kTempMark = ".tmp."; // "<file>.tmp.<pid>.<serial>" beside the file
// A save takes moments; a temporary this old is a leftover even where its
// process id says nothing (a save on another host sharing the folder, or in
// another pid namespace).
constexpr time_t kLeftoverAfterSeconds = 60;

// Length of the well-formed UTF-8 character at the start of `s` (shortest
// form, no surrogates, at most U+10FFFF), or 0.
size_t utf8Length(std::string_view s) {
    const auto b = [&](size_t i) { return (unsigned char)s[i]; };
    const unsigned char lead = b(0);
    if (lead < 0x80) return 1;
    size_t n = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (n == 0 || s.size() < n) return 0;
    for (size_t i = 1; i < n; ++i)
        if ((b(i) & 0xC0) != 0x80) return 0;
    if ((lead == 0xE0 && b(1) < 0xA0) || (lead == 0xED && b(1) > 0x9F) || (lead == 0xF0 && b(1) < 0x90) ||
        (lead == 0xF4 && b(1) > 0x8F))
        return 0;
    return n;
}

// The file a save replaces: the path itself, or what its chain of symbolic
// links finally names (a relative link is read from its own folder). False
// with errno set when the chain cannot be resolved: a loop, or a link that
// cannot be read.
bool followLinks(std::string& path) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        char target[4096];
        ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
        if (n < 0) return errno == EINVAL || errno == ENOENT; // a plain file, or nothing yet
        if (hop == kMaxLinkHops) break;
        target[n] = '\0';
        size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? std::string(target)
                                                              : path.substr(0, slash + 1) + target;
    }
    errno = ELOOP;
    return false;
}

bool allDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process id in a temporary's name "<base>.tmp.<pid>.<serial>", or 0 for
// any other name.
pid_t temporaryOwner(std::string_view name, std::string_view base) {
    const std::string_view mark = kTempMark;
    if (name.size() <= base.size() + mark.size() || name.substr(0, base.size()) != base ||
        name.substr(base.size(), mark.size()) != mark)
        return 0;
    const std::string_view rest = name.substr(base.size() + mark.size());
    const size_t dot = rest.find('.');
    if (dot == std::string_view::npos || rest[0] == '0' || !allDigits(rest.substr(0, dot)) ||
        !allDigits(rest.substr(dot + 1)))
        return 0;
    long long pid = 0;
    for (char c : rest.substr(0, dot)) {
        pid = pid * 10 + (c - '0');
        if (pid > INT_MAX) return 0;
    }
    return (pid_t)pid;
}

// No such process: a process of another user still counts as running.
bool processGone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

// A save killed between writing its temporary and the rename leaves the
// temporary behind. Those of processes that no longer run, and written over
// a minute ago, are removed; nothing else in the folder is touched. Failures
// change nothing.
void removeDeadTemporaries(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "./" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const int savedErrno = errno;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const pid_t owner = temporaryOwner(e->d_name, base);
            if (owner <= 0 || owner == getpid() || !processGone(owner)) continue;
            const std::string path = dir + e->d_name;
            struct stat st {};
            if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                time(nullptr) - st.st_mtime > kLeftoverAfterSeconds)
                unlink(path.c_str());
        }
        closedir(d);
    }
    errno = savedErrno;
}

// Writes the text to a fresh file beside `target` and renames it over; false
// with errno set on failure, leaving no temporary behind.
bool replaceFile(const std::string& target, const std::string& text) {
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    // The permission bits as well as access(): root may write any file.
    if (exists && ((existing.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0)) {
        errno = EACCES;
        return false;
    }
    static std::atomic<unsigned> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = target + kTempMark + std::to_string(getpid()) + "." + std::to_string(serial++);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = !exists || fchmod(fd, existing.st_mode & 07777) == 0;
    for (size_t done = 0; ok && done < text.size();) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += (size_t)n;
    }
    ok = ok && fsync(fd) == 0; // on disk before it takes the old file's place
    int error = ok ? 0 : (errno ? errno : EIO);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        errno = error;
    }
    return ok;
}

} // namespace

std::string cleanAlias(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const unsigned char c = (unsigned char)text[0];
        const size_t n = c < 0x20 || c == 0x7F ? 0 : utf8Length(text);
        if (n > 0 && out.size() + n > (size_t)kAliasMaxLength) break;
        out.append(text.substr(0, n));
        text.remove_prefix(n > 0 ? n : 1);
    }
    return out;
}

void readSettings(Settings& s, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return;
    bool sawMouseSens = false;
    char line[kLineBuffer];
    while (std::fgets(line, sizeof line, f)) {
        char* eq = std::strchr(line, '=');
        if (!eq) continue;
        *eq = '\0';
        char* value = eq + 1;
        size_t n = std::strlen(value);
        while (n > 0 && (value[n - 1] == '\n' || value[n - 1] == '\r')) value[--n] = '\0';
        if (std::strcmp(line, "alias") == 0) {
            s.alias = cleanAlias(std::string_view(value, n));
            continue;
        }
        for (const NumberKey& k : kNumberKeys) {
            if (std::strcmp(line, k.key) == 0) {
                s.*k.field = parseIntSaturating(value);
                if (k.field == &Settings::mouseSens) sawMouseSens = true;
                break;
            }
        }
    }
    std::fclose(f);
    for (const NumberKey& k : kNumberKeys) {
        int32_t& v = s.*k.field;
        if (v < k.lo) v = k.lo;
        if (v > k.hi) v = k.hi;
    }
    // A file from before the graphics levels existed: start at the top level.
    if (!sawMouseSens) s.graphics = 0;
}

std::string formatSettings(const Settings& s) {
    std::string out;
    char buf[64];
    for (const NumberKey& k : kNumberKeys) {
        std::snprintf(buf, sizeof buf, "%s=%d\n", k.key, (int)(s.*k.field));
        out += buf;
    }
    out += "alias=" + cleanAlias(s.alias) + "\n"; // never a line break of its own
    return out;
}

bool saveSettings(const Settings& s, const std::string& path) {
    std::string target = path;
    // A link that leads nowhere stays a link: saving over it would put a
    // plain file in its place.
    if (followLinks(target)) {
        removeDeadTemporaries(target);
        if (replaceFile(target, formatSettings(s))) return true;
    }
    static std::atomic<bool> told{false};
    if (!told.exchange(true))
        std::fprintf(stderr, "Can't save the settings to %s: %s. They will not be kept.\n", path.c_str(),
                     std::strerror(errno));
    return false;
}
