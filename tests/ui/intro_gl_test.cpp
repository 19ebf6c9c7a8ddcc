// The intro on a real GL context: frames at fixed intro times come out the
// same in two separate runs of the program (the second drawing them in reverse
// order), and are not blank. The pictures stay under the build tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <raylib.h>

#include "app/anim_clock.h"
#include "render/renderer.h"
#include "ui/fonts.h"
#include "ui/intro.h"
#include "tests/test_window.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kRunDirVariable = "KORVALO_INTRO_RUN_DIR";
// Grey logo, the spark, the tongue, the colour wave, the word landing, the
// caption, the hold with LOADING, the fade-out.
constexpr float kTimes[] = {0.5f, 1.2f, 1.6f, 2.2f, 2.45f, 3.3f, 4.0f, 4.6f};
constexpr int kTimeCount = (int)(sizeof kTimes / sizeof kTimes[0]);

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path framePath(const fs::path& dir, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "intro_%04d.png", (int)(kTimes[i] * 1000 + 0.5f));
    return dir / name;
}

// The canvas keeps the alpha of its last blends; the window shows it opaque.
void saveFrame(const fs::path& path) {
    Image image = LoadImageFromTexture(renderer.uiTarget.texture);
    ImageFlipVertical(&image);
    auto* rgba = static_cast<unsigned char*>(image.data);
    for (int p = 0; p < image.width * image.height; ++p) rgba[4 * p + 3] = 255;
    ExportImage(image, path.c_str());
    UnloadImage(image);
}

// One run: a hidden window, the renderer and the fonts, then the frames,
// drawn in reverse order when asked. The intro loop starts the animation
// clock with the intro, so both read the same time here.
void renderFrames(const fs::path& dir, bool reverse) {
    openTestWindow(1280, 720, "intro", FLAG_WINDOW_HIDDEN);
    initRenderer(renderer);
    const std::string fonts = fs::path(KORVALO_BINARY).parent_path().string() + "/fonts/";
    loadFontsFrom({fonts + "Anton-Regular.ttf"}, {fonts + "FiraSans-Bold.ttf"});
    for (int k = 0; k < kTimeCount; ++k) {
        const int i = reverse ? kTimeCount - 1 - k : k;
        animClock = kTimes[i];
        drawIntro(kTimes[i], kTimes[i] >= 4.0f && kTimes[i] < 4.4f);
        saveFrame(framePath(dir, i));
    }
    unloadIntro();
    unloadIntro(); // a second unload does nothing
    CloseWindow();
}

TEST(IntroPictures, FramesAtFixedTimesAreTheSameInTwoRuns) {
    if (const char* dir = std::getenv(kRunDirVariable)) {
        renderFrames(dir, fs::path(dir).filename() == "run2");
        return;
    }
    const fs::path root = fs::path(KORVALO_TEST_OUTPUT_DIR) / "intro";
    for (const char* run : {"run1", "run2"}) {
        fs::remove_all(root / run);
        fs::create_directories(root / run);
        const std::string command = std::string(kRunDirVariable) + "=" + (root / run).string() + " " +
                                    fs::read_symlink("/proc/self/exe").string() +
                                    " --gtest_filter=IntroPictures.FramesAtFixedTimesAreTheSameInTwoRuns";
        ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
    }
    for (int i = 0; i < kTimeCount; ++i) {
        const std::string a = readFile(framePath(root / "run1", i)), b = readFile(framePath(root / "run2", i));
        // Not blank: a flat picture would compress to a few kilobytes.
        EXPECT_GT(a.size(), 100000u) << framePath(root / "run1", i);
        EXPECT_TRUE(a == b) << "intro time " << kTimes[i];
    }
}

} // namespace
