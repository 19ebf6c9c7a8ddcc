// Text drawing and measuring with a font's glyphs looked up in a table.
// raylib's DrawTextEx and MeasureTextEx search the font's glyph list from the
// start for every character (twice per drawn one), which is most of what a
// busy HUD frame spends on its thousands of characters. These do exactly
// what those two do, quad for quad and to the last bit of every coordinate,
// with the glyph of each ASCII character taken from a table made once per
// font; other characters are still found by raylib's search.
#pragma once
#include <raylib.h>

// DrawTextEx(font, text, position, size, spacing, tint).
void drawFontText(Font font, const char* text, Vector2 position, float size, float spacing, Color tint);
// MeasureTextEx(font, text, size, spacing).x.
float measureFontText(Font font, const char* text, float size, float spacing);
