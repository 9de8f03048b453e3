#include "support/pty.h"

#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <pty.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    if (openpty(&m_master, &m_slave, nullptr, nullptr, &size) != 0) {
        m_master = m_slave = -1;
        return;
    }
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal()
{
    for (const int fd : {m_master, m_slave}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

termios PseudoTerminal::Settings() const
{
    termios settings{};
    tcgetattr(m_slave, &settings);
    return settings;
}

bool IsGameMode(const termios& settings)
{
    return (settings.c_lflag & ICANON) == 0 && (settings.c_lflag & ECHO) == 0 &&
           (settings.c_iflag & ICRNL) == 0 && (settings.c_lflag & ISIG) != 0 &&
           (settings.c_oflag & OPOST) != 0 && settings.c_cc[VMIN] == 1 && settings.c_cc[VTIME] == 0;
}

bool SameSettings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}
