#include "media/platform/Terminal.h"

#include <cstdio>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace Platform {

bool terminalSize(int *columns, int *rows)
{
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
        return false;
    if (columns)
        *columns = size.ws_col;
    if (rows)
        *rows = size.ws_row;
    return true;
}

int readKey()
{
    termios previous{};
    if (::tcgetattr(STDIN_FILENO, &previous) != 0)
        return std::getchar(); // not a terminal: there is no line discipline to switch

    termios raw = previous;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    const int key = std::getchar();
    ::tcsetattr(STDIN_FILENO, TCSANOW, &previous);
    return key;
}

} // namespace Platform
