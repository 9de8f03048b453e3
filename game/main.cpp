// Entry point of Quorvadellix: loads and checks the two pictures, opens the
// screen on the welcome picture, and plays games until the player declines
// to play again.
#include "game/casteroidfield.h"
#include "game/cgame.h"
#include "game/commands.h"
#include "game/cplayer.h"
#include "game/gamepictures.h"
#include "image/cimagerecord.h"
#include "platform/terminal.h"
#include "render/cscreen.h"
#include "render/framewindow.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

constexpr const char* TITLE = "Quorvadellix";
constexpr const char* PLAYER_NAME = "no name";

// Reports a failure that ends the run, with the terminal put back first so
// that the message appears on a sane terminal.
int Fail(const std::string& message, int status)
{
    TerminalRestore();
    std::fflush(stdout);
    std::fprintf(stderr, "quorvadellix: %s\n", message.c_str());
    return status;
}

int Run()
{
    CImageRecord background(BACKGROUND_PICTURE, IMAGE_FORMAT_UNKNOWN);
    CImageRecord welcome(WELCOME_PICTURE, IMAGE_FORMAT_UNKNOWN);
    for (const std::string& warning : {PictureWarning(BACKGROUND_PICTURE, background),
                                       PictureWarning(WELCOME_PICTURE, welcome)}) {
        if (!warning.empty()) {
            std::fprintf(stderr, "quorvadellix: %s\n", warning.c_str());
        }
    }
    // The game cannot run with a picture it cannot show: say why before any
    // banner or window appears.
    const std::string problem =
        GamePicturesProblem(BACKGROUND_PICTURE, background, WELCOME_PICTURE, welcome);
    if (!problem.empty()) {
        return Fail(problem, 1);
    }

    // The game's keys steer from the window as from the terminal.
    FrameWindowSetGameKeys(&IsCommandKey);
    CScreen screen(TITLE, welcome, false);
    screen.Refresh();
    screen.SetBackground(background);

    CGame game;
    CPlayer player(PLAYER_NAME);
    CAsteroidField field(screen);
    game.Play(player, field);
    return 0;
}

} // namespace

// Ends through exit() rather than a return, which a browser's runtime would
// not report as the end of the program once the game has waited.
int main()
{
    int status = 0;
    try {
        status = Run();
    } catch (const std::exception& error) {
        status = Fail(error.what(), 2);
    }
    std::exit(status);
}
