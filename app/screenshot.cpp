#include "app/screenshot.h"

#include <cstdio>
#include <raylib.h>

#include "render/renderer.h"

namespace {

// The graded scene keeps the alpha its blends left behind; a saved picture
// must not look partly transparent in a viewer.
void makeOpaque(Image& image) {
    ImageFormat(&image, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8);
    unsigned char* px = static_cast<unsigned char*>(image.data);
    const long count = (long)image.width * image.height;
    for (long i = 0; i < count; ++i) px[4 * i + 3] = 255;
}

} // namespace

bool saveScreenshot(const std::string& path) {
    Image image = LoadImageFromTexture(renderer.uiTarget.texture);
    if (image.data == nullptr) {
        std::fprintf(stderr, "korvalo: could not read the frame for %s\n", path.c_str());
        return false;
    }
    ImageFlipVertical(&image); // render textures are stored upside down
    makeOpaque(image);
    const bool ok = ExportImage(image, path.c_str());
    UnloadImage(image);
    if (!ok) std::fprintf(stderr, "korvalo: could not write the picture %s\n", path.c_str());
    return ok;
}
