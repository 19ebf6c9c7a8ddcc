// Fuzz entry for loadSnapshot, run by snapshot_test over fixed inputs and by
// libFuzzer with clang (snapshot_fuzzer). An input of exactly one image's
// size is loaded as it is; any other input picks one of a few real images
// (both modes, both courts, several moments of a match) and patches it, so
// that most inputs are images worth loading. Every image that loads must
// play on for a second with finite numbers, and the match's own image after
// that second must load again: a rollback must always be able to restore it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "sim/match_driver.h"
#include "sim/snapshot.h"
#include "tests/sim/sim_fixture.h"

namespace {

constexpr int kFramesPlayed = 60;
constexpr int kBaseMoments[] = {120, 700, 1500};
constexpr size_t kPatchBytes = 7; // offset (2), how to read the value (1), value (4)
// Scores and box-score tallies only count up, a few a second: a match takes
// days to come near their limit, so images already near it are not played.
constexpr uint32_t kTallyLimit = 1u << 24, kTallyHeadroom = 1u << 16;
constexpr size_t kScores = 8, kPlayerTallies = 196 + 1480, kTalliesPerPlayer = 10, kPlayerBlock = 1536;

struct Base {
    std::unique_ptr<MatchState> state;
    MatchSnapshot image;
};

// Images of real matches: one-on-one or not, half or full court, a human in
// slot 0 or CPU players only, taken at a few moments.
const std::vector<Base>& bases() {
    static const std::vector<Base> all = [] {
        std::vector<Base> made;
        for (int mode = 0; mode < 4; ++mode) {
            const bool oneOnOne = mode & 1, fullCourt = mode & 2;
            auto s = std::make_unique<MatchState>();
            startTestMatch(*s, mode == 0 ? 0 : -1, oneOnOne, fullCourt, 11 + (uint32_t)mode);
            const PlayerInput idle[4] = {};
            int frame = 0;
            for (int moment : kBaseMoments) {
                for (; frame < moment; ++frame) stepMatchFrame(*s, idle);
                Base b{std::make_unique<MatchState>(*s), {}};
                saveSnapshot(*s, b.image);
                made.push_back(std::move(b));
            }
        }
        return made;
    }();
    return all;
}

uint32_t readU32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

bool talliesNearTheirLimit(const MatchSnapshot& image) {
    auto near = [&](size_t at) { return readU32(&image[at]) + kTallyHeadroom > kTallyLimit; };
    bool any = near(kScores) || near(kScores + 4);
    for (size_t i = 0; i < 4; ++i)
        for (size_t k = 0; k < kTalliesPerPlayer; ++k) any = any || near(kPlayerTallies + i * kPlayerBlock + 4 * k);
    return any;
}

// Each patch writes one value anywhere after the magic: raw bits, a number
// on a fine or a coarse grid (to land near the limits often), or one byte.
void applyPatch(MatchSnapshot& image, const uint8_t* patch) {
    const size_t at = 4 + (patch[0] | patch[1] << 8) % (kSnapshotSize - 7);
    const uint32_t bits = readU32(patch + 3);
    float value;
    switch (patch[2] % 4) {
    case 0: std::memcpy(&value, &bits, 4); break;
    case 1: value = (float)(int32_t)bits / 16777216.0f; break;
    case 2: value = (float)(int32_t)bits / 65536.0f; break;
    default: image[at] = (uint8_t)bits; return;
    }
    std::memcpy(&image[at], &value, 4);
}

// Inputs for the human slot, drawn from the fuzz bytes.
PlayerInput inputFrom(uint32_t word) {
    PlayerInput in;
    in.valid = 1;
    in.worldMoveX = (float)((int)(word & 0xFF) - 128) / 128.0f;
    in.worldMoveZ = (float)((int)(word >> 8 & 0xFF) - 128) / 128.0f;
    in.yaw = (float)(word >> 16 & 0xFF) / 40.0f - 3.2f;
    uint8_t* buttons[] = {&in.sprintDown, &in.shootPressed, &in.shootDown, &in.shootReleased, &in.passPressed,
                          &in.leftMousePressed, &in.rightMouseDown, &in.movePressed};
    for (int b = 0; b < 8; ++b) *buttons[b] = (word >> (24 + b)) & 1;
    return in;
}

void check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const Base& base = bases()[data[0] % bases().size()];
    MatchSnapshot image = base.image;
    if (size == kSnapshotSize) image.assign(data, data + size);
    else
        for (size_t p = 1; p + kPatchBytes <= size; p += kPatchBytes) applyPatch(image, data + p);

    auto state = std::make_unique<MatchState>(*base.state);
    const MatchSnapshot before = [&] {
        MatchSnapshot b;
        saveSnapshot(*state, b);
        return b;
    }();
    if (!loadSnapshot(*state, image.data(), image.size())) {
        MatchSnapshot after;
        saveSnapshot(*state, after);
        check(after == before); // a refused image changes nothing
        return 0;
    }
    if (talliesNearTheirLimit(image)) return 0;
    state->difficulty = data[0] / 32 % 4;
    PlayerInput inputs[4] = {};
    for (int frame = 0; frame < kFramesPlayed; ++frame) {
        const size_t at = (size_t)frame * 4 % size;
        inputs[0] = inputFrom(size >= 4 ? readU32(data + (at + 4 <= size ? at : 0)) : data[0]);
        stepMatchFrame(*state, inputs);
    }
    hashMatchState(*state);
    MatchSnapshot next;
    saveSnapshot(*state, next);
    auto restored = std::make_unique<MatchState>(*base.state);
    check(loadSnapshot(*restored, next.data(), next.size()));
    return 0;
}
