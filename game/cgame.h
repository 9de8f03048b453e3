#ifndef QV_GAME_CGAME_H
#define QV_GAME_CGAME_H

#include "util/ctimer.h"

class CAsteroidField;
class CPlayer;

/// Runs one game after another until the player declines to play again.
/// The object's own stopwatch is the game clock from which a game's score is
/// computed; pausing the program-wide clock freezes it with everything else.
class CGame : public CTimer
{
public:
    static constexpr double START_DELAY = 3.0;
    static constexpr double WAVE_INTERVAL = 10.0;

    CGame() = default;

    /// The banner, the name, then games until the play-again answer is no.
    void Play(CPlayer& player, CAsteroidField& field);
    /// Pause and quit are handled here; every other command goes to the
    /// field (as no command while the clock is paused).
    void HandleCommand(int command, CAsteroidField& field);
    void TogglePause();
    /// Whole seconds survived (rounded half up) times 100.
    int Score() const;

private:
    bool m_quit = false;
};

#endif
