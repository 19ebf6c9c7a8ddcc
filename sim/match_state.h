// The whole state of one match in one flat record, and the fixed roster.
//
// Everything that decides the course of a match lives in MatchState and is
// driven only by its own xorshift32 generator, so the rollback netcode can
// save, restore and re-simulate it. The renderer, the HUD and the netcode read
// it by pointer. Roster and character models outlive every match; a match
// only points at them (the only pointers in the record are `arena`, and
// `roster` and `model` of each player).
//
// The match reads no global of the program: what it takes from the settings
// and run flags is copied in (MatchSettings), and what it wants played goes
// out as events (sim/match_events.h).
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <raylib.h>

#include "characters/appearance.h"
#include "characters/skeleton.h"
#include "sim/callout.h"
#include "sim/match_events.h"
#include "sim/player_input.h"

struct CharacterModel;
struct MatchArena;

enum MatchPhase : int32_t {
    PHASE_OPENING = 0,
    PHASE_CHECK_BALL = 1,
    PHASE_LIVE = 2,
    PHASE_DEAD_BALL = 3,
    PHASE_OVER = 4,
};

enum BallPhase : int32_t {
    BALL_HELD = 0,
    BALL_SHOT = 1,
    BALL_PASS = 2,
    BALL_LOOSE = 3,
    BALL_DEAD = 4,
};

enum ActionState : int32_t {
    ACT_MOVE = 0,
    ACT_JUMP_SHOT = 1,
    ACT_FINISH = 2,
    ACT_DUNK = 3,
    ACT_HANG = 4,
    ACT_PASS = 5,
    ACT_STEAL = 6,
    ACT_AIRBORNE = 7,
    ACT_STUMBLE = 8,
    ACT_DRIBBLE_MOVE = 9,
    ACT_LANDING = 10,
    ACT_ALLEY_OOP = 11,
    ACT_CELEBRATE = 12,
    ACT_KNOCKED_DOWN = 13,
    ACTION_STATE_COUNT = 14,
};

// Rating slots, in roster order.
enum Rating {
    RATING_SPEED = 0,
    RATING_SHOOTING = 1,
    RATING_THREE = 2,
    RATING_DUNK = 3,
    RATING_DEFENSE = 4,
    RATING_HANDLES = 5,
    RATING_STEAL = 6,
    RATING_BLOCK = 7,
    RATING_COUNT = 8,
};

struct RosterPlayer {
    const char* first = nullptr;
    const char* last = nullptr;
    const char* position = nullptr;
    Appearance look;
    float ratings[RATING_COUNT] = {};
};

struct Team {
    const char* name = nullptr;
    const char* code = nullptr;
    const char* city = nullptr;
    Color primary = {0, 0, 0, 0};
    Color secondary = {0, 0, 0, 0};
    Color third = {0, 0, 0, 0};
    RosterPlayer players[2];
};

constexpr int kRosterTeams = 4;
extern Team teams[kRosterTeams];

struct Player {
    int32_t index = 0, team = 0, slot = 0;
    uint8_t present = 1;
    const RosterPlayer* roster = nullptr;
    const CharacterModel* model = nullptr; // drawn by the renderer; the match never reads it
    BodyMeasures measures;                 // his roster look's height and build
    float ratings[RATING_COUNT] = {};
    Skeleton skeleton;
    Pose pose;
    Vector3 pos = {0, 0, 0}, vel = {0, 0, 0};
    float yaw = PI;
    float rootHeight = 0, vertSpeed = 0;
    uint8_t airborne = 0;
    int32_t action = ACT_MOVE;
    float actionTimer = 0;
    float energy = 1;
    uint8_t sprinting = 0, sprintLatched = 0;
    float idleStickTime = 0;
    uint8_t hasBall = 0;
    Vector3 moveWish = {0, 0, 0};
    uint8_t sprintWanted = 0, faceTarget = 0;
    Vector3 facePoint = {0, 0, 0};
    // shot state
    float releaseTiming = 0, cpuReleaseTiming = 1, gatherSpeed = 0;
    uint8_t tookOff = 0, released = 0, shootHeld = 0, moveDecided = 0;
    // geometry of actions
    Vector3 releasePos = {0, 0, 0}, dunkStart = {0, 0, 0}, dunkApproach = {0, 0, 0}, jukeDir = {0, 0, 0};
    int32_t moveKind = 0, dunkVariant = 0;
    float jukeStartYaw = 0, hangHeight = 0;
    // cooldowns
    float jukeCooldown = 0, stealCooldown = 0, passTimer = 0, dribblePhase = 0;
    int32_t ballHand = 1;
    float runPhase = 0;
    uint8_t stance = 0, boxingOut = 0, helpSide = 0, blockJump = 0;
    float stanceTime = 0, offBalance = 0, contest = 0, chargeCooldown = 0;
    int32_t stealSide = 1, stumbleKind = 0;
    uint8_t ballSide = 0;
    // CPU state
    float aiTimer = 0, aiSpotTimer = 0, reactionTimer = -1, receivedAt = -10, cutTimer = 0;
    Vector3 aiSpot = {0, 0, 0}, homeSpot = {0, 0, 0}, checkSpot = {0, 0, 0};
    int32_t matchup = -1;
    uint8_t cutting = 0, driving = 0;
    // box score
    int32_t points = 0, fga = 0, fgm = 0, tpa = 0, tpm = 0;
    int32_t rebounds = 0, assists = 0, steals = 0, blocks = 0, dunks = 0;
    float squeakCooldown = 0;
    Vector3 prevVel = {0, 0, 0};
};

struct BallState {
    int32_t phase = BALL_DEAD;
    Vector3 pos = {0, 1, 5}, vel = {0, 0, 0}, prevPos = {0, 0, 0};
    Quaternion spinRot = {0, 0, 0, 1};
    Vector3 spin = {0, 0, 0};
    int32_t holder = -1, shooter = -1, passFrom = -1, passTo = -1;
    int32_t possessionTeam = 0;
    int32_t lastPasser = -1;
    float launchTime = -10, flightTime = 0;
    int32_t shootingTeam = 0, shotValue = 2;
    uint32_t blockTried = 0;
    int32_t interceptTried = 0;
    uint8_t rimTouched = 0, unclearedAtRelease = 0, checkPass = 0, lob = 0;
    uint8_t shotRebound = 0, dunk = 0, finishRelease = 0, perfectRelease = 0;
    float ballContactCooldown = 0;
};

// A damped spring of the first-person camera: value and velocity.
struct CameraSpring {
    float value = 0, velocity = 0;
};

// First-person camera motion: presentation only, never saved or hashed.
struct CameraMotion {
    uint8_t initialised = 0;
    Vector3 eye = {0, 0, 0}; // smoothed eye point
    float eyeYVel = 0;       // velocity of the eye height spring
    CameraSpring height, pitch, yaw, roll;
    Vector3 accel = {0, 0, 0};   // smoothed acceleration of the local player
    Vector3 lastVel = {0, 0, 0}; // his velocity in the previous frame
    float leanPitch = 0, leanRoll = 0;
    float bob = 0;
    float trauma = 0;
    uint8_t airborneLatch = 0;
    float takeoffSpeed = 0;
    float pendingTrauma = 0;
    Vector3 pendingKick = {0, 0, 0};
    Vector3 pushOut = {0, 0, 0};
    Vector3 shake = {0, 0, 0}; // shake offset of the chase camera
    uint32_t joltRng = 0x2545F491u; // the camera's own random jolts (xorshift32)
};

// What a match takes from the user's settings and the run flags.
struct MatchSettings {
    int32_t difficulty = 1;              // CPU level: 0 ROOKIE, 1 PRO, 2 ALL-STAR, 3 LEGEND
    uint8_t oneOnOne = 0, fullCourt = 0; // fixed when the match starts
    uint8_t sprintToggle = 1;            // the sprint button latches (0: hold to sprint)
    int32_t cameraMotion = 2;            // first-person camera motion: 0 off, 1 subtle, 2 full
    uint8_t playByPlayLog = 0;           // every callout is also printed ("--log")
};

struct MatchState {
    Player players[4];
    BallState ball;
    float ballContactCooldown2 = 0;
    MatchArena* arena = nullptr;
    int32_t teams[2] = {0, 1};
    int32_t scores[2] = {0, 0};
    int32_t offense = 0;
    uint8_t mustClear = 0;
    float shotClock = 24;
    int32_t phase = PHASE_OPENING;
    float phaseTimer = 0;
    int32_t nextOffense = 0;
    uint8_t checkPassDone = 0;
    int32_t checker = -1, checkHandler = -1;
    int32_t localIndex = 0;
    uint32_t humanMask = 0;
    uint8_t online = 0;
    uint32_t rng = 1;
    std::string aliases[4];
    int32_t emoteId[4] = {-1, -1, -1, -1};
    float emoteTime[4] = {0, 0, 0, 0};
    int32_t gameTo = 21;
    Camera3D camera = {{0, 0, 0}, {0, 0, 0}, {0, 1, 0}, 0, CAMERA_PERSPECTIVE};
    CameraMotion cam;
    std::vector<Callout> callouts;
    float excitement = 0.25f;
    float accumulator = 0;
    float clock = 0;
    // shot feedback of the local player
    float meterShow = 0, releaseTiming = 0, releaseAge = 10;
    int32_t releaseGrade = 0;
    int32_t winner = -1;
    float presentTime = 0; // presentation clock, advanced per frame
    float slowMotion = 0;
    float tipsToast = 0;
    uint8_t oneOnOne = 0, fullCourt = 0, flipped = 0;
    float chaseBlend = 0;
    Vector3 chasePos = {0, 0, 0}, chaseTarget = {0, 0, 0};
    Vector3 chasePosSmooth = {0, 0, 0}, chaseTargetSmooth = {0, 0, 0};
    float chaseFov = 42;
    uint8_t localHadBall = 0;   // ball-received cue: had the ball last frame
    float ballReceivedAge = 10; // seconds since the local player received the ball
    float eyeYaw = PI, eyePitch = -0.12f, eyeFov = 70;
    uint8_t autopilot = 0;
    // The settings in force (MatchSettings without the mode and court, which
    // are oneOnOne and fullCourt above); refreshed by applyMatchSettings.
    int32_t difficulty = 1;
    uint8_t sprintToggle = 1;
    int32_t cameraMotion = 2;
    uint8_t playByPlayLog = 0;
    // The front end's animation clock as of this frame, set by the frame
    // before it steps the match: offline poses and the camera shake follow it.
    float frontEndClock = 0;
    // Sounds and music cues since the frame last played them, in order.
    std::vector<MatchEvent> events;
    Vector3 eyePoint = {0, 0, 0}; // copy of the last eye point (mirrored by flipCourt)
    int32_t lastScorer = -1;
};

// The global match of the offline game.
extern MatchState matchState;

void initTeams();
void initMatchState(MatchState& state, int teamA, int teamB, int localIndex,
                    const CharacterModel* const models[4], MatchArena* arena, int target, uint32_t seed,
                    const MatchSettings& settings);
// Takes changed settings into a running match; its mode and court stay.
void applyMatchSettings(MatchState& state, const MatchSettings& settings);
void emoteCameraKick(MatchState& state, int emote);

inline bool isHuman(const MatchState& s, int i) { return (s.humanMask >> i) & 1u; }
