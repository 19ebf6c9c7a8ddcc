// The game's painted textures: ball, court floor, jersey, crowd atlas,
// advertising strip and hanging banner (the white texture is in image_paint.h).
// Each paint... function does the pixel work in memory and returns the image
// (caller frees it); text steps need a loaded font and are skipped without
// one. Each make... function paints, uploads and frees the image: main thread.
#pragma once
#include <raylib.h>

// Ball: 512 x 256 equirectangular leather with dark seams.
constexpr int kBallTextureWidth = 512;
constexpr int kBallTextureHeight = 256;
constexpr Color kBallSeamColor = {22, 16, 14, 255};
Image paintBallImage();
Texture2D makeBallTexture();

// Court floor: 2048 x 3150 pixels covering x in [-13, 13] and z in
// [-7.27, 32.73] of the court frame; row 0 is the near end (smallest z).
constexpr int kCourtTextureWidth = 2048;
constexpr int kCourtTextureHeight = 3150;
constexpr float kCourtPixelsPerMetre = 78.76923f;
constexpr float kCourtWidth = 26.0f;
constexpr float kCourtLength = 40.0f;
constexpr float kCourtStartZ = -7.27f;
constexpr Color kCourtLineColor = {247, 244, 237, 255};
// Court-frame x of a pixel column and z of a pixel row (their centres).
inline float courtColumnX(int column) { return (column + 0.5f) / kCourtPixelsPerMetre - kCourtWidth / 2; }
inline float courtRowZ(int row) { return (row + 0.5f) / kCourtPixelsPerMetre + kCourtStartZ; }
// Wood, paint and lines; no text.
Image paintCourtImage(Color primary, Color secondary);
// The centre logo and the team text behind both baselines, in the title font
// when it is loaded, else the built-in font.
void paintCourtText(Image& court, const char* teamText, Font titleFont);
Texture2D makeCourtTexture(Color primary, Color secondary, const char* teamText, float* courtWidth,
                           float* courtLength, float* startZ, Font titleFont);

// Jersey: 512 x 384, the back on the left half, the front on the right.
constexpr int kJerseyTextureWidth = 512;
constexpr int kJerseyTextureHeight = 384;
// Cloth, side stripes and collar; no text.
Image paintJerseyImage(Color primary, Color secondary);
// Number and names, filled with the text colour and outlined in secondary.
void paintJerseyText(Image& jersey, Color secondary, Color textColor, int number, const char* frontText,
                     const char* backText, Font font);
Texture2D makeJerseyTexture(Color primary, Color secondary, Color textColor, int number,
                            const char* frontText, const char* backText, Font font);

// Crowd atlas: 8 x 6 cells of 64 x 128 pixels, one spectator per cell on
// transparent black.
constexpr int kCrowdColumns = 8;
constexpr int kCrowdRows = 6;
constexpr int kCrowdCellWidth = 64;
constexpr int kCrowdCellHeight = 128;
Image paintCrowdAtlasImage();
Texture2D makeCrowdAtlas(int* columns, int* rows);

// Advertising strip: 2048 x 64 LED board of sponsor names (built-in font).
constexpr int kAdBoardWidth = 2048;
constexpr int kAdBoardHeight = 64;
Image paintAdBoardImage();
Texture2D makeAdBoardTexture();

// Hanging banner: 128 x 256 with an accent bar and a pennant-cut bottom.
constexpr int kBannerWidth = 128;
constexpr int kBannerHeight = 256;
Image paintBannerImage(Color background, Color accent, const char* title, const char* subtitle);
Texture2D makeBannerTexture(Color background, Color accent, const char* title, const char* subtitle);
