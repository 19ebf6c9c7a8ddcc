// The hand-chosen keyframe values of the action poses and the emotes, all in
// one place. The action poses decide where the hands are, and the hand points
// enter the match state hash, so peers on different builds only agree when
// these numbers agree: any change here breaks online play between versions.
//
// Angles in radians, times in seconds; pairs are (side 0, side 1). Side 1 is
// the right hand, the ball hand of shots and one-handed dunks.
#pragma once

struct ArmKey {
    float shoulderPitch, shoulderRaise, elbowBend;
};

struct ActionPoseKeys {
    // jump shot: ball gathered at the chest, then the shooting arm (side 1)
    // rises and straightens while the guide arm (side 0) stays up
    ArmKey shotGather[2];
    ArmKey shotAimStart, shotAimEnd, shotGuide;
    float shotRiseSeconds;
    float shotReleasedElbow;
    float shotAirHip, shotAirKnee, shotAirAnkle;
    // layup in the air: the leading knee drives up
    float layupAirHip[2];
    float layupFreeElbow;
    float layupReleaseSeconds;
    // dunks: arms swung back in the crouch, then overhead by variant
    float dunkCrouchElbow;
    ArmKey dunkTwoHands;
    ArmKey dunkOneHandBall, dunkOneHandFree;
    ArmKey dunkTomahawkBall, dunkTomahawkFree;
    float dunkTomahawkCockedElbow;
    float dunkAirAnkle;
    // hanging on the rim and plain jumps
    float hangShoulderRaise, hangElbow;
    float airborneElbow;
    // stumble after a charge: a lurch around the idle stance
    float wobbleTrunkPitch, wobbleTrunkRoll, wobbleShoulderPitch, wobbleShoulderRaise, wobbleHeadPitch;
    // sitting down after broken ankles
    float sitKnee, sitElbow;
    // knocked down: when he starts to get up and how long it takes
    float getUpStart, getUpSeconds;
    // pass: both arms push out over the pass
    ArmKey passStart, passEnd;
    // steal reach with the stealSide arm
    ArmKey stealReach;
    float stealTrunkPitch, stealTrunkTwist;
    // dribble moves
    float crossoverRoll, crossoverDrop;
    float spinTrunkPitch, spinElbow;
    float stepBackDrop, stepBackLean;
};

constexpr ActionPoseKeys kActionPoseKeys = {
    .shotGather = {{0.95f, 0.25f, 1.55f}, {0.9f, 0.2f, 1.7f}},
    .shotAimStart = {1.75f, 0.2f, 1.9f},
    .shotAimEnd = {2.9f, 0.12f, 0.3f},
    .shotGuide = {2.05f, 0.4f, 1.25f},
    .shotRiseSeconds = 0.25f,
    .shotReleasedElbow = 0.1f,
    .shotAirHip = 0.15f,
    .shotAirKnee = 0.3f,
    .shotAirAnkle = 0.45f,
    .layupAirHip = {0.15f, 1.35f},
    .layupFreeElbow = 0.5f,
    .layupReleaseSeconds = 0.15f,
    .dunkCrouchElbow = 0.3f,
    .dunkTwoHands = {2.85f, 0.25f, 0.5f},
    .dunkOneHandBall = {3.0f, 0.1f, 0.15f},
    .dunkOneHandFree = {1.0f, 0.8f, 0.6f},
    .dunkTomahawkBall = {3.05f, 0.1f, 0.2f},
    .dunkTomahawkFree = {1.4f, 0.6f, 0.5f},
    .dunkTomahawkCockedElbow = 1.7f,
    .dunkAirAnkle = 0.5f,
    .hangShoulderRaise = 0.15f,
    .hangElbow = 0.2f,
    .airborneElbow = 0.2f,
    .wobbleTrunkPitch = -0.3f,
    .wobbleTrunkRoll = 0.18f,
    .wobbleShoulderPitch = 0.4f,
    .wobbleShoulderRaise = 0.9f,
    .wobbleHeadPitch = 0.3f,
    .sitKnee = 0.35f,
    .sitElbow = 0.2f,
    .getUpStart = 1.1f,
    .getUpSeconds = 0.45f,
    .passStart = {1.0f, 0.3f, 1.3f},
    .passEnd = {1.3f, 0.2f, 0.15f},
    .stealReach = {1.35f, 0.3f, 0.1f},
    .stealTrunkPitch = 0.3f,
    .stealTrunkTwist = 0.25f,
    .crossoverRoll = 0.18f,
    .crossoverDrop = 0.04f,
    .spinTrunkPitch = 0.15f,
    .spinElbow = 1.4f,
    .stepBackDrop = 0.07f,
    .stepBackLean = -0.12f,
};

struct EmotePoseKeys {
    // "LET'S GO!": the turning stance and the tucked jump
    float letsGoStagger[2];
    float letsGoElbow[2];
    float letsGoJumpAnkle;
    // "MY BAD": the idle legs follow the slump
    float myBadSpread, myBadStagger;
    // "OOF": the kicking legs swing in opposite phase; the lifted arm
    int oofArmSide;
    // "GG": the bow, straightening up, the raised hand and the wave
    float ggBowTrunk, ggBowHead;
    float ggStraightenStart, ggStraightenSeconds;
    float ggHandStart, ggHandSeconds;
    ArmKey ggHand;
    float ggWave;
};

constexpr EmotePoseKeys kEmotePoseKeys = {
    .letsGoStagger = {0.02f, -0.02f},
    .letsGoElbow = {0.3f, 0.1f},
    .letsGoJumpAnkle = 0.4f,
    .myBadSpread = 0.07f,
    .myBadStagger = 0.03f,
    .oofArmSide = 1,
    .ggBowTrunk = 0.4f,
    .ggBowHead = 0.25f,
    .ggStraightenStart = 0.9f,
    .ggStraightenSeconds = 0.5f,
    .ggHandStart = 0.25f,
    .ggHandSeconds = 0.35f,
    .ggHand = {1.5f, 0.3f, 0.9f},
    .ggWave = 0.25f,
};
