#include "render/framewindow.h"

#include "platform/terminal.h"
#include "platform/yield.h"
#include "render/framewindow_detail.h"
#include "render/framewindow_menu.h"
#include "util/assertion.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef __EMSCRIPTEN__
#include "util/ctimer.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>
#endif

#ifdef QV_X11
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif
#ifdef _WIN32
#include "platform/terminal_windows.h"

#include <SDL_syswm.h>
#include <windows.h>
#endif

// The game's icon as the picture generator drew it (WINDOW_ICON_SIZE,
// WINDOW_ICON_RGBA), from the build folder.
#include "windowicon.h"

namespace {

// SDL's objects in owners that free them with SDL's own functions.
struct SdlDelete
{
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
    void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
    void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
template <typename T> using SdlOwner = std::unique_ptr<T, SdlDelete>;

// The one window of the process and everything needed to show it.
struct WindowState
{
    bool isOpen = false; // between FrameWindowOpen and FrameWindowClose
    bool videoStarted = false;
    SdlOwner<SDL_Window> window;
    SdlOwner<SDL_Renderer> renderer;
    SdlOwner<SDL_Texture> frameTexture;
    SdlOwner<SDL_Texture> menuTexture;
    const PixelType* frame = nullptr;
    int frameWidth = 0;
    int frameHeight = 0;
    CZoomMenu menu;
    bool menuChanged = false;
    // Set when the menu's texture could not be made: said once, not retried.
    bool menuFailed = false;
    std::vector<std::uint32_t> menuPixels;
    // Set by FrameWindowStartPlay until the next update has dropped the keys
    // typed before play.
    bool dropKeys = false;
    // Whether the page was last told that the game's clock is paused.
    bool toldPaused = false;
};

WindowState g_window;

// Tells which characters typed in the window are the game's keys; the game
// sets it (FrameWindowSetGameKeys).
bool (*g_isGameKey)(char) = nullptr;

void Warn(const char* reason)
{
    std::fprintf(stderr,
                 "quorvadellix: warning: cannot open the graphics window (%s); "
                 "the game goes on in the terminal without it\n",
                 reason);
    std::fflush(stderr);
}

// The display variables that are set, as "DISPLAY=:0 or WAYLAND_DISPLAY=w";
// empty when neither is.
std::string DisplaysSet()
{
    std::string displays;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            displays += std::string(displays.empty() ? "" : " or ") + name + "=" + value;
        }
    }
    return displays;
}

// Without a desktop session SDL might pick a console driver that takes over
// the whole display, hiding the terminal the game is played in. Only an
// explicitly chosen driver or an X11 or Wayland session is tried.
bool HasDisplay()
{
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
    return true; // a Windows desktop or a page always has one
#else
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return (driver != nullptr && driver[0] != '\0') || !DisplaysSet().empty();
#endif
}

// Frees the window and its renderer, textures first; the video subsystem is
// left running.
void DestroyWindow()
{
    g_window.menuTexture.reset();
    g_window.frameTexture.reset();
    g_window.renderer.reset();
    g_window.window.reset();
}

void StopVideo()
{
    if (g_window.videoStarted) {
        SDL_EnableScreenSaver();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        g_window.videoStarted = false;
    }
}

// Falls back to running without a window after a failed set-up step.
void GiveUp(const char* reason)
{
    Warn(reason);
    DestroyWindow();
    StopVideo();
}

// Presents in step with the display where it can, so that frames nobody
// could see cost no time; the software renderer is the last resort (in a
// page it comes first: see the render driver hint in FrameWindowOpen).
SDL_Renderer* CreateRenderer(SDL_Window* window)
{
    const Uint32 attempts[] = {SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC,
                               SDL_RENDERER_SOFTWARE | SDL_RENDERER_PRESENTVSYNC,
                               SDL_RENDERER_SOFTWARE};
    for (const Uint32 flags : attempts) {
        SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, flags);
        if (renderer != nullptr) {
            return renderer;
        }
    }
    return nullptr;
}

// The frame's texture, which takes a whole frame at every present.
bool CreateFrameTexture()
{
    g_window.frameTexture.reset(SDL_CreateTexture(g_window.renderer.get(), SDL_PIXELFORMAT_RGB888,
                                                  SDL_TEXTUREACCESS_STREAMING, g_window.frameWidth,
                                                  g_window.frameHeight));
    return g_window.frameTexture != nullptr;
}

// A renderer reset (Windows sends one after a lock screen or a driver
// update) may lose every texture: make them again, and the menu's pixels
// with its texture on its next showing.
void RecreateTextures()
{
    g_window.menuTexture.reset();
    if (!CreateFrameTexture()) {
        GiveUp(SDL_GetError());
    }
}

// The game's icon on the window's frame and taskbar button.
void SetIcon(SDL_Window* window)
{
    const SdlOwner<SDL_Surface> icon(SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<unsigned char*>(WINDOW_ICON_RGBA), WINDOW_ICON_SIZE, WINDOW_ICON_SIZE, 32,
        4 * WINDOW_ICON_SIZE, SDL_PIXELFORMAT_RGBA32));
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon.get());
    }
}

#if defined(QV_X11) || defined(_WIN32)
// A window that X11 shows at once takes the keyboard from the terminal in
// which the player is typing the name; it is made hidden and shown when its
// request not to be focused is in place. So is a Windows window.
constexpr Uint32 SHOWN_LATER = SDL_WINDOW_HIDDEN;
#else
constexpr Uint32 SHOWN_LATER = 0;
#endif

#ifdef _WIN32
// On Windows the window is shown as one that cannot be activated
// (WS_EX_NOACTIVATE): neither the system nor a window manager under Wine
// hands it the keyboard, which stays with the console the player types the
// name in, whatever program shows that console. Showing without activation
// alone is not enough: a window manager under Wine may still focus the new
// window. A moment after it is shown the window becomes an ordinary one
// again, so that a click into it gives it the keyboard.
constexpr Uint32 ACTIVATABLE_AFTER_MS = 1000;
HWND g_notActivatable = nullptr; // until the time below (a window of the past is harmless)
Uint32 g_activatableAt = 0;

HWND NativeWindow(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_WINDOWS) {
        return info.info.win.window;
    }
    return nullptr;
}

// Makes the window one that cannot be activated until a moment from now.
void MakeNotActivatable(HWND native)
{
    SetWindowLongPtrA(native, GWL_EXSTYLE,
                      GetWindowLongPtrA(native, GWL_EXSTYLE) | WS_EX_NOACTIVATE);
    g_notActivatable = native;
    g_activatableAt = SDL_GetTicks() + ACTIVATABLE_AFTER_MS;
}

void ShowWithoutActivation(SDL_Window* window)
{
    const HWND native = NativeWindow(window);
    if (native != nullptr) {
        MakeNotActivatable(native);
    }
    // SDL shows a window of this style with SW_SHOWNOACTIVATE.
    SDL_ShowWindow(window);
}

// The console takes the keyboard back from the window, which a click gave
// it; a window manager under Wine may leave it with the window all the same.
// Hidden for a moment, the window lets the window manager pass the keyboard
// on to the window the player used before (the console), and it comes back
// without taking the keyboard again.
void HandBackTheKeyboard()
{
    const HWND native = g_window.window == nullptr ? nullptr : NativeWindow(g_window.window.get());
    if (native != nullptr) {
        MakeNotActivatable(native);
        ShowWindow(native, SW_HIDE);
        ShowWindow(native, SW_SHOWNOACTIVATE);
    }
}

// From the window's servicing: once the time has come, the window can be
// activated again (by a click).
void MakeActivatableWhenDue()
{
    if (g_notActivatable != nullptr && SDL_TICKS_PASSED(SDL_GetTicks(), g_activatableAt)) {
        SetWindowLongPtrA(g_notActivatable, GWL_EXSTYLE,
                          GetWindowLongPtrA(g_notActivatable, GWL_EXSTYLE) & ~WS_EX_NOACTIVATE);
        g_notActivatable = nullptr;
    }
}
#endif

// Shows the window without taking the keyboard from the terminal, wherever
// the window manager honours the standard request: a user time of 0 at the
// time the window is mapped says that no key or click of the player asked
// for it. A click into the window still gives it the keyboard (SDL then
// sets the user time of that click).
void ShowWithoutFocus(SDL_Window* window)
{
#ifdef QV_X11
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
        Display* display = info.info.x11.display;
        const long never = 0; // 32-bit properties travel as longs
        XChangeProperty(display, info.info.x11.window,
                        XInternAtom(display, "_NET_WM_USER_TIME", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&never), 1);
        XFlush(display);
    }
#endif
#ifdef _WIN32
    ShowWithoutActivation(window);
#else
    SDL_ShowWindow(window);
#endif
}

// SDL falls back on drivers that show nothing (offscreen, dummy) when no
// display answers, say a DISPLAY where no X server runs. Unless the player
// chose that driver, the window would be invisible: returns why, or empty.
std::string InvisibleDriverReason()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (driver == nullptr ||
        (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) ||
        (chosen != nullptr && std::strstr(chosen, driver) != nullptr)) {
        return {};
    }
    const std::string displays = DisplaysSet();
    return "no graphics display answers" + (displays.empty() ? "" : " at " + displays) +
           "; SDL could start only its " + driver + " driver, which shows nothing";
}

[[noreturn]] void EndProcess()
{
    FrameWindowClose();
    std::fflush(stdout);
    QvRunEmergencyCleanups();
    std::_Exit(0);
}

bool IsFullscreen()
{
    return (SDL_GetWindowFlags(g_window.window.get()) & SDL_WINDOW_FULLSCREEN) != 0;
}

// Desktop fullscreen: the window manager lets the window cover its display
// at the display's own resolution, and gives it back its previous size and
// place when fullscreen ends.
void ToggleFullscreen()
{
    g_window.menu.Close();
    SDL_SetWindowFullscreen(g_window.window.get(),
                            IsFullscreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void Zoom(int factor)
{
    g_window.menu.Close();
    if (IsFullscreen()) {
        SDL_SetWindowFullscreen(g_window.window.get(), 0);
    }
    if ((SDL_GetWindowFlags(g_window.window.get()) & SDL_WINDOW_MAXIMIZED) != 0) {
        SDL_RestoreWindow(g_window.window.get());
    }
    SDL_SetWindowSize(g_window.window.get(), g_window.frameWidth * factor,
                      g_window.frameHeight * factor);
    SDL_SetWindowPosition(g_window.window.get(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

// F11 or Alt+Enter, pressed (not repeated).
bool IsFullscreenKey(const SDL_KeyboardEvent& key)
{
    const bool enter = key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER;
    return key.repeat == 0 &&
           (key.keysym.sym == SDLK_F11 || (enter && (key.keysym.mod & KMOD_ALT) != 0));
}

#ifdef __EMSCRIPTEN__
// Tells the page's Module.qvStage what the game does with the window: "play"
// or "paused" (see FrameWindowStartPlay).
// clang-format off
EM_JS(void, qv_tell_window_stage, (const char* stage), {
    if (Module.qvStage) {
        Module.qvStage(UTF8ToString(stage));
    }
});
// clang-format on

// A page may go fullscreen only while the browser hands it the player's key,
// so the fullscreen keys act as SDL receives them, not at the next frame.
int ToggleFullscreenAtOnce(void*, SDL_Event* event)
{
    if (event->type == SDL_KEYDOWN && IsFullscreenKey(event->key)) {
        ToggleFullscreen();
        return 0;
    }
    return 1;
}
#endif

void HandleKey(const SDL_KeyboardEvent& key)
{
    if (key.keysym.sym == SDLK_ESCAPE) {
        // Escape first dismisses an open menu, as in every desktop menu;
        // only without a menu does it end the game.
        if (g_window.menu.IsOpen()) {
            g_window.menu.Close();
            return;
        }
        EndProcess();
    }
    if (IsFullscreenKey(key)) {
        ToggleFullscreen();
        return;
    }
    if (key.repeat != 0 || (key.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0) {
        return;
    }
    switch (key.keysym.sym) {
    case SDLK_1:
    case SDLK_KP_1:
        Zoom(1);
        break;
    case SDLK_2:
    case SDLK_KP_2:
        Zoom(2);
        break;
    case SDLK_4:
    case SDLK_KP_4:
        Zoom(4);
        break;
    default:
        break;
    }
}

// Typed text carries the characters exactly as the keyboard layout, Shift and
// Caps Lock make them, which is what the terminal would have received.
void HandleText(const char* text)
{
    for (const char* c = text; *c != '\0'; ++c) {
        if (g_isGameKey != nullptr && g_isGameKey(*c)) {
            TerminalQueueKey(*c);
        }
    }
}

void HandleButton(const SDL_MouseButtonEvent& button)
{
    CZoomMenu& menu = g_window.menu;
    if (button.button == SDL_BUTTON_RIGHT) {
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(g_window.window.get(), &width, &height);
        menu.Open(button.x, button.y, width, height);
        g_window.menuChanged = true;
    } else if (button.button == SDL_BUTTON_LEFT && menu.IsOpen()) {
        const int entry = menu.EntryAt(button.x, button.y);
        if (entry >= 0) {
            Zoom(CZoomMenu::EntryFactor(entry));
        } else if (!menu.Contains(button.x, button.y)) {
            menu.Close();
        }
    }
}

void HandleEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
        case SDL_QUIT:
            EndProcess();
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                EndProcess();
            }
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                g_window.menu.Close();
            }
            break;
        case SDL_KEYDOWN:
            if (!g_window.dropKeys || event.key.keysym.sym == SDLK_ESCAPE) {
                HandleKey(event.key);
            }
            break;
        case SDL_TEXTINPUT:
            if (!g_window.dropKeys) {
                HandleText(event.text.text);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            HandleButton(event.button);
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            RecreateTextures();
            if (g_window.window == nullptr) {
                return;
            }
            break;
        case SDL_MOUSEMOTION:
            if (g_window.menu.IsOpen() && g_window.menu.Hover(event.motion.x, event.motion.y)) {
                g_window.menuChanged = true;
            }
            break;
        default:
            break;
        }
    }
}

void DrawMenu()
{
    if (g_window.menuFailed) {
        return;
    }
    if (g_window.menuTexture == nullptr) {
        g_window.menuTexture.reset(
            SDL_CreateTexture(g_window.renderer.get(), SDL_PIXELFORMAT_RGB888,
                              SDL_TEXTUREACCESS_STATIC, ZOOM_MENU_WIDTH, ZOOM_MENU_HEIGHT));
        if (g_window.menuTexture == nullptr) {
            std::fprintf(stderr,
                         "quorvadellix: warning: cannot show the zoom menu (%s); the keys 1, 2 "
                         "and 4 still zoom\n",
                         SDL_GetError());
            g_window.menuFailed = true;
            return;
        }
        g_window.menuPixels.resize(static_cast<size_t>(ZOOM_MENU_WIDTH) * ZOOM_MENU_HEIGHT);
        g_window.menuChanged = true;
    }
    if (g_window.menuChanged) {
        g_window.menu.Paint(g_window.menuPixels.data());
        SDL_UpdateTexture(g_window.menuTexture.get(), nullptr, g_window.menuPixels.data(),
                          ZOOM_MENU_WIDTH * static_cast<int>(sizeof(std::uint32_t)));
        g_window.menuChanged = false;
    }
    const SDL_Rect place = {g_window.menu.Left(), g_window.menu.Top(), ZOOM_MENU_WIDTH,
                            ZOOM_MENU_HEIGHT};
    SDL_RenderCopy(g_window.renderer.get(), g_window.menuTexture.get(), nullptr, &place);
}

// The largest rectangle of the frame's shape that fits an area of
// width x height, centred in it.
SDL_Rect FittedFrame(int width, int height)
{
    const int frameWidth = g_window.frameWidth;
    const int frameHeight = g_window.frameHeight;
    SDL_Rect place = {0, 0, width, height};
    if (static_cast<long long>(width) * frameHeight <=
        static_cast<long long>(height) * frameWidth) {
        place.h = static_cast<int>(static_cast<long long>(width) * frameHeight / frameWidth);
    } else {
        place.w = static_cast<int>(static_cast<long long>(height) * frameWidth / frameHeight);
    }
    place.x = (width - place.w) / 2;
    place.y = (height - place.h) / 2;
    return place;
}

// Shows the kept frame stretched over the whole client area, with the menu
// on top when it is open; in fullscreen the frame keeps its shape, centred
// between black bars. The texture ignores the pixels' top byte.
void Paint()
{
    if (g_window.frame != nullptr) {
        SDL_UpdateTexture(g_window.frameTexture.get(), nullptr, g_window.frame,
                          g_window.frameWidth * static_cast<int>(sizeof(PixelType)));
        if (IsFullscreen()) {
            int width = 0;
            int height = 0;
            SDL_GetRendererOutputSize(g_window.renderer.get(), &width, &height);
            const SDL_Rect place = FittedFrame(width, height);
            SDL_SetRenderDrawColor(g_window.renderer.get(), 0, 0, 0, SDL_ALPHA_OPAQUE);
            SDL_RenderClear(g_window.renderer.get());
            SDL_RenderCopy(g_window.renderer.get(), g_window.frameTexture.get(), nullptr, &place);
        } else {
            SDL_RenderCopy(g_window.renderer.get(), g_window.frameTexture.get(), nullptr, nullptr);
        }
    } else {
        SDL_SetRenderDrawColor(g_window.renderer.get(), 0, 0, 0, SDL_ALPHA_OPAQUE);
        SDL_RenderClear(g_window.renderer.get());
    }
    if (g_window.menu.IsOpen()) {
        DrawMenu();
    }
    SDL_RenderPresent(g_window.renderer.get());
}

#ifdef __EMSCRIPTEN__
// In a page the window is a 2D canvas, which setting its size clears, even
// to the size it has; SDL does that at every resize of the browser's window,
// while the game may be waiting for a typed line and not drawing. So the
// kept frame is painted again at once, after SDL's handler.
EM_BOOL RepaintAfterResize(int /*type*/, const EmscriptenUiEvent* /*event*/, void* /*data*/)
{
    if (g_window.renderer != nullptr) {
        Paint();
    }
    return EM_FALSE;
}
#endif

} // namespace

int FrameWindowOpen(const char* title, int width, int height)
{
    if (g_window.isOpen) {
        FrameWindowClose();
    }
    g_window.isOpen = true;
    g_window.frame = nullptr;
    g_window.frameWidth = width;
    g_window.frameHeight = height;
    g_window.menu.Close();
    g_window.menuFailed = false;

    if (!HasDisplay()) {
        Warn("no graphics display: neither DISPLAY nor WAYLAND_DISPLAY is set");
        return 1;
    }
    // Ctrl+C in the terminal must keep ending the game, also while the
    // window is not serviced; the screen saver follows open and close.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // An ordinary desktop window: the compositor keeps running while it is
    // shown, so other windows do not flicker.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // In a page, keys typed elsewhere (the page's terminal) are not the window's.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
    // The game's presents wait for the page's next frame themselves
    // (YieldFrame); SDL must not give the page a turn of its own on top.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
#ifdef __EMSCRIPTEN__
    // In a page the software renderer draws on a 2D canvas: it needs no
    // WebGL, and it costs the page's main thread less than WebGL while the
    // game plays (bench/web_measure.py). Without the hint WebGL comes first
    // where the browser has it.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
#endif
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        Warn(SDL_GetError());
        return 1;
    }
    g_window.videoStarted = true;
    const std::string invisible = InvisibleDriverReason();
    if (!invisible.empty()) {
        GiveUp(invisible.c_str());
        return 1;
    }

    g_window.window.reset(SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                           width, height, SDL_WINDOW_RESIZABLE | SHOWN_LATER));
    if (g_window.window == nullptr) {
        GiveUp(SDL_GetError());
        return 1;
    }
    SetIcon(g_window.window.get());
    g_window.renderer.reset(CreateRenderer(g_window.window.get()));
    if (g_window.renderer == nullptr || !CreateFrameTexture()) {
        GiveUp(SDL_GetError());
        return 1;
    }
    // Shown only now: making the renderer may make a new X window.
    ShowWithoutFocus(g_window.window.get());
#ifdef _WIN32
    TerminalSetKeyboardHandBack(&HandBackTheKeyboard);
#endif
#ifdef __EMSCRIPTEN__
    SDL_SetEventFilter(&ToggleFullscreenAtOnce, nullptr);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE,
                                   &RepaintAfterResize);
#endif
    SDL_StartTextInput();
    SDL_DisableScreenSaver();
    // Black until the first frame arrives.
    Paint();
    return 1;
}

void FrameWindowStartPlay()
{
    g_window.dropKeys = true;
#ifdef __EMSCRIPTEN__
    g_window.toldPaused = false;
    qv_tell_window_stage("play");
#endif
}

int FrameWindowUpdate(const PixelType* pixels)
{
    g_window.frame = pixels;
    if (g_window.window != nullptr) {
        HandleEvents();
    }
    g_window.dropKeys = false;
#ifdef __EMSCRIPTEN__
    if (CTimer::IsPaused() != g_window.toldPaused) {
        g_window.toldPaused = !g_window.toldPaused;
        qv_tell_window_stage(g_window.toldPaused ? "paused" : "play");
    }
#endif
#ifdef _WIN32
    if (g_window.window != nullptr) {
        MakeActivatableWhenDue();
    }
#endif
    if (g_window.window != nullptr) { // still there after a renderer reset
        Paint();
    }
    YieldFrame();
    return 1;
}

void FrameWindowSetGameKeys(bool (*isGameKey)(char key))
{
    g_isGameKey = isGameKey;
}

void FrameWindowClose()
{
    g_window.frame = nullptr;
    g_window.menu.Close();
    DestroyWindow();
    StopVideo();
    g_window.isOpen = false;
}

SDL_Window* FrameWindowSdlWindow()
{
    return g_window.window.get();
}

const CZoomMenu& FrameWindowMenu()
{
    return g_window.menu;
}
