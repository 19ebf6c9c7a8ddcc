// Fonts and text drawing on the 1280x720 UI canvas: a condensed title face, a
// bold UI face, and the built-in font when neither file loads. The UI face is
// drawn larger than its nominal size (x1.3 below 15, else x1.08).
#pragma once
#include <string>
#include <vector>
#include <raylib.h>

struct UiFonts {
    Font titleFace = {};
    Font uiFace = {};
    Font fallbackFace = {};
};

extern UiFonts uiFonts;

constexpr int kTitleFontPixels = 128;
constexpr int kUiFontPixels = 64;

// Effective drawn size of the UI face for a nominal size.
float effectiveUiSize(float size);

// First path that exists and loads as a real font (not raylib's built-in
// stand-in); an all-zero Font when none does.
Font loadFirstFont(const std::vector<std::string>& paths, int pixelSize);
// The candidate lists: system faces first, then the files beside the program.
std::vector<std::string> titleFontCandidates();
std::vector<std::string> uiFontCandidates();
void loadFonts();
void loadFontsFrom(const std::vector<std::string>& titleList, const std::vector<std::string>& uiList);

Font uiFont();
Font titleFont();

float measureUiText(const char* text, float size);
void drawUiText(const char* text, float x, float y, float size, Color color);
float measureTitleText(const char* text, float size);
void drawTitleText(const char* text, float x, float y, float size, Color color);
void drawUiTextShadow(const char* text, float x, float y, float size, Color color, float offset, Color shadow);
void drawUiTextOutline(const char* text, float x, float y, float size, Color color, Color outline, int radius);
void drawUiTextCentered(const char* text, float x, float y, float size, Color color, bool shadow);
void drawUiTextRight(const char* text, float x, float y, float size, Color color, bool shadow);
void drawTitleTextOutlined(const char* text, float x, float y, float size, Color color);
// The big extruded title: depth layers, a dark outline, then the face through
// the chrome text shader. Style 0 is the steel look, 1 the violet one.
void drawChromeTitle(const char* text, float x, float y, float size, int style, Color depthColor);
// Number of extrusion layers drawn for a title size.
int chromeDepthLayers(float size);
