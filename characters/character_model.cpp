// Character look bookkeeping shared by the builder and start-up.
#include "characters/character_model.h"

void applyAppearance(CharacterModel& model, const Appearance& look) {
    model.appearance = look;
    model.height = look.height;
    model.build = look.build;
}

CharacterModel characterModels[kCharacterCount];
