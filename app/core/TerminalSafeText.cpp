#include "app/core/TerminalSafeText.h"

namespace {

bool isControl(uint code, bool keepLineBreaks)
{
    if (keepLineBreaks && (code == '\n' || code == '\t'))
        return false;
    return code < 0x20 || code == 0x7f;
}

QByteArray escaped(uint code)
{
    return "\\x" + QByteArray::number(code, 16).rightJustified(2, '0');
}

} // namespace

QByteArray terminalSafe(const QByteArray &text, bool keepLineBreaks)
{
    QByteArray safe;
    safe.reserve(text.size());
    for (const char c : text) {
        const uint code = uchar(c);
        if (isControl(code, keepLineBreaks))
            safe += escaped(code);
        else
            safe += c;
    }
    return safe;
}

QString terminalSafe(const QString &text, bool keepLineBreaks)
{
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c.unicode(), keepLineBreaks))
            safe += QString::fromLatin1(escaped(c.unicode()));
        else
            safe += c;
    }
    return safe;
}
