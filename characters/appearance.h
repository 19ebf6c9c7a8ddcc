// The look of one character: colours, hair, accessories, body measures and
// the jersey's number and texts. The roster holds one per player; the
// builder turns it into a CharacterModel.
#pragma once
#include <cstdint>
#include <string>
#include <raylib.h>

struct Appearance {
    Color skinColor = {0, 0, 0, 0};
    Color hairColor = {0, 0, 0, 0};
    Color jerseyColor = {0, 0, 0, 0};
    Color trimColor = {0, 0, 0, 0};
    Color jerseyTextColor = {0, 0, 0, 0};
    Color shortsColor = {0, 0, 0, 0};
    Color shoeColor = {0, 0, 0, 0};
    Color soleColor = {0, 0, 0, 0};
    Color sockColor = {0, 0, 0, 0};
    int32_t hairStyle = 1;
    uint8_t headPaintFlag = 0;
    uint8_t headband = 0;
    uint8_t sleeve = 0;
    uint8_t wristbands = 1;
    float height = 2.0f;
    float build = 1.0f;
    int32_t number = 0;
    std::string frontText;
    std::string backText;
};

