#ifndef QV_TESTS_SUPPORT_PTY_H
#define QV_TESTS_SUPPORT_PTY_H

#include <termios.h>

/// A pseudo-terminal pair (24 x 80) with the system's default cooked
/// settings. The test keeps both ends open, so it can type to and read from
/// the master and read the settings from the slave, also after the program on
/// it has ended.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool IsOpen() const { return m_master >= 0 && m_slave >= 0; }
    int Master() const { return m_master; }
    int Slave() const { return m_slave; }
    /// The current settings of the terminal.
    termios Settings() const;

private:
    int m_master = -1;
    int m_slave = -1;
};

/// True for the game mode of the terminal layer: no canonical input, no echo,
/// Enter as carriage return, signals and output processing kept.
bool IsGameMode(const termios& settings);

/// True when both settings agree in every flag and control character.
bool SameSettings(const termios& a, const termios& b);

#endif
