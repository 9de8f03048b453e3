#include "render/framewindow.h"
#include "render/framewindow_detail.h"
#include "render/framewindow_menu.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

// Sends one key (with modifiers and repeat), click (button at x, y) or window event, and lets
// the window handle it; returns the window's width and whether it is fullscreen and its menu open.
static std::vector<int> Send(Uint32 type, int a, int b = 0, int c = 0)
{
    static const std::vector<PixelType> frame(400 * 240);
    SDL_Event event{type};
    if (type == SDL_KEYDOWN)
        event.key.keysym.sym = a, event.key.keysym.mod = Uint16(b), event.key.repeat = Uint8(c);
    else if (type == SDL_MOUSEBUTTONDOWN)
        event.button.button = Uint8(a), event.button.x = b, event.button.y = c;
    else
        event.window.event = Uint8(a);
    SDL_PushEvent(&event), FrameWindowUpdate(frame.data());
    int width = 0;
    SDL_GetWindowSize(FrameWindowSdlWindow(), &width, nullptr);
    const Uint32 flags = SDL_GetWindowFlags(FrameWindowSdlWindow());
    return {width, (flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP,
            FrameWindowMenu().IsOpen()};
}
// Held keys repeat no zoom or toggle, Ctrl or Alt with a digit is no zoom key, fullscreen takes
// the desktop's size, and a click beside the menu or a new size closes it.
TEST(FrameWindow, KeysAndClicksZoomToggleFullscreenAndCloseTheMenu)
{
    FrameWindowOpen("Keys", 400, 240);
    constexpr Uint32 KEY = SDL_KEYDOWN, CLICK = SDL_MOUSEBUTTONDOWN, RIGHT = SDL_BUTTON_RIGHT;
    const struct
    {
        Uint32 type;
        int a, b, c;
        std::vector<int> after; // width, fullscreen, menu open
    } steps[] = {{KEY, SDLK_2, KMOD_LCTRL, 0, {400, 0, 0}},
                 {KEY, SDLK_2, KMOD_LALT, 0, {400, 0, 0}},
                 {KEY, SDLK_2, 0, 1, {400, 0, 0}},
                 {KEY, SDLK_KP_2, 0, 0, {800, 0, 0}},
                 {KEY, SDLK_KP_4, 0, 0, {1600, 0, 0}},
                 {KEY, SDLK_F11, 0, 1, {1600, 0, 0}},
                 {KEY, SDLK_F11, 0, 0, {1024, 1, 0}},
                 {KEY, SDLK_KP_ENTER, KMOD_LALT, 0, {1024, 0, 0}},
                 {KEY, SDLK_1, 0, 0, {400, 0, 0}},
                 {CLICK, RIGHT, 10, 10, {400, 0, 1}},
                 {CLICK, SDL_BUTTON_LEFT, 10, 10, {400, 0, 1}}, // its border
                 {CLICK, SDL_BUTTON_LEFT, 10 + ZOOM_MENU_WIDTH, 10, {400, 0, 0}},
                 {CLICK, RIGHT, 10, 10, {400, 0, 1}},
                 {SDL_WINDOWEVENT, SDL_WINDOWEVENT_SIZE_CHANGED, 0, 0, {400, 0, 0}}};
    for (const auto& step : steps)
        EXPECT_EQ(Send(step.type, step.a, step.b, step.c), step.after) << &step - steps;
    FrameWindowClose();
}
