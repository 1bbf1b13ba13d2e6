#include "ConsoleOutput.h"

#include <cstdio>

namespace ConsoleOutput {

void line(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fputc('\n', stdout);
}

void line(const QString &text)
{
    line(text.toLocal8Bit());
}

void error(const QByteArray &text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "pkgarchive: %s\n", text.constData());
}

} // namespace ConsoleOutput
