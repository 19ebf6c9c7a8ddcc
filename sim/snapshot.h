// The match snapshot: a fixed 6340-byte little-endian image of everything in
// a MatchState that decides the course of the match, for rollback (saved and
// restored every frame) and for resynchronisation (sent by the host). The
// byte offsets are a wire format shared by every peer.
//
// hashMatchState is the cheap 32-bit fingerprint peers compare each tick.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct MatchState;

constexpr size_t kSnapshotSize = 6340;
constexpr uint32_t kSnapshotMagic = 0x4B535431; // "KST1" read last byte first

// One image; a caller that reuses its buffers allocates only once.
using MatchSnapshot = std::vector<uint8_t>;

// Writes the image; resizes `out` only when it is not already 6340 bytes.
// Bytes between fields are zero, so equal states give equal images.
void saveSnapshot(const MatchState& state, MatchSnapshot& out);

// Restores the image into `state`. Refuses it (false, state untouched) unless
// it is exactly 6340 bytes with the right magic and every value lies where a
// match can take it (indices, enumerations, finite numbers within the match's
// reach): an image may come off the network, and whatever is admitted must
// play on and give images that are admitted again.
// Mirrors the court first when the image lies on the other end of a full
// court. The roster and model pointers and everything outside the image
// (camera, callouts, emotes, settings of the match) are kept.
bool loadSnapshot(MatchState& state, const uint8_t* bytes, size_t length);

// FNV-1a over the fields that peers must agree on, including each player's
// posed left hand: take it after the skeletons are posed.
uint32_t hashMatchState(const MatchState& state);
