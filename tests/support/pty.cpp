#include "support/pty.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    if (openpty(&m_master, &m_slave, nullptr, nullptr, &size) != 0) {
        m_master = -1;
        m_slave = -1;
        return;
    }
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal()
{
    if (m_master >= 0) {
        close(m_master);
    }
    if (m_slave >= 0) {
        close(m_slave);
    }
}

termios PseudoTerminal::Settings() const
{
    termios settings{};
    tcgetattr(m_slave, &settings);
    return settings;
}

bool PseudoTerminal::Write(std::string_view bytes) const
{
    while (!bytes.empty()) {
        const ssize_t written = write(m_master, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
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
