#ifndef QV_TESTS_SUPPORT_PTY_H
#define QV_TESTS_SUPPORT_PTY_H

#include <string>
#include <string_view>
#include <termios.h>

/// A pseudo-terminal pair with the system's default (cooked) settings. The
/// test keeps both ends: it writes what the "user" types to the master, reads
/// what the program shows from the master, and reads the terminal settings
/// from the slave, also after the program on it has ended.
class PseudoTerminal
{
public:
    /// Opens the pair with 24 rows and 80 columns.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool IsOpen() const { return m_master >= 0 && m_slave >= 0; }
    int Master() const { return m_master; }
    int Slave() const { return m_slave; }

    /// The current settings of the terminal (tcgetattr on the slave).
    termios Settings() const;
    /// Types bytes into the terminal; false when not all could be written.
    bool Write(std::string_view bytes) const;

private:
    int m_master = -1;
    int m_slave = -1;
};

/// True when the settings are the game mode of the terminal layer: no
/// canonical input, no echo, Enter as carriage return, signals and output
/// processing kept.
bool IsGameMode(const termios& settings);

/// True when both settings agree in every flag and control character.
bool SameSettings(const termios& a, const termios& b);

#endif
