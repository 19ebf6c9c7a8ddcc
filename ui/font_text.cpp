// DrawTextEx and MeasureTextEx with a glyph table (see font_text.h).
#include "ui/font_text.h"

#include <cstring>

namespace {

constexpr int kTableSize = 128; // the ASCII characters
constexpr int kTables = 4;      // more fonts than the game ever draws with at once

struct GlyphTable {
    const GlyphInfo* glyphs = nullptr; // the font it was made for
    const Rectangle* recs = nullptr;
    int glyphCount = 0, baseSize = 0;
    unsigned int textureId = 0;
    int index[kTableSize] = {};
};

GlyphTable tables[kTables];
int nextTable = 0;

bool madeFor(const GlyphTable& t, const Font& font) {
    return t.glyphs == font.glyphs && t.recs == font.recs && t.glyphCount == font.glyphCount &&
           t.baseSize == font.baseSize && t.textureId == font.texture.id;
}

// The font's table, made with raylib's own search (with its fallback to
// '?') the first time the font is seen.
const GlyphTable& tableFor(const Font& font) {
    for (const GlyphTable& t : tables)
        if (madeFor(t, font)) return t;
    GlyphTable& t = tables[nextTable];
    nextTable = (nextTable + 1) % kTables;
    t.glyphs = font.glyphs;
    t.recs = font.recs;
    t.glyphCount = font.glyphCount;
    t.baseSize = font.baseSize;
    t.textureId = font.texture.id;
    for (int c = 0; c < kTableSize; ++c) t.index[c] = GetGlyphIndex(font, c);
    return t;
}

struct Glyph {
    int codepoint, bytes, index;
};

// GetCodepointNext and GetGlyphIndex of the character at text.
Glyph nextGlyph(const GlyphTable& table, const Font& font, const char* text) {
    const unsigned char first = (unsigned char)text[0];
    if (first < kTableSize) return {first, 1, table.index[first]};
    Glyph g = {0, 0, 0};
    g.codepoint = GetCodepointNext(text, &g.bytes);
    g.index = GetGlyphIndex(font, g.codepoint);
    return g;
}

// DrawTextCodepoint with the glyph already found.
void drawGlyph(const Font& font, int index, Vector2 position, float fontSize, Color tint) {
    const float scaleFactor = fontSize / font.baseSize;
    const GlyphInfo& glyph = font.glyphs[index];
    const Rectangle& rec = font.recs[index];
    const float padding = (float)font.glyphPadding;
    const Rectangle dstRec = {position.x + glyph.offsetX * scaleFactor - padding * scaleFactor,
                              position.y + glyph.offsetY * scaleFactor - padding * scaleFactor,
                              (rec.width + 2.0f * font.glyphPadding) * scaleFactor,
                              (rec.height + 2.0f * font.glyphPadding) * scaleFactor};
    const Rectangle srcRec = {rec.x - padding, rec.y - padding, rec.width + 2.0f * font.glyphPadding,
                              rec.height + 2.0f * font.glyphPadding};
    DrawTexturePro(font.texture, srcRec, dstRec, {0, 0}, 0.0f, tint);
}

} // namespace

void drawFontText(Font font, const char* text, Vector2 position, float fontSize, float spacing, Color tint) {
    if (font.texture.id == 0) font = GetFontDefault();
    // A line break moves down by raylib's line spacing, which only raylib knows.
    if (!text || std::strchr(text, '\n') || !IsFontValid(font)) {
        DrawTextEx(font, text, position, fontSize, spacing, tint);
        return;
    }
    const GlyphTable& table = tableFor(font);
    const int size = (int)std::strlen(text);
    const float scaleFactor = fontSize / font.baseSize;
    float textOffsetX = 0.0f;
    for (int i = 0; i < size;) {
        const Glyph g = nextGlyph(table, font, &text[i]);
        if (g.codepoint != ' ' && g.codepoint != '\t')
            drawGlyph(font, g.index, {position.x + textOffsetX, position.y + 0.0f}, fontSize, tint);
        const float advance = font.glyphs[g.index].advanceX == 0 ? (float)font.recs[g.index].width
                                                                  : (float)font.glyphs[g.index].advanceX;
        textOffsetX += (advance * scaleFactor + spacing);
        i += g.bytes;
    }
}

float measureFontText(Font font, const char* text, float fontSize, float spacing) {
    if (font.texture.id == 0 || text == nullptr || text[0] == '\0') return 0.0f;
    if (!IsFontValid(font)) return MeasureTextEx(font, text, fontSize, spacing).x;
    const GlyphTable& table = tableFor(font);
    const int size = (int)std::strlen(text);
    int tempByteCounter = 0, byteCounter = 0; // characters on the longest line
    float textWidth = 0.0f, tempTextWidth = 0.0f;
    const float scaleFactor = fontSize / (float)font.baseSize;
    for (int i = 0; i < size;) {
        byteCounter++;
        const Glyph g = nextGlyph(table, font, &text[i]);
        i += g.bytes;
        if (g.codepoint != '\n') {
            if (font.glyphs[g.index].advanceX > 0) textWidth += font.glyphs[g.index].advanceX;
            else textWidth += (font.recs[g.index].width + font.glyphs[g.index].offsetX);
        } else {
            if (tempTextWidth < textWidth) tempTextWidth = textWidth;
            byteCounter = 0;
            textWidth = 0;
        }
        if (tempByteCounter < byteCounter) tempByteCounter = byteCounter;
    }
    if (tempTextWidth < textWidth) tempTextWidth = textWidth;
    return tempTextWidth * scaleFactor + (float)((tempByteCounter - 1) * spacing);
}
