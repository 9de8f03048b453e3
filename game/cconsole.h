#ifndef QV_GAME_CCONSOLE_H
#define QV_GAME_CCONSOLE_H

#include <string>

/// The console channel of the game: writes text one character at a time and
/// reads single keys, through the terminal layer. It has no state of its own;
/// every write returns the console, so that writes can be chained.
class CConsole
{
public:
    /// True if a key is waiting; never waits and consumes nothing.
    bool KeyHit() const;
    /// Waits for one key and returns it without echo. A carriage return comes
    /// back as a line feed; nothing else is translated. Once standard input
    /// has ended every call returns a line feed at once.
    char GetKey();
    /// GetKey(), then writes the key (so Enter echoes as a line feed).
    char GetKeyEcho();
    /// Reads keys with echo up to a line feed and returns the keys before it.
    /// No line editing: Backspace and every other key are kept as they are.
    /// The end of input ends the line.
    std::string ReadLine();
    /// Reads an optionally signed decimal integer with echo. Returns false
    /// (value 0) when no digit comes first; the key that ends the number is
    /// consumed. A number beyond the int range is held at INT_MAX or INT_MIN.
    bool ReadInt(int& value);
    /// Writes the prompt and reads an integer until one greater than 0 comes,
    /// complaining after each failed attempt. Once standard input has ended
    /// no number can come any more: it then returns 1, the smallest accepted
    /// value, instead of asking for ever.
    int ReadPositiveInt(const std::string& prompt);
    /// True once standard input has ended (see ReadPositiveInt).
    bool InputEnded() const;

    CConsole& operator<<(char c);
    CConsole& operator<<(const char* text);
    CConsole& operator<<(const std::string& text);
    /// Writes IntToText(n).
    CConsole& operator<<(int n);

    /// Decimal digits of n, most significant first, without padding; 0 gives
    /// "0". A negative number gets a leading minus sign.
    static std::string IntToText(int n);
};

#endif
