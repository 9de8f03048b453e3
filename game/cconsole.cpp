#include "game/cconsole.h"

#include "platform/terminal.h"

#include <climits>

bool CConsole::KeyHit() const
{
    return TerminalKeyHit();
}

char CConsole::GetKey()
{
    const char key = TerminalGetKey();
    return key == '\r' ? '\n' : key;
}

char CConsole::GetKeyEcho()
{
    const char key = GetKey();
    *this << key;
    return key;
}

std::string CConsole::ReadLine()
{
    std::string line;
    for (char key = GetKeyEcho(); key != '\n'; key = GetKeyEcho()) {
        line += key;
    }
    return line;
}

namespace {
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}
} // namespace

bool CConsole::ReadInt(int& value)
{
    value = 0;
    bool negative = false;
    char key = GetKeyEcho();
    if (key == '-') {
        negative = true;
        key = GetKeyEcho();
    }
    if (!IsDigit(key)) {
        return false;
    }
    // Accumulated as a negative number, whose range is one larger, and held
    // at the limit once it is reached: a long row of digits must not overflow.
    const long long limit =
        negative ? static_cast<long long>(INT_MIN) : -static_cast<long long>(INT_MAX);
    long long magnitude = 0;
    while (IsDigit(key)) {
        magnitude = magnitude * 10 - (key - '0');
        if (magnitude < limit) {
            magnitude = limit;
        }
        key = GetKeyEcho();
    }
    value = static_cast<int>(negative ? magnitude : -magnitude);
    return true;
}

int CConsole::ReadPositiveInt(const std::string& prompt)
{
    for (;;) {
        *this << prompt;
        int value = 0;
        if (ReadInt(value) && value > 0) {
            return value;
        }
        if (InputEnded()) {
            return 1;
        }
        *this << "Please enter a positive integer!! \n\n";
    }
}

bool CConsole::InputEnded() const
{
    return TerminalInputEnded();
}

CConsole& CConsole::operator<<(char c)
{
    TerminalPutChar(c);
    return *this;
}

CConsole& CConsole::operator<<(const char* text)
{
    for (; *text != '\0'; ++text) {
        TerminalPutChar(*text);
    }
    return *this;
}

CConsole& CConsole::operator<<(const std::string& text)
{
    return *this << text.c_str();
}

CConsole& CConsole::operator<<(int n)
{
    return *this << IntToText(n);
}

std::string CConsole::IntToText(int n)
{
    // Digits are taken from the negative value, which holds every int
    // including INT_MIN, least significant first.
    long long rest = n < 0 ? n : -static_cast<long long>(n);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' - rest % 10));
        rest /= 10;
    } while (rest != 0);
    if (n < 0) {
        digits.insert(digits.begin(), '-');
    }
    return digits;
}
