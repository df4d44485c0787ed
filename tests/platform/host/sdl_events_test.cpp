#include "platform/host/sdl/sdl_events.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/host/sdl/sdl_screen_driver.h"
#include "platform/screen/devmode.h"

namespace host {
namespace {

SDL_Event Button(Uint32 type, Uint8 button, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event Key(SDL_Keycode sym, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = sym;
    e.key.repeat = repeat;
    return e;
}

TEST(SdlEvents, LeftButtonBecomesPressAndReleaseAtScreenPoint) {
    const WindowMapping at_origin;
    auto down = TranslateSdlEvent(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 420, 540), at_origin);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->type, Event::kMouseDown);
    EXPECT_EQ(down->x, 420);
    EXPECT_EQ(down->y, 540);
    auto up = TranslateSdlEvent(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 0, 0), at_origin);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->type, Event::kMouseUp);

    // Other buttons are not the framework's business.
    EXPECT_FALSE(TranslateSdlEvent(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 1), at_origin));
    EXPECT_FALSE(TranslateSdlEvent(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, 1), at_origin));
}

TEST(SdlEvents, PointsFollowWindowOriginAndDesktopScaling) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 101;
    motion.motion.y = 51;
    auto moved = TranslateSdlEvent(motion, WindowMapping{10, 20, 2.0, 2.0});
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->type, Event::kMouseMove);
    EXPECT_EQ(moved->x, 10 + 202);
    EXPECT_EQ(moved->y, 20 + 102);

    // A fractional scale rounds down: the pixel under the pointer's top-left corner.
    auto pressed =
        TranslateSdlEvent(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3, 3), WindowMapping{0, 0, 1.5, 1.5});
    ASSERT_TRUE(pressed);
    EXPECT_EQ(pressed->x, 4);
    EXPECT_EQ(pressed->y, 4);
}

TEST(SdlEvents, KeysTheBoxesUseAndNothingElse) {
    for (auto [sym, vk] : {std::pair{SDLK_RETURN, 0x0D},
                           {SDLK_KP_ENTER, 0x0D},
                           {SDLK_ESCAPE, 0x1B},
                           {SDLK_SPACE, 0x20},
                           {SDLK_TAB, 0x09}}) {
        auto key = TranslateSdlEvent(Key(sym), {});
        ASSERT_TRUE(key) << sym;
        EXPECT_EQ(key->type, Event::kKey);
        EXPECT_EQ(key->key, vk);
    }
    EXPECT_FALSE(TranslateSdlEvent(Key(SDLK_a), {}));
    // Holding Enter answers a box once, not once per repeat.
    EXPECT_FALSE(TranslateSdlEvent(Key(SDLK_RETURN, 1), {}));
}

TEST(SdlEvents, QuitAndWindowCloseAskToClose) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_TRUE(TranslateSdlEvent(quit, {}));
    EXPECT_EQ(TranslateSdlEvent(quit, {})->type, Event::kQuit);

    SDL_Event window{};
    window.type = SDL_WINDOWEVENT;
    window.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_TRUE(TranslateSdlEvent(window, {}));
    EXPECT_EQ(TranslateSdlEvent(window, {})->type, Event::kQuit);
    window.window.event = SDL_WINDOWEVENT_EXPOSED;  // the host repaints by itself
    EXPECT_FALSE(TranslateSdlEvent(window, {}));
}

// SDL's offscreen driver stands in for a compositor that owns the mode.
TEST(SdlScreenDriver, ReadsTheModeAndRefusesChanges) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << SDL_GetError();
    SdlScreenDriver driver;
    const screen::DisplayMode mode = driver.Current();
    EXPECT_GT(mode.width, 0);
    EXPECT_GT(mode.height, 0);
    EXPECT_EQ(driver.TestMode(mode), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.SetMode({1024, 768, 60, 32}), DISP_CHANGE_FAILED);

    int notified = 0;
    driver.SetChangeListener([&](const screen::DisplayMode&) { ++notified; });
    driver.Refresh();  // nothing changed since it was made
    EXPECT_EQ(notified, 0);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
}  // namespace host
