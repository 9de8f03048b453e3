#include "game/cgame.h"

#include "game/casteroidfield.h"
#include "game/commands.h"
#include "game/cplayer.h"
#include "platform/yield.h"
#include "render/framewindow.h"

#include <cmath>
#include <iostream>

void CGame::Play(CPlayer& player, CAsteroidField& field)
{
    player.ShowBanner();
    CTimer waveTimer;
    CTimer waitTimer;
    player.AskName();
    player.SetScore(0);
    player.SetHighScore(0);

    for (;;) {
        waitTimer.Reset();
        player.ShowHelp();
        // Keys typed during the wait stay queued for the play loop.
        while (waitTimer.Elapsed() <= START_DELAY) {
            YieldTurn();
        }
        FrameWindowStartPlay();
        field.Draw();
        m_quit = false;
        Reset();
        waveTimer.Reset();
        field.AddAsteroid();

        for (;;) {
            if (waveTimer.Elapsed() >= WAVE_INTERVAL) {
                field.AddAsteroid();
                waveTimer.Reset();
            }
            HandleCommand(player.GetCommand(), field);
            if (field.IsOver() || m_quit) {
                break;
            }
        }
        // A game quit while paused must not leave the clock frozen, or the
        // next game's start delay would never end.
        CTimer::Resume();

        std::cout << "\a\a\a\a" << std::flush;
        player.SetScore(Score());
        if (player.GetHighScore() < player.GetScore()) {
            player.SetHighScore(player.GetScore());
        }
        player.ShowGameOver();
        field.Reset();
        if (!player.AskPlayAgain()) {
            return;
        }
    }
}

void CGame::HandleCommand(int command, CAsteroidField& field)
{
    switch (command) {
    case CMD_PAUSE:
        TogglePause();
        break;
    case CMD_QUIT:
        m_quit = true;
        break;
    default:
        field.Update(CTimer::IsPaused() ? CMD_NONE : command);
        break;
    }
}

void CGame::TogglePause()
{
    CTimer::TogglePause();
}

int CGame::Score() const
{
    // The game clock never runs backwards, so this rounds halves up.
    return static_cast<int>(std::floor(Elapsed() + 0.5)) * 100;
}
