#pragma once

#include <QByteArray>
#include <QString>

// Member names come from the payload, which may be hostile: before a name reaches a
// terminal, its control characters are shown as "\xNN" so that it cannot move the
// cursor, recolour the screen or forge further lines. Line breaks and tabs of the
// installer's own messages are kept where `keepLineBreaks` says so.
QByteArray terminalSafe(const QByteArray &text, bool keepLineBreaks = true);
QString terminalSafe(const QString &text, bool keepLineBreaks = true);
