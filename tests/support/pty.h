#ifndef QV_TESTS_SUPPORT_PTY_H
#define QV_TESTS_SUPPORT_PTY_H

#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

/// A pseudo-terminal pair in the default cooked mode. Its settings are read
/// through the master, so they stay readable after the program on it ended.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        openpty(&m_master, &m_slave, nullptr, nullptr, nullptr);
        fcntl(m_master, F_SETFD, FD_CLOEXEC);
        fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    }
    ~PseudoTerminal() { close(m_master), CloseSlave(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    int Master() const { return m_master; }
    int Slave() const { return m_slave; }
    /// Once only the child holds the slave, the master ends when the child does.
    void CloseSlave() { m_slave = m_slave >= 0 ? close(m_slave), -1 : -1; }
    termios Settings() const
    {
        termios settings{};
        tcgetattr(m_master, &settings);
        return settings;
    }

private:
    int m_master = -1, m_slave = -1;
};

/// Keys come at once and without echo, while Ctrl+C still interrupts.
inline bool IsGameMode(const termios& s)
{
    return (s.c_lflag & (ICANON | ECHO | ISIG)) == ISIG && s.c_cc[VMIN] == 1;
}

/// Every flag, control character and speed alike.
inline bool SameSettings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

#endif
