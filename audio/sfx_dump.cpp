// Emote sound dump: scale by the sound's peak, print its figures, export.
#include "audio/sfx_dump.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/audio.h"
#include "audio/audio_device.h"
#include "audio/sound_bank.h"

namespace {

constexpr float kDumpFullScale = 32767.0f;

Samples scaledToPeak(const Samples& samples, float peak) {
    Samples out(samples);
    for (float& s : out) s *= peak;
    return out;
}

std::vector<int16_t> toDumpPcm(const Samples& scaled) {
    std::vector<int16_t> pcm(scaled.size());
    for (size_t i = 0; i < scaled.size(); ++i)
        pcm[i] = (int16_t)(std::fmin(std::fmax(scaled[i], -1.0f), 1.0f) * kDumpFullScale);
    return pcm;
}

} // namespace

std::string emoteDumpLine(int emote, const Samples& scaled) {
    double sumSquares = 0.0;
    float peak = 0.0f;
    for (float s : scaled) {
        peak = std::max(peak, std::fabs(s));
        sumSquares += (double)s * s;
    }
    double rms = std::sqrt(sumSquares / (double)std::max<size_t>(scaled.size(), 1));
    char line[96];
    std::snprintf(line, sizeof line, "emote sfx %d: %.2fs peak %.2f rms %.3f\n", emote,
                  (double)scaled.size() / kSampleRate, (double)peak, rms);
    return line;
}

int dumpEmoteSounds(const std::vector<Samples>& bank, const std::string& folder) {
    int written = 0;
    for (int k = 0; k < kEmoteSoundCount; ++k) {
        SoundId id = emoteSoundId(k);
        if ((size_t)id >= bank.size()) break;
        Samples scaled = scaledToPeak(bank[(size_t)id], kBankPeaks[id]);
        std::fputs(emoteDumpLine(k, scaled).c_str(), stdout);
        std::vector<int16_t> pcm = toDumpPcm(scaled);
        std::string path = folder + "/emote" + std::to_string(k) + ".wav";
        if (audioDevice.exportWave(monoWave16(pcm), path.c_str())) ++written;
        else TraceLog(LOG_WARNING, "AUDIO: could not write %s", path.c_str());
    }
    std::fflush(stdout);
    return written;
}
