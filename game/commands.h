#ifndef QV_GAME_COMMANDS_H
#define QV_GAME_COMMANDS_H

// Command codes of the keys that the player types during play. The game loop
// acts on CMD_PAUSE and CMD_QUIT itself and hands every other code to the
// asteroid field, whose ship acts on the four steering codes.

constexpr int CMD_TURN_LEFT = 0;  // 'a'
constexpr int CMD_TURN_RIGHT = 1; // 'd'
constexpr int CMD_FORWARD = 2;    // 'w'
constexpr int CMD_BRAKE = 3;      // 's'
constexpr int CMD_PAUSE = 4;      // 'p'
constexpr int CMD_QUIT = 5;       // 'k'
constexpr int CMD_HELP = 6;       // 'h'
constexpr int CMD_NONE = 7;       // no key, or a key that is none of the above

/// The command code of a key: only the lower-case letters above are keys;
/// every other key (upper case included) gives CMD_NONE.
constexpr int CommandForKey(char key)
{
    switch (key) {
    case 'a':
        return CMD_TURN_LEFT;
    case 'd':
        return CMD_TURN_RIGHT;
    case 'w':
        return CMD_FORWARD;
    case 's':
        return CMD_BRAKE;
    case 'p':
        return CMD_PAUSE;
    case 'k':
        return CMD_QUIT;
    case 'h':
        return CMD_HELP;
    default:
        return CMD_NONE;
    }
}

/// True for the keys that have a command: the keys the game reads.
constexpr bool IsCommandKey(char key)
{
    return CommandForKey(key) != CMD_NONE;
}

#endif
