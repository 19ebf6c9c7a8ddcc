// The built program on a real ALSA playback device that discards its output
// (a null PCM given through ALSA_CONFIG_PATH): with KORVALO_SFXDUMP set it
// prints the eight emote lines and writes eight mono 16-bit 44100 Hz WAV
// files; with no device at all it runs silently and writes nothing.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const unsigned kEmoteLengths[8] = {70560, 70560, 88200, 105840, 83790, 66150, 61740, 66150};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs `korvalo --sim 1` in a fresh folder with only ALSA to play through
// (PulseAudio is pointed at nothing); returns the exit code.
int runProgram(const fs::path& dir, const std::string& alsaConfig) {
    fs::remove_all(dir);
    fs::create_directories(dir / "dump");
    std::ofstream(dir / "asound.conf") << alsaConfig;
    std::string cmd = "cd '" + dir.string() + "' && ALSA_CONFIG_PATH='" + (dir / "asound.conf").string() +
                      "' PULSE_SERVER=unix:/nonexistent/pulse KORVALO_SFXDUMP='" + (dir / "dump").string() + "' '" +
                      KORVALO_BINARY + "' --sim 1 > out.txt 2> err.txt";
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

uint32_t le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= (uint32_t)(uint8_t)b[at + (size_t)i] << (8 * i);
    return v;
}

TEST(Program, DumpsTheEmoteSoundsThroughANullAlsaDevice) {
    fs::path dir = fs::path(KORVALO_TEST_OUTPUT_DIR) / "audio_null_device";
    ASSERT_EQ(runProgram(dir, "pcm.!default {\n    type null\n}\n"), 0) << readFile(dir / "err.txt");
    std::string out = readFile(dir / "out.txt");
    for (int k = 0; k < 8; ++k) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2fs peak ", kEmoteLengths[k] / 44100.0);
        std::string line = "emote sfx " + std::to_string(k) + ": " + seconds;
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;

        // A plain 44-byte PCM header: format 1, mono, 44100 Hz, 16 bits, then the data chunk.
        std::string b = readFile(dir / "dump" / ("emote" + std::to_string(k) + ".wav"));
        ASSERT_EQ(b.size(), 44u + 2u * kEmoteLengths[k]) << k;
        EXPECT_EQ(b.substr(0, 4) + b.substr(8, 8) + b.substr(36, 4), "RIFFWAVEfmt data") << k;
        EXPECT_EQ(le(b, 20, 2), 1u);
        EXPECT_EQ(le(b, 22, 2), 1u);
        EXPECT_EQ(le(b, 24, 4), 44100u);
        EXPECT_EQ(le(b, 34, 2), 16u);
        EXPECT_EQ(le(b, 40, 4), 2u * kEmoteLengths[k]) << k;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "dump"), fs::directory_iterator{}), 8);
}

TEST(Program, RunsSilentlyWithoutASoundDevice) {
    fs::path dir = fs::path(KORVALO_TEST_OUTPUT_DIR) / "audio_no_device";
    ASSERT_EQ(runProgram(dir, "# no playback device at all\n"), 0) << readFile(dir / "err.txt");
    std::string out = readFile(dir / "out.txt");
    EXPECT_EQ(out.find("emote sfx"), std::string::npos);
    EXPECT_NE(out.find("sim 1s"), std::string::npos) << out;
    EXPECT_TRUE(fs::is_empty(dir / "dump"));
    // The warning goes to standard error; standard output keeps only the report.
    EXPECT_NE(readFile(dir / "err.txt").find("runs silently"), std::string::npos);
}

} // namespace
