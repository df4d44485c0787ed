// The renderer path (any video driver but X11's, e.g. SDL_VIDEODRIVER set by
// the user) shows exactly the pixels drawn into the screen buffer.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gdi/raster.h"
#include "platform/host/sdl/sdl_host.h"

namespace host {
namespace {

TEST(SdlRendererPresent, ShowsEveryRowOfAFilledAndStripedScreen) {
    // SDL's own environment variables win over the host's choice of driver.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("DISPLAY", ":unused", 1);  // the host asks for a desktop first
    // Software rendering needs no EGL, which would leave what it keeps for
    // the process behind when SDL unloads it.
    setenv("SDL_VIDEO_EGL_DRIVER", "none", 1);
    SdlHost host;
    std::string error;
    ASSERT_TRUE(host.Open("sdl-renderer-test", &error)) << error;
    ASSERT_NE(host.VideoDriver(), "x11");
    constexpr int kWidth = 64, kHeight = 48;
    gdi::Surface* screen = host.ScreenBuffer(kWidth, kHeight);
    ASSERT_NE(screen, nullptr);
    // A whole-screen fill with columns over it, as a page of stripes draws.
    gdi::raster::FillRect(*screen, RECT{0, 0, kWidth, kHeight}, 0x336699);
    for (int x = 0; x < kWidth; x += 2) screen->AddColumn(x, 3, kHeight - 5, 0xFF0000);
    host.Present({0, 0, kWidth, kHeight});

    SDL_Renderer* renderer = SDL_GetRenderer(host.window());
    ASSERT_NE(renderer, nullptr);
    std::vector<gdi::Pixel> shown(kWidth * kHeight);
    const SDL_Rect area{0, 0, kWidth, kHeight};
    ASSERT_EQ(SDL_RenderReadPixels(renderer, &area, SDL_PIXELFORMAT_RGB888, shown.data(), kWidth * 4), 0)
        << SDL_GetError();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool column = x % 2 == 0 && y >= 3 && y < kHeight - 5;
            ASSERT_EQ(shown[y * kWidth + x] & 0xFFFFFF, column ? 0xFF0000u : 0x336699u) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace host
