// On the desktop nothing needs a turn: the system queues the keys and the
// window's events while the game waits, and vsync paces the presents.
#include "platform/yield.h"

void YieldTurn() {}

void YieldFrame() {}
