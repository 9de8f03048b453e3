#include "game/commands.h"
#include "game/cplayer.h"
#include "platform/terminal.h"
#include "render/cscreen.h"
#include "render/framewindow.h"
#include "render/framewindow_detail.h"
#include "render/framewindow_menu.h"
#include "support/pixels.h"

#include <SDL.h>

// Points are 3 x 3 blocks from the pixel below left; a vector is a line and a circle of 2. A
// picture screen takes the picture's size and flag; backgrounds show only when drawn.
TEST(Screen, DefaultCustomAndPictureScreensDrawPointsVectorsAndBackgrounds)
{
    {
        CScreen screen;
        EXPECT_EQ(screen.Width() * 1000 + screen.Height(), 256256);
        EXPECT_STREQ(SDL_GetWindowTitle(FrameWindowSdlWindow()), "Default");
        EXPECT_TRUE(CScreen::IsOpen() && !screen.HasBackground() && PixelsNot(screen, 0).empty());
        screen.DrawVector(CPoint2D(50, 60), CPoint2D(20, PI / 3), 0x123456);
        PixelSet expected;
        AddLine(expected, CPoint2D(50, 60), CPoint2D(60, 60 + 10 * std::sqrt(3.0)));
        AddCircle(expected, CPoint2D(50, 60), 2);
        EXPECT_EQ(PixelsNot(screen, 0), expected);
    }
    EXPECT_FALSE(CScreen::IsOpen() || FrameWindowSdlWindow() != nullptr);
    PixelSet blocks; // around (0, 0) and (8, 5)
    for (int i = 0; i < 9; ++i)
        blocks.insert({{i % 3 - 1, i / 3 - 1}, {i % 3 + 7, i / 3 + 4}});
    for (const bool wrap : {false, true}) {
        CScreen clipping("Clipping", 16, 12, NO_COLOUR, wrap);
        clipping.DrawShape(ORIGIN, 0x00FF0000), clipping.DrawShape(CPoint2D(7.6, 5.4), 0x00FF0000);
        EXPECT_EQ(PixelsNot(clipping), Fit(blocks, 16, 12, wrap));
    }
    const ColourAt other = [](int x, int y) { return Pattern(x, y) ^ 0x0F0F0F; };
    CImageRecord picture, field, small;
    MakePicture(picture, 640, 480, Pattern), MakePicture(field, 640, 480, other);
    MakePicture(small, 3, 2, other);
    {
        CScreen screen("Quorvadellix", picture, true);
        EXPECT_EQ(screen.Width() * 1000 + screen.Height() + screen.IsWrapAround(), 640480);
        EXPECT_TRUE(Unlike(screen, Pattern).empty() && screen.HasBackground());
        const PixelType* storage = screen.GetPixels();
        screen.SetBackground(field), screen.DrawImage(CPoint2D(638, 1), small); // clipped
        EXPECT_EQ(Unlike(screen, Pattern).size(), 4U);
        screen.DrawBackground();
        EXPECT_TRUE(Unlike(screen, other).empty() && screen.GetPixels() == storage);
    }
    CScreen wrapping("Wrapping", 640, 480, 0, true); // a background made for the screen
    wrapping.SetBackground(field), wrapping.DrawBackground();
    EXPECT_TRUE(Unlike(wrapping, other).empty() && wrapping.IsWrapAround());
}
TEST(ScreenDeathTest, BrokenPreconditionsStopWithTheirConditions)
{
    const std::string file = "render/cscreen\\.cpp";
    EXPECT_DEATH(
        CScreen("Too red", 8, 8, 0x1000000, false),
        Death("colour == NO_COLOUR \\|\\| \\(0 <= colour && colour <= MAXCOLOUR\\)", file));
    EXPECT_DEATH(CScreen("No background", 8, 8, 0, false).DrawBackground(),
                 Death("HasBackground\\(\\)", file));
    CImageRecord wide, empty;
    MakePicture(wide, 9, 8, Pattern);
    EXPECT_DEATH(CScreen("Empty", empty, false), Death("bgImg\\.IsValid\\(\\)", file));
    CScreen open("Open", 8, 8, 0x00FFFFFF, false); // the top colour is allowed
    EXPECT_DEATH(CScreen("Second", 8, 8, 0, false), Death("!m_isOpen", file));
    for (const CImageRecord* image : {&wide, &empty})
        EXPECT_DEATH(
            open.SetBackground(*image),
            Death("IsOpen\\(\\) && image\\.IsValid\\(\\) && image\\.GetWidth\\(\\)==Width\\(\\) "
                  "&& image\\.GetHeight\\(\\)==Height\\(\\)",
                  file));
}
// What the window shows around its bottom right corner (x from the left, y from the top): the
// menu's frame on the last column and row, its background inside, the field left of and above.
static std::vector<std::uint32_t> Corner()
{
    std::vector<std::uint32_t> shown(5);
    const SDL_Rect at[] = {
        {319, 200, 1, 1}, {250, 239, 1, 1}, {318, 238, 1, 1}, {179, 238, 1, 1}, {318, 159, 1, 1}};
    for (int i = 0; i < 5; ++i)
        SDL_RenderReadPixels(SDL_GetRenderer(FrameWindowSdlWindow()), &at[i], SDL_PIXELFORMAT_BGR24,
                             &shown[i], 3);
    return shown;
}
// While the window is open: the screen saver is held off, every steering key typed in the
// window reaches the game as from the terminal, a menu opened at the bottom right corner stays
// wholly inside, and after a renderer reset the next present shows the new frame and the menu.
TEST(FrameWindow, ServesTheGameWhileOpenAndOutlivesRendererResets)
{
    FrameWindowSetGameKeys(&IsCommandKey);
    CScreen screen("Window", 320, 240, 0x123456, false);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    SDL_Event events[3] = {{SDL_TEXTINPUT}};
    std::strcpy(events[0].text.text, "wxadspkWh");
    events[1].button = {SDL_MOUSEBUTTONDOWN, 0, 0, 0,   SDL_BUTTON_RIGHT,
                        SDL_PRESSED,         1, 0, 319, 239};
    SDL_PushEvent(&events[0]), SDL_PushEvent(&events[1]), screen.Refresh();
    CPlayer player("Ann");
    for (const int command : {2, 0, 1, 3, 4, 5, 6}) // the commands of w, a, d, s, p, k, h
        EXPECT_EQ(player.GetCommand(), command);
    EXPECT_EQ(Corner(),
              std::vector<std::uint32_t>({0x404040, 0x404040, 0xF0F0F0, 0x123456, 0x123456}));
    for (const Uint32 reset : {SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET}) {
        screen.Clear(static_cast<PixelType>(reset)), events[2].type = reset;
        SDL_PushEvent(&events[2]), screen.Refresh();
        EXPECT_EQ(Corner(),
                  std::vector<std::uint32_t>({0x404040, 0x404040, 0xF0F0F0, reset, reset}));
    }
    // Keys pressed with the menu open: {key, modifiers, repeat, then the width (-1: any), full-
    // screen, menu open}. F11, Alt+Enter and zooms close it themselves before the size change they
    // cause (a watch sees each as SDL makes it); zooms leave fullscreen, which is the desktop's
    // kind; held keys and digits with Ctrl or Alt do nothing.
    constexpr int F11 = SDLK_F11, ALT = KMOD_LALT, RALT = KMOD_RALT, CTRL = KMOD_LCTRL,
                  ENTER = SDLK_RETURN, KP = SDLK_KP_ENTER;
    const int keys[][6] = {
        {F11, 0, 1, 320, 0, 1},     {F11, 0, 0, -1, 1, 0},         {SDLK_2, 0, 0, 640, 0, 0},
        {F11, 0, 0, -1, 1, 0},      {KP, ALT, 0, -1, 0, 0},        {ENTER, RALT, 0, -1, 1, 0},
        {SDLK_4, 0, 0, 1280, 0, 0}, {SDLK_2, CTRL, 0, 1280, 0, 1}, {SDLK_2, ALT, 0, 1280, 0, 1},
        {SDLK_2, 0, 1, 1280, 0, 1}, {SDLK_KP_2, 0, 0, 640, 0, 0},  {SDLK_1, 0, 0, 320, 0, 0}};
    int changes[2] = {}; // size changes seen with the menu closed, open
    const SDL_EventFilter watch = [](void* seen, SDL_Event* e) {
        if (e->type == SDL_WINDOWEVENT && e->window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            ++static_cast<int*>(seen)[FrameWindowMenu().IsOpen()];
        return 0;
    };
    SDL_AddEventWatch(watch, changes);
    const auto shown = [&screen](std::vector<SDL_Event> events, int wide) {
        for (SDL_Event& event : events)
            SDL_PushEvent(&event);
        int width = 0;
        screen.Refresh(), SDL_GetWindowSize(FrameWindowSdlWindow(), &width, nullptr);
        const Uint32 full =
            SDL_GetWindowFlags(FrameWindowSdlWindow()) & SDL_WINDOW_FULLSCREEN_DESKTOP;
        return std::vector<int>{wide < 0 ? wide : width, full == SDL_WINDOW_FULLSCREEN_DESKTOP,
                                FrameWindowMenu().IsOpen()};
    };
    for (const auto& [key, mod, repeat, wide, full, menu] : keys) {
        events[2] = {SDL_KEYDOWN}, events[2].key.keysym.sym = key;
        events[2].key.keysym.mod = Uint16(mod), events[2].key.repeat = Uint8(repeat);
        EXPECT_EQ(shown({events[1], events[2]}, wide), (std::vector<int>{wide, full, menu})) << key;
    }
    SDL_DelEventWatch(watch, changes);
    EXPECT_TRUE(changes[0] > 0 && changes[1] == 0) << changes[0] << ' ' << changes[1];
    // A click on the menu's border keeps it open, one beside it or a new size closes it.
    events[0] = events[1], events[0].button.button = SDL_BUTTON_LEFT;
    const std::vector<int> open{320, 0, 1}, closed{320, 0, 0};
    events[0].button.x = events[1].button.x = 10, events[0].button.y = events[1].button.y = 10;
    EXPECT_EQ(shown({events[1], events[0]}, 320), open);
    events[0].button.x += ZOOM_MENU_WIDTH;
    EXPECT_EQ(shown({events[0]}, 320), closed);
    events[2] = {SDL_WINDOWEVENT}, events[2].window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    EXPECT_EQ(shown({events[1], events[2]}, 320), closed);
}

// Window keys typed before play (w, 2) are dropped when it starts, all but Escape, which still
// ends the process then; keys typed in play act.
TEST(FrameWindow, DropsTheKeysTypedBeforePlayButEscape)
{
    FrameWindowSetGameKeys(&IsCommandKey);
    CScreen screen("Window", 320, 240, 0, false);
    SDL_Event events[2] = {{SDL_TEXTINPUT}, {SDL_KEYDOWN}};
    std::strcpy(events[0].text.text, "w"), events[1].key.keysym.sym = SDLK_2;
    int width = 0;
    const auto typed = [&] {
        SDL_PushEvent(&events[0]), SDL_PushEvent(&events[1]), screen.Refresh();
        SDL_GetWindowSize(FrameWindowSdlWindow(), &width, nullptr);
        return std::vector<int>{TerminalKeyHit() ? TerminalGetKey() : 0, width};
    };
    FrameWindowStartPlay();
    EXPECT_EQ(typed(), (std::vector<int>{0, 320}));
    EXPECT_EQ(typed(), (std::vector<int>{'w', 640}));
    events[1].key.keysym.sym = SDLK_ESCAPE;
    EXPECT_EXIT((FrameWindowStartPlay(), typed()), testing::ExitedWithCode(0), "");
}
