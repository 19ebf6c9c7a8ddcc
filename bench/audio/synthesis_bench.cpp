// Start-up synthesis time of all audio content (target: under 0.5 s on one
// core in a Release build, so it never holds up the intro), with the parts
// timed on their own to show where the time goes.
#include <benchmark/benchmark.h>

#include "app/program_random.h"
#include "audio/audio_synthesis.h"
#include "audio/crowd.h"
#include "audio/music.h"
#include "audio/sound_bank.h"

namespace {

void BM_SynthesiseEverything(benchmark::State& state) {
    for (auto _ : state) {
        programSrand(1);
        AudioContent content = synthesiseAudio();
        benchmark::DoNotOptimize(content.bank.data());
    }
}
BENCHMARK(BM_SynthesiseEverything)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SoundBank(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<Samples> bank = synthSoundBank();
        benchmark::DoNotOptimize(bank.data());
    }
}
BENCHMARK(BM_SoundBank)->Unit(benchmark::kMillisecond);

void BM_Render(benchmark::State& state, Samples (*render)()) {
    for (auto _ : state) {
        Samples s = render();
        benchmark::DoNotOptimize(s.data());
    }
}
Samples menuMusic() { return composeMusic(menuSong()); }
Samples matchMusic() { return composeMusic(matchSong()); }
BENCHMARK_CAPTURE(BM_Render, menu_music, menuMusic)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Render, match_music, matchMusic)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Render, crowd_loop, synthCrowdLoop)->Unit(benchmark::kMillisecond);

} // namespace
