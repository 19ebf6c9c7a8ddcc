// The built program on a real ALSA playback device that discards its output
// (a null PCM given through ALSA_CONFIG_PATH): with KORVALO_SFXDUMP set it
// prints the eight emote lines and writes eight mono 16-bit 44100 Hz WAV
// files; with no device at all it runs silently and writes nothing.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const unsigned kEmoteLengths[8] = {70560, 70560, 88200, 105840, 83790, 66150, 61740, 66150};

struct ProgramRun {
    int exitCode = -1;
    std::string out;
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path freshFolder(const std::string& name) {
    fs::path dir = fs::path(KORVALO_TEST_OUTPUT_DIR) / name;
    fs::remove_all(dir);
    fs::create_directories(dir / "dump");
    return dir;
}

// Runs `korvalo --sim 1` with only ALSA to play through (PulseAudio is pointed
// at nothing) and the given ALSA configuration.
ProgramRun runProgram(const fs::path& dir, const std::string& alsaConfig) {
    std::ofstream(dir / "asound.conf") << alsaConfig;
    std::string cmd = "cd '" + dir.string() + "' && ALSA_CONFIG_PATH='" + (dir / "asound.conf").string() +
                      "' PULSE_SERVER=unix:/nonexistent/pulse KORVALO_SFXDUMP='" + (dir / "dump").string() + "' '" +
                      KORVALO_BINARY + "' --sim 1 > out.txt 2> err.txt";
    ProgramRun run;
    int status = std::system(cmd.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(dir / "out.txt");
    return run;
}

uint32_t le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= (uint32_t)(uint8_t)b[at + (size_t)i] << (8 * i);
    return v;
}

struct WavInfo {
    bool riff = false;
    uint32_t format = 0, channels = 0, rate = 0, bits = 0, frames = 0;
};

WavInfo readWav(const fs::path& p) {
    std::string b = readFile(p);
    WavInfo w;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return w;
    w.riff = true;
    for (size_t at = 12; at + 8 <= b.size();) {
        std::string id = b.substr(at, 4);
        uint32_t size = le(b, at + 4, 4);
        if (id == "fmt " && at + 24 <= b.size()) {
            w.format = le(b, at + 8, 2);
            w.channels = le(b, at + 10, 2);
            w.rate = le(b, at + 12, 4);
            w.bits = le(b, at + 22, 2);
        }
        if (id == "data") w.frames = std::min<uint32_t>(size, (uint32_t)(b.size() - at - 8)) / 2;
        at += 8 + size + (size & 1);
    }
    return w;
}

TEST(Program, DumpsTheEmoteSoundsThroughANullAlsaDevice) {
    fs::path dir = freshFolder("audio_null_device");
    ProgramRun run = runProgram(dir, "pcm.!default {\n    type null\n}\n");
    ASSERT_EQ(run.exitCode, 0) << readFile(dir / "err.txt");
    for (int k = 0; k < 8; ++k) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2fs peak ", kEmoteLengths[k] / 44100.0);
        std::string line = "emote sfx " + std::to_string(k) + ": " + seconds;
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;

        WavInfo w = readWav(dir / "dump" / ("emote" + std::to_string(k) + ".wav"));
        ASSERT_TRUE(w.riff) << k;
        EXPECT_EQ(w.format, 1u);
        EXPECT_EQ(w.channels, 1u);
        EXPECT_EQ(w.rate, 44100u);
        EXPECT_EQ(w.bits, 16u);
        EXPECT_EQ(w.frames, kEmoteLengths[k]) << k;
    }
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir / "dump")) files += entry.is_regular_file();
    EXPECT_EQ(files, 8);
}

TEST(Program, RunsSilentlyWithoutASoundDevice) {
    fs::path dir = freshFolder("audio_no_device");
    ProgramRun run = runProgram(dir, "# no playback device at all\n");
    ASSERT_EQ(run.exitCode, 0) << readFile(dir / "err.txt");
    EXPECT_EQ(run.out.find("emote sfx"), std::string::npos);
    EXPECT_NE(run.out.find("sim 1s"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::is_empty(dir / "dump"));
    // The warning goes to standard error; standard output keeps only the report.
    EXPECT_NE(readFile(dir / "err.txt").find("runs silently"), std::string::npos);
}

} // namespace
