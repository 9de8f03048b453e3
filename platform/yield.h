#ifndef QV_PLATFORM_YIELD_H
#define QV_PLATFORM_YIELD_H

// Where a loop that waits gives the browser a turn.
//
// In a browser the whole game is one long call of main on the page's only
// thread: nothing is painted and no key, timer or visibility event reaches
// the game until it lets the page's event loop run. The loops that wait call
// these, and the game's waiting loops call nothing else for that purpose. On
// the desktop both return at once: the system queues keys and window events
// meanwhile, and vsync paces the presents.

/// From a loop that waits on a clock: lets the browser run for a moment
/// (a ten-millisecond timer, which a busy or hidden page's browser may
/// stretch).
void YieldTurn();

/// From a present: waits for the browser's next animation frame, as vsync
/// paces a desktop window. Browsers give no frames to a hidden page, so the
/// game stands still there until the page is shown again.
void YieldFrame();

#endif
