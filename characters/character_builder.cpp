// buildCharacter and the builder threads.
#include "characters/character_builder.h"

#include <system_error>
#include <raymath.h>

#include "characters/body_builder.h"
#include "characters/character_skinning.h"
#include "characters/head_builder.h"
#include "characters/skeleton.h"

void buildCharacter(CharacterModel& model, const Appearance& look) {
    applyAppearance(model, look);
    Skeleton bind;
    poseSkeleton(bind, bodyMeasures(model), bindPose(), {0, 0, 0}, 0.0f, false);
    for (int j = 0; j < JOINT_COUNT; ++j) model.inverseBind[j] = MatrixInvert(bind.joints[j]);
    buildBody(model, bind);
    // The skinning's grouping, made here on the builder's thread rather than at upload.
    model.bodyGroups = groupSkin(model.bodySkin);
    model.jerseyGroups = groupSkin(model.jerseySkin);
    buildHead(model);
    for (int side = 0; side < 2; ++side) buildHand(model, side);
    // Both shoes have the same shape and colours, so the second is the first.
    buildShoe(model, 0);
    model.shoe[1] = model.shoe[0];
}

std::vector<std::thread> startCharacterBuilders(CharacterModel* models, const Appearance* looks, int n,
                                                std::atomic<int>* finished) {
    std::vector<std::thread> threads;
    threads.reserve(n > 0 ? (size_t)n : 0);
    for (int i = 0; i < n; ++i) {
        auto build = [model = &models[i], look = looks[i], finished] {
            buildCharacter(*model, look);
            if (finished) finished->fetch_add(1);
        };
        // A thread that cannot be started: that character is built here and now.
        try {
            threads.emplace_back(build);
        } catch (const std::system_error&) {
            build();
        }
    }
    return threads;
}

void joinCharacterBuilders(std::vector<std::thread>& threads) {
    for (std::thread& t : threads)
        if (t.joinable()) t.join();
    threads.clear();
}
