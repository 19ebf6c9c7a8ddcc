// The rollback netcode of an online match. Every client runs the whole
// deterministic simulation in net ticks of 1/60 s (one stepMatchFrame, two
// simulation ticks) with the inputs of all four slots:
//
// - the local input of a tick is sampled just before that tick runs and sent
//   at once, each record once;
// - a remote input that has not arrived is predicted from that player's
//   newest one, held buttons only, so no press repeats;
// - a late input that differs from what was used restores the snapshot taken
//   at the start of its tick and re-simulates up to the present (at most 127
//   ticks back), and the picture glides to the corrected state;
// - the host sends its snapshot and hash every 120 ticks, and a client whose
//   own hash of that tick differs adopts the host's state;
// - a client more than 50 ticks ahead of its confirmed inputs stalls, and one
//   running more than two ticks ahead of the others slows its clock a little.
//
// The first `delay` ticks are neutral for everybody. A dropped player stays
// human up to the tick the server announced and is played by the CPU from
// the next one, on every client alike.
#pragma once
#include <cstdint>

#include "net/party.h"
#include "sim/camera.h"
#include "sim/match_state.h"

constexpr float kNetTickSeconds = 1.0f / 60.0f;
constexpr int kMaxNetTicksPerFrame = 8;
constexpr float kTickAccumulatorCap = 0.25f;
constexpr int32_t kStallAhead = 50;         // unconfirmed ticks before the match waits
constexpr int32_t kMaxRollbackTicks = 127;  // the snapshot ring, less the tick being written
constexpr int32_t kResyncInterval = 120;
constexpr int32_t kFirstResyncTick = 60;
constexpr double kDriftThresholdTicks = 2.0;
constexpr double kDriftGain = 0.03;
constexpr double kDriftMaxSlowdown = 0.25; // seconds per second of frame time
constexpr int32_t kDesyncTick = 500;       // KORVALO_DESYNC: where a guest is pushed off
constexpr float kDesyncShift = 0.7f;
constexpr int32_t kNetLogTicks = 3000;     // KORVALO_NETLOG: ticks written

// Called when the party's match begins, after the match state is set up for
// it (seed, teams, local index = ownSlot, target).
void startNetMatch(NetParty& party, MatchState& match);
// When the match is left.
void stopNetMatch(NetParty& party);

// The input `tick` uses for `slot`: neutral before the delay, the received or
// produced record when there is one (bytes 0-5), else the prediction.
void getInputForTick(const NetParty& party, int slot, int32_t tick, NetInput& out);
// One net tick: snapshot first, then the inputs, the step and the hash.
// `resim` is set while a rollback re-simulates.
void simulateNetTick(NetParty& party, MatchState& match, int32_t tick, bool resim);
// Restores the state at the start of `tick` and re-simulates up to the
// present; the visible jump becomes a smoothing offset. A snapshot that does
// not load changes nothing and gives false.
bool rollbackTo(NetParty& party, MatchState& match, int32_t tick, const uint8_t* snapshot, size_t size);
// Once per in-match frame of an online match, in place of the offline
// driver. While pausedOrOver the local player's input is neutral; the match
// itself never stops. `look` turns the frame's mouse movement into the view.
// The match's events of re-simulated ticks are dropped; the caller plays the
// rest after this step, as offline.
void updateNetSession(NetParty& party, MatchState& match, float dt, const RawInput& frame, bool pausedOrOver,
                      const CameraOptions& look);
