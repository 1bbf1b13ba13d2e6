#include "ConsoleOutput.h"

#include "app/core/TerminalSafeText.h"

#include <cstdio>

namespace ConsoleOutput {

void line(const QByteArray &text)
{
    const QByteArray safe = terminalSafe(text);
    std::fwrite(safe.constData(), 1, size_t(safe.size()), stdout);
    std::fputc('\n', stdout);
}

void line(const QString &text)
{
    line(text.toLocal8Bit());
}

void error(const QByteArray &text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "pkgarchive: %s\n", terminalSafe(text).constData());
}

} // namespace ConsoleOutput
