// On X11 the screen is composed straight into the window's image, which SDL
// replaces after a size change, maybe at the same address.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/gdi/raster.h"
#include "platform/host/sdl/sdl_host.h"
#include "tests/e2e/screen_image.h"
#include "tests/xserver/xvfb_server.h"

TEST(SdlX11Image, EveryNewImageShowsTheWholePictureAndOnlyDamageIsSent) {
    std::string error;
    auto server = xtest::XvfbServer::Start(&error, "320x240x24", {"-br"});  // a black root
    ASSERT_TRUE(server) << error;
    setenv("DISPLAY", server->DisplayName().c_str(), 1);
    host::SdlHost host;
    ASSERT_TRUE(host.Open("sdl-x11-image-test", &error)) << error;
    host.WindowPlaced({0, 0, 320, 240, true});
    int window_w = 320, window_h = 240;
    const auto resize = [&](int w, int h) { SDL_SetWindowSize(host.window(), window_w = w, window_h = h); };
    // As the framework does, stripes over a fill (waiting in the buffer) are composed whole into a new
    // buffer. They show where window and buffer overlap, in the window's image if the sizes agree.
    const gdi::Surface* last = nullptr;
    const auto frame = [&](int w, int h) {
        gdi::Surface* screen = host.ScreenBuffer(w, h);
        const bool whole = screen != last;
        if (whole) gdi::raster::FillRect(*screen, RECT{0, 0, w, h}, 0x336699);
        for (int x = 0; whole && x < w; x += 2) screen->AddColumn(x, 0, h, 0xFF0000);
        host.Present(whole ? gdi::Rect{0, 0, w, h} : gdi::Rect{});
        const void* image = SDL_GetWindowSurface(host.window())->pixels;
        EXPECT_EQ(std::as_const(*(last = screen)).row(0) == image, w == window_w && h == window_h);
        const e2e::Image on_screen = e2e::CaptureRoot(server->DisplayName());
        for (int i = 0; i < 320 * 240; ++i) {
            const int x = i % 320, y = i / 320, inside = x < w && x < window_w && y < h && y < window_h;
            ASSERT_EQ(on_screen.pixels.at(i), inside ? x % 2 ? 0x336699u : 0xFF0000u : 0u) << x << "," << y;
        }
    };
    frame(320, 240);
    // A pixel changed outside the damage waits for its own.
    gdi::raster::FillRect(*host.ScreenBuffer(320, 240), RECT{0, 0, 320, 240}, 0);
    host.Present({0, 0, 1, 1});
    const e2e::Image partly = e2e::CaptureRoot(server->DisplayName());
    EXPECT_EQ(partly.pixels.at(0) + partly.pixels.at(1), 0x336699u);
    resize(100, 50), resize(320, 240), frame(320, 240);   // a new image before the next frame
    resize(100, 50), resize(320, 240), SDL_PumpEvents();  // after it: one frame is asked for
    SDL_Event quit{SDL_QUIT};
    SDL_PushEvent(&quit);
    int lost = 0;
    for (host::Event e; host.WaitEvent(e) && e.type != host::Event::kQuit;)
        lost += e.type == host::Event::kPictureLost;
    EXPECT_EQ(lost, 1);
    frame(320, 240);
    // Copied at a size the window has not taken (yet), composed in its image again at its own.
    for (int i = 0; i < 4; ++i) frame(i % 2 ? 320 : 200, i % 2 ? 240 : 100);
    resize(100, 50), resize(200, 100), frame(320, 240);
}
