#include "game/commands.h"
#include "game/cplayer.h"
#include "render/cscreen.h"
#include "render/framewindow_detail.h"
#include "render/framewindow_menu.h"
#include "support/pixels.h"

#include <SDL.h>

namespace {
// The colour the window shows at (x, y), x from the left, y from the top.
std::uint32_t Shown(int x, int y)
{
    std::uint32_t pixel = 0;
    const SDL_Rect one = {x, y, 1, 1};
    SDL_RenderReadPixels(SDL_GetRenderer(FrameWindowSdlWindow()), &one, SDL_PIXELFORMAT_RGB888,
                         &pixel, 4);
    return pixel & 0xFFFFFFU;
}
void Push(
    Uint32 type, const std::function<void(SDL_Event&)>& fill = [](SDL_Event&) {})
{
    SDL_Event event{};
    event.type = type;
    fill(event);
    SDL_PushEvent(&event);
}
} // namespace

// While the window is open: the screen saver is held off, every steering key typed in the
// window reaches the game as from the terminal, a menu opened at the bottom right corner stays
// wholly inside, and after a renderer reset the next present shows the new frame and the menu.
TEST(FrameWindow, ServesTheGameWhileOpenAndOutlivesRendererResets)
{
    CScreen screen("Window", 320, 240, 0x123456, false);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    Push(SDL_TEXTINPUT, [](SDL_Event& e) { std::strcpy(e.text.text, "wxadspkWh"); });
    Push(SDL_MOUSEBUTTONDOWN, [](SDL_Event& e) {
        e.button = {SDL_MOUSEBUTTONDOWN, 0, 0, 0, SDL_BUTTON_RIGHT, SDL_PRESSED, 1, 0, 319, 239};
    });
    screen.Refresh();
    CPlayer player("Ann");
    for (const int command :
         {CMD_FORWARD, CMD_TURN_LEFT, CMD_TURN_RIGHT, CMD_BRAKE, CMD_PAUSE, CMD_QUIT, CMD_HELP})
        EXPECT_EQ(player.GetCommand(), command);
    // The menu's grey frame ends on the window's last pixel; the field shows left of and above it.
    const auto corner = [] {
        return std::vector<std::uint32_t>{Shown(319, 239), Shown(318, 238), Shown(320 - 141, 238),
                                          Shown(318, 240 - 81)};
    };
    EXPECT_EQ(corner(), std::vector<std::uint32_t>({0x404040, 0xF0F0F0, 0x123456, 0x123456}));
    for (const Uint32 reset : {SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET}) {
        screen.Clear(static_cast<PixelType>(reset & 0xFFFFFF));
        Push(reset);
        screen.Refresh();
        EXPECT_EQ(corner(), std::vector<std::uint32_t>({0x404040, 0xF0F0F0, reset, reset}));
    }
}
