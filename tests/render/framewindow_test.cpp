#include "render/framewindow.h"
#include "render/framewindow_detail.h"
#include "render/framewindow_menu.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

namespace {
const std::vector<PixelType> g_frame(400 * 240, 0x123456);
void Send(SDL_Event event)
{
    SDL_PushEvent(&event), FrameWindowUpdate(g_frame.data());
}
void Key(SDL_Keycode key, Uint16 mod = 0, Uint8 repeat = 0)
{
    SDL_Event event{SDL_KEYDOWN};
    event.key.repeat = repeat, event.key.keysym.sym = key, event.key.keysym.mod = mod;
    Send(event);
}
void Click(Uint8 button, int x, int y)
{
    SDL_Event event{SDL_MOUSEBUTTONDOWN};
    event.button.button = button, event.button.x = x, event.button.y = y;
    Send(event);
}
Uint32 Fullscreen()
{
    return SDL_GetWindowFlags(FrameWindowSdlWindow()) & SDL_WINDOW_FULLSCREEN_DESKTOP;
}
int Width()
{
    int width = 0;
    SDL_GetWindowSize(FrameWindowSdlWindow(), &width, nullptr);
    return width;
}
} // namespace
// Held keys do not repeat a toggle or a zoom, Ctrl or Alt with a digit is not a zoom key,
// fullscreen is the desktop's own size, and a click beside the menu or a new size closes it.
TEST(FrameWindow, KeysAndClicksToggleFullscreenZoomAndTheMenu)
{
    FrameWindowOpen("Keys", 400, 240);
    // {key, modifiers, repeat, width}
    const int zooms[][4] = {{SDLK_2, KMOD_LCTRL, 0, 400}, {SDLK_2, KMOD_LALT, 0, 400},
                            {SDLK_2, 0, 1, 400},          {SDLK_KP_2, 0, 0, 800},
                            {SDLK_1, 0, 0, 400},          {SDLK_KP_4, 0, 0, 1600}};
    for (const auto& [key, mod, repeat, width] : zooms) {
        Key(key, static_cast<Uint16>(mod), static_cast<Uint8>(repeat));
        EXPECT_EQ(Width(), width) << key << ' ' << mod << ' ' << repeat;
    }
    Key(SDLK_F11, 0, 1);
    EXPECT_EQ(Fullscreen(), 0U);
    Key(SDLK_F11);
    EXPECT_EQ(Fullscreen(), static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
    Key(SDLK_KP_ENTER, KMOD_LALT);
    EXPECT_EQ(Fullscreen(), 0U);
    Click(SDL_BUTTON_RIGHT, 10, 10), Click(SDL_BUTTON_LEFT, 10, 10);
    EXPECT_TRUE(FrameWindowMenu().IsOpen());
    Click(SDL_BUTTON_LEFT, 10 + ZOOM_MENU_WIDTH, 10);
    EXPECT_FALSE(FrameWindowMenu().IsOpen());
    SDL_Event resized{SDL_WINDOWEVENT};
    resized.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    Click(SDL_BUTTON_RIGHT, 10, 10), Send(resized);
    EXPECT_FALSE(FrameWindowMenu().IsOpen());
    FrameWindowClose();
}
