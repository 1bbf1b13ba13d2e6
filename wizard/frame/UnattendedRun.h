#pragma once

#include <QString>

// The process-wide switch for runs where nobody can answer (no display). While it is
// on, question boxes and the find-file dialog answer at once and say on standard
// error what they would have asked.
class UnattendedRun
{
public:
    static bool isActive();
    static void setActive(bool active);

    // Rich text as plain text: "<p>" and "<br>" become line breaks, other tags go,
    // the usual entities are decoded.
    static QString plainText(const QString &richText);
    // Writes heading and message (both already expanded) as plain text to standard
    // error, the heading on its own line.
    static void report(const QString &heading, const QString &message);
};
