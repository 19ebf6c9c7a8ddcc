// Shared tools of the texture painters: RGBA images whose pixels are written
// directly, text stamped into images, and the upload of a painted image. Text
// needs a loaded font (raylib's built-in font exists only once the window is
// open); without one the text calls paint nothing, so the pixel work of every
// painter also runs without a window.
#pragma once
#include <raylib.h>

// An uninitialised width x height RGBA8 image (every painter writes every pixel).
Image newRgbaImage(int width, int height);
inline Color* imagePixels(const Image& image) { return (Color*)image.data; }

// The font to paint with: the given one when loaded, else raylib's built-in font.
Font paintFont(Font preferred);
inline bool fontLoaded(Font font) { return font.texture.id != 0 && font.glyphs != nullptr; }

// White text on transparent at the given size, letters spacing pixels apart;
// an empty image when the font is not loaded or the text is empty.
Image textImage(Font font, const char* text, float size, float spacing);
// Draws src tinted with its box centred on (cx, cy).
void drawImageCentred(Image& dst, const Image& src, float cx, float cy, Color tint);

// Text with a round outline: the outline colour at every integer offset within
// the radius, then the fill on top. trueType selects spacing 1 (a loaded TTF
// face) or size / 10 (the built-in font); hscale widens the text.
void drawTextOutlined(Image& target, Font font, bool trueType, const char* text, float cx, float cy,
                      float size, float hscale, Color fill, Color outline, int radius);

// Uploads the image (with mipmaps when asked), sets filter and wrap, frees it.
Texture2D uploadImageTexture(Image& image, bool mipmaps, int filter, int wrap);

// 4 x 4 white: the texture of untextured draws.
Texture2D makeWhiteTexture();
