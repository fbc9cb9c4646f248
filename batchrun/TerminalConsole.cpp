#include "batchrun/TerminalConsole.h"

#include <cerrno>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

void write(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, bytes.size(), stream);
    std::fflush(stream);
}

} // namespace

void TerminalConsole::Print(const QString &text)
{
    write(stdout, text);
}

void TerminalConsole::PrintError(const QString &text)
{
    write(stderr, text);
}

void TerminalConsole::WaitForKey()
{
    termios saved{};
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0)
        return;
    termios raw = saved;
    // Without ISIG, Ctrl+C is a key like any other and cannot leave the terminal in raw mode.
    raw.c_lflag &= ~tcflag_t(ICANON | ECHO | ISIG);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw);
    char key = 0;
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
    tcflush(STDIN_FILENO, TCIFLUSH);
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}
