// The graphics window on SDL's dummy video driver: opening, the screen
// saver, the zoom keys and menu, game keys, the ways out, and running
// without any display. Real windows are tested in framewindow_x11_test.cpp.

#include "platform/terminal.h"
#include "render/framewindow.h"
#include "render/framewindow_detail.h"
#include "render/framewindow_menu.h"
#include "util/assertion.h"
#include "util/bitmapfont.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int WIDTH = 320;
constexpr int HEIGHT = 240;

void PushKey(SDL_Keycode key, Uint16 modifiers = KMOD_NONE)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
}

void PushText(const char* text)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof event.text.text - 1);
    SDL_PushEvent(&event);
}

void PushButton(Uint8 button, int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = button;
    event.button.state = SDL_PRESSED;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void PushMotion(int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    SDL_PushEvent(&event);
}

void PushEvent(Uint32 type, Uint8 windowEvent = 0)
{
    SDL_Event event{};
    event.type = type;
    event.window.event = windowEvent;
    SDL_PushEvent(&event);
}

struct Size
{
    int width;
    int height;
    bool operator==(const Size& other) const
    {
        return width == other.width && height == other.height;
    }
};

std::ostream& operator<<(std::ostream& out, const Size& size)
{
    return out << size.width << " x " << size.height;
}

Size WindowSize()
{
    Size size{0, 0};
    SDL_GetWindowSize(FrameWindowSdlWindow(), &size.width, &size.height);
    return size;
}

void ReportCleanup()
{
    const char text[] = "terminal restored\n";
    (void)!write(STDERR_FILENO, text, sizeof text - 1);
}

class FrameWindowDummy : public testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(FrameWindowOpen("Dummy", WIDTH, HEIGHT), 1);
        ASSERT_NE(FrameWindowSdlWindow(), nullptr);
    }
    void TearDown() override { FrameWindowClose(); }

    int Update() { return FrameWindowUpdate(m_frame.data()); }

    std::vector<PixelType> m_frame = std::vector<PixelType>(WIDTH * HEIGHT, 0x00336699);
};

// Keeps an environment variable's value and puts it back afterwards.
class SavedVariable
{
public:
    explicit SavedVariable(const char* name) : m_name(name)
    {
        const char* value = std::getenv(name);
        m_wasSet = value != nullptr;
        m_value = m_wasSet ? value : "";
    }
    ~SavedVariable()
    {
        if (m_wasSet) {
            setenv(m_name, m_value.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* m_name;
    bool m_wasSet = false;
    std::string m_value;
};

} // namespace

TEST_F(FrameWindowDummy, OpensATitledWindowOfTheFrameSizeAndTheScreenSaverFollowsIt)
{
    SDL_Window* window = FrameWindowSdlWindow();
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Dummy");
    EXPECT_EQ(WindowSize(), (Size{WIDTH, HEIGHT}));
    EXPECT_FALSE(FrameWindowIsHeadless());
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    EXPECT_EQ(Update(), 1);
    EXPECT_EQ(FrameWindowUpdate(nullptr), 1);

    // A second user of SDL's video keeps it running, so that the screen
    // saver state after the close can be read.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    FrameWindowClose();
    EXPECT_EQ(FrameWindowSdlWindow(), nullptr);
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
    EXPECT_EQ(Update(), 1);

    // The window can be opened again, and the screen saver is off again.
    ASSERT_EQ(FrameWindowOpen("Again", 64, 48), 1);
    ASSERT_NE(FrameWindowSdlWindow(), nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(FrameWindowSdlWindow()), "Again");
    EXPECT_EQ(WindowSize(), (Size{64, 48}));
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    FrameWindowClose();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(FrameWindowDummy, GameKeysTypedInTheWindowAreQueuedAsIfTypedInTheTerminal)
{
    // Upper-case letters, other letters and digits are not game keys.
    for (const char* text : {"w", "W", "x", "ad", "1", "S", "spkh", "H"}) {
        PushText(text);
    }
    Update();
    std::string keys;
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(TerminalKeyHit());
        keys += TerminalGetKey();
    }
    EXPECT_EQ(keys, "wadspkh");
    // Nothing else was queued: the next key is the next one typed.
    PushText("k");
    Update();
    ASSERT_TRUE(TerminalKeyHit());
    EXPECT_EQ(TerminalGetKey(), 'k');
}

TEST_F(FrameWindowDummy, KeysOneTwoAndFourZoomTheOpenedSize)
{
    PushKey(SDLK_2);
    Update();
    EXPECT_EQ(WindowSize(), (Size{640, 480}));
    EXPECT_EQ(FrameWindowZoom(), 2);
    PushKey(SDLK_4);
    Update();
    EXPECT_EQ(WindowSize(), (Size{1280, 960}));
    PushKey(SDLK_KP_1);
    Update();
    EXPECT_EQ(WindowSize(), (Size{320, 240}));
    EXPECT_EQ(FrameWindowZoom(), 1);
    // With Ctrl or Alt held, and for other digits, nothing happens.
    PushKey(SDLK_2, KMOD_LCTRL);
    PushKey(SDLK_4, KMOD_LALT);
    PushKey(SDLK_3);
    Update();
    EXPECT_EQ(WindowSize(), (Size{320, 240}));
}

TEST_F(FrameWindowDummy, RightClickOpensTheZoomMenuAndItsEntriesZoom)
{
    const CZoomMenu& menu = FrameWindowMenu();
    // Near the bottom-right corner the menu moves so that it stays inside.
    PushButton(SDL_BUTTON_RIGHT, 300, 230);
    Update();
    ASSERT_TRUE(menu.IsOpen());
    EXPECT_EQ(menu.Left(), WIDTH - 140);
    EXPECT_EQ(menu.Top(), HEIGHT - 80);
    PushMotion(menu.EntryCentreX(), menu.EntryCentreY(2));
    Update();
    EXPECT_EQ(menu.Highlighted(), 2);

    PushButton(SDL_BUTTON_LEFT, menu.EntryCentreX(), menu.EntryCentreY(1));
    Update();
    EXPECT_FALSE(menu.IsOpen());
    EXPECT_EQ(WindowSize(), (Size{640, 480}));

    // A click on the menu's border keeps it open; a click outside closes it.
    PushButton(SDL_BUTTON_RIGHT, 10, 20);
    Update();
    ASSERT_TRUE(menu.IsOpen());
    EXPECT_EQ(menu.Left(), 10);
    EXPECT_EQ(menu.Top(), 20);
    PushButton(SDL_BUTTON_LEFT, 10, 20);
    Update();
    EXPECT_TRUE(menu.IsOpen());
    PushButton(SDL_BUTTON_LEFT, 5, 5);
    Update();
    EXPECT_FALSE(menu.IsOpen());
    EXPECT_EQ(WindowSize(), (Size{640, 480}));

    // Escape with the menu open closes only the menu; the process goes on.
    PushButton(SDL_BUTTON_RIGHT, 100, 100);
    Update();
    ASSERT_TRUE(menu.IsOpen());
    PushKey(SDLK_ESCAPE);
    Update();
    EXPECT_FALSE(menu.IsOpen());

    PushButton(SDL_BUTTON_RIGHT, 100, 100);
    PushButton(SDL_BUTTON_LEFT, 100 + 70, 100 + 4 + 12);
    Update();
    EXPECT_EQ(WindowSize(), (Size{320, 240}));
}

TEST(FrameWindowDeathTest, EscapeAndClosingEndTheProcessWithStatusZeroAfterTheCleanUps)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const std::vector<PixelType> frame(16 * 16, 0);
    auto endWith = [&frame](Uint32 type, Uint8 windowEvent, SDL_Keycode key) {
        QvRegisterEmergencyCleanup(ReportCleanup);
        FrameWindowOpen("Ending", 16, 16);
        if (type == SDL_KEYDOWN) {
            PushKey(key);
        } else {
            PushEvent(type, windowEvent);
        }
        FrameWindowUpdate(frame.data());
        std::exit(5);
    };
    EXPECT_EXIT(endWith(SDL_KEYDOWN, 0, SDLK_ESCAPE), testing::ExitedWithCode(0),
                "terminal restored");
    EXPECT_EXIT(endWith(SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE, 0), testing::ExitedWithCode(0),
                "terminal restored");
    EXPECT_EXIT(endWith(SDL_QUIT, 0, 0), testing::ExitedWithCode(0), "terminal restored");
    // Other keys do nothing.
    EXPECT_EXIT(endWith(SDL_KEYDOWN, 0, SDLK_q), testing::ExitedWithCode(5), "");
}

TEST(FrameWindowHeadless, WithoutADisplayItWarnsOnceAndAcceptsEveryUpdate)
{
    SavedVariable driver("SDL_VIDEODRIVER");
    SavedVariable display("DISPLAY");
    SavedVariable wayland("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    const std::vector<PixelType> frame(64 * 48, 0);
    const std::string warning = "cannot open the graphics window";

    testing::internal::CaptureStderr();
    EXPECT_EQ(FrameWindowOpen("Nowhere", 64, 48), 1);
    EXPECT_TRUE(FrameWindowIsHeadless());
    EXPECT_EQ(FrameWindowSdlWindow(), nullptr);
    EXPECT_EQ(FrameWindowUpdate(frame.data()), 1);
    EXPECT_EQ(FrameWindowUpdate(frame.data()), 1);
    FrameWindowClose();
    EXPECT_FALSE(FrameWindowIsHeadless());
    std::string error = testing::internal::GetCapturedStderr();
    EXPECT_NE(error.find(warning), std::string::npos) << error;
    EXPECT_EQ(error.find(warning), error.rfind(warning)) << error;

    // A video driver that cannot start is reported the same way.
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(FrameWindowOpen("Nowhere", 64, 48), 1);
    EXPECT_TRUE(FrameWindowIsHeadless());
    EXPECT_EQ(FrameWindowUpdate(frame.data()), 1);
    FrameWindowClose();
    error = testing::internal::GetCapturedStderr();
    EXPECT_NE(error.find(warning), std::string::npos) << error;
}

TEST(ZoomMenu, EntriesAndWhereTheyAre)
{
    EXPECT_STREQ(CZoomMenu::EntryText(0), "Zoom 1 x 1");
    EXPECT_STREQ(CZoomMenu::EntryText(1), "Zoom 2 x 2");
    EXPECT_STREQ(CZoomMenu::EntryText(2), "Zoom 4 x 4");
    EXPECT_EQ(CZoomMenu::EntryFactor(0), 1);
    EXPECT_EQ(CZoomMenu::EntryFactor(1), 2);
    EXPECT_EQ(CZoomMenu::EntryFactor(2), 4);

    CZoomMenu menu;
    EXPECT_EQ(menu.EntryAt(0, 0), -1);
    menu.Open(100, 50, 640, 480);
    // Border 1 and padding 3 above entries of 24 lines, 140 x 80 in all.
    EXPECT_EQ(menu.EntryAt(100, 60), -1);
    EXPECT_EQ(menu.EntryAt(101, 53), -1);
    EXPECT_EQ(menu.EntryAt(101, 54), 0);
    EXPECT_EQ(menu.EntryAt(238, 77), 0);
    EXPECT_EQ(menu.EntryAt(239, 77), -1);
    EXPECT_EQ(menu.EntryAt(150, 78), 1);
    EXPECT_EQ(menu.EntryAt(150, 125), 2);
    EXPECT_EQ(menu.EntryAt(150, 126), -1);
    EXPECT_TRUE(menu.Contains(150, 129));
    EXPECT_FALSE(menu.Contains(150, 130));
    EXPECT_FALSE(menu.Contains(240, 60));
    EXPECT_EQ(menu.EntryAt(menu.EntryCentreX(), menu.EntryCentreY(1)), 1);

    EXPECT_TRUE(menu.Hover(150, 80));
    EXPECT_EQ(menu.Highlighted(), 1);
    EXPECT_FALSE(menu.Hover(160, 90));
    EXPECT_TRUE(menu.Hover(0, 0));
    EXPECT_EQ(menu.Highlighted(), -1);

    // Kept inside the area, but never past its top-left corner.
    menu.Open(600, 450, 640, 480);
    EXPECT_EQ(menu.Left(), 500);
    EXPECT_EQ(menu.Top(), 400);
    menu.Open(30, 20, 100, 50);
    EXPECT_EQ(menu.Left(), 0);
    EXPECT_EQ(menu.Top(), 0);
    menu.Close();
    EXPECT_FALSE(menu.IsOpen());
    EXPECT_FALSE(menu.Contains(10, 10));
}

TEST(ZoomMenu, PictureShowsTheEntriesInTheFontAndTheHighlight)
{
    CZoomMenu menu;
    menu.Open(0, 0, 640, 480);
    menu.Hover(50, 4 + 24 + 5);
    std::vector<std::uint32_t> pixels(ZOOM_MENU_WIDTH * ZOOM_MENU_HEIGHT, 0x12345678);
    menu.Paint(pixels.data());
    auto at = [&pixels](int x, int y) { return pixels[y * ZOOM_MENU_WIDTH + x]; };
    EXPECT_EQ(at(0, 0), ZOOM_MENU_FRAME);
    EXPECT_EQ(at(139, 79), ZOOM_MENU_FRAME);
    EXPECT_EQ(at(1, 1), ZOOM_MENU_BACKGROUND);
    EXPECT_EQ(at(5, 30), ZOOM_MENU_HIGHLIGHT);

    // Every glyph pixel of the texts, at twice the font's size, 10 pixels in
    // and centred in its entry; glyphs 12 pixels apart.
    for (int entry = 0; entry < 3; ++entry) {
        const char* text = CZoomMenu::EntryText(entry);
        const std::uint32_t ink = entry == 1 ? ZOOM_MENU_HIGHLIGHT_TEXT : ZOOM_MENU_TEXT;
        const std::uint32_t paper = entry == 1 ? ZOOM_MENU_HIGHLIGHT : ZOOM_MENU_BACKGROUND;
        for (int i = 0; i < 10; ++i) {
            for (int row = 0; row < 7; ++row) {
                for (int col = 0; col < 5; ++col) {
                    const bool lit = (FontGlyphRow(text[i], row) >> (4 - col) & 1U) != 0;
                    const int x = 10 + 12 * i + 2 * col;
                    const int y = 4 + 24 * entry + 5 + 2 * row;
                    ASSERT_EQ(at(x + 1, y + 1), lit ? ink : paper)
                        << "entry " << entry << " glyph " << i << " row " << row << " col " << col;
                }
            }
        }
    }
}
