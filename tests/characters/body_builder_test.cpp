// The built body's shorts: the seat at the back of the pelvis is shorts all
// over, for an average and for the heaviest build, even where the glutes
// bulge past the seat shape.
#include <gtest/gtest.h>

#include <cmath>
#include <raylib.h>

#include "characters/body_builder.h"
#include "characters/build_math.h"
#include "characters/character_model.h"
#include "characters/skeleton.h"

namespace {

// Colours told apart by their strongest channel, whatever the shading.
Appearance seatTestLook(float build) {
    Appearance look;
    look.skinColor = {200, 150, 110, 255};  // red strongest
    look.shortsColor = {30, 50, 220, 255};  // blue strongest
    look.trimColor = {40, 210, 60, 255};    // green strongest
    look.sockColor = {200, 200, 200, 255};
    look.height = 2.0f;
    look.build = build;
    return look;
}

class SeatOfTheShorts : public ::testing::TestWithParam<float> {};

TEST_P(SeatOfTheShorts, BackOfThePelvisIsShortsColoured) {
    CharacterModel m;
    applyAppearance(m, seatTestLook(GetParam()));
    Skeleton bind;
    poseSkeleton(bind, bodyMeasures(m), bindPose(), {0, 0, 0}, 0.0f, false);
    buildBody(m, bind);
    const BodyShapes shapes = makeBodyShapes(m, bind);
    const float s = shapes.s, b = m.build;
    const Vector3 hip = jointOrigin(bind.joints[JOINT_THIGH]);
    const float pY = jointOrigin(bind.joints[JOINT_PELVIS]).y;

    // Between the bottom of the glutes and the waistband, behind the hips.
    const float low = pY - 0.12f * s, high = shapes.topS - 0.045f * s;
    int seat = 0, skin = 0;
    const SkinData& k = m.bodySkin;
    for (size_t i = 0; i < k.bindPositions.size(); ++i) {
        const Vector3 p = k.bindPositions[i];
        if (p.y <= low || p.y >= high || p.z >= hip.z - 0.08f * b * s || std::fabs(p.x) > 0.15f * b * s) continue;
        const uint8_t* c = &m.body.colors[4 * i];
        ++seat;
        if (c[2] > c[0] && c[2] > c[1]) continue;
        if (skin++ == 0) ADD_FAILURE() << "first off-colour vertex at " << p.x << " " << p.y << " " << p.z;
    }
    EXPECT_GT(seat, 100);
    EXPECT_EQ(skin, 0) << "of " << seat << " seat vertices are not shorts-coloured";
}

INSTANTIATE_TEST_SUITE_P(AverageAndHeaviest, SeatOfTheShorts, ::testing::Values(1.0f, 1.20f));

} // namespace
