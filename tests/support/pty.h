#ifndef QV_TESTS_SUPPORT_PTY_H
#define QV_TESTS_SUPPORT_PTY_H

#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

/// A pseudo-terminal pair (24 x 80) in the default cooked mode. Both ends stay
/// open, so the settings can be read also after the program on it has ended.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        winsize size{24, 80, 0, 0};
        openpty(&m_master, &m_slave, nullptr, nullptr, &size);
        fcntl(m_master, F_SETFD, FD_CLOEXEC);
        fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    }
    ~PseudoTerminal()
    {
        close(m_master);
        close(m_slave);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int Master() const { return m_master; }
    int Slave() const { return m_slave; }
    termios Settings() const
    {
        termios settings{};
        tcgetattr(m_slave, &settings);
        return settings;
    }

private:
    int m_master = -1;
    int m_slave = -1;
};

/// The terminal layer's game mode: raw keys, signals and output processing on.
inline bool IsGameMode(const termios& s)
{
    return (s.c_lflag & (ICANON | ECHO | ISIG)) == ISIG && (s.c_iflag & ICRNL) == 0 &&
           (s.c_oflag & OPOST) != 0 && s.c_cc[VMIN] == 1 && s.c_cc[VTIME] == 0;
}

inline bool SameSettings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

#endif
