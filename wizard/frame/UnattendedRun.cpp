#include "wizard/frame/UnattendedRun.h"

#include "app/core/TerminalSafeText.h"

#include <QRegularExpression>

#include <cstdio>

namespace {

bool unattended = false;

} // namespace

bool UnattendedRun::isActive()
{
    return unattended;
}

void UnattendedRun::setActive(bool active)
{
    unattended = active;
}

QString UnattendedRun::plainText(const QString &richText)
{
    static const QRegularExpression lineBreak(QStringLiteral("<(p|br)(\\s[^>]*)?/?>"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression blankLines(QStringLiteral("\n{2,}"));
    QString text = richText;
    text.replace(lineBreak, QStringLiteral("\n"));
    text.remove(tag);
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    // Last, so that "&amp;lt;" stays the literal text "&lt;".
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    text.replace(blankLines, QStringLiteral("\n"));
    return text.trimmed();
}

void UnattendedRun::report(const QString &heading, const QString &message)
{
    const QString headingText = plainText(heading);
    const QString messageText = plainText(message);
    QString out;
    if (!headingText.isEmpty())
        out += headingText + QLatin1Char('\n');
    if (!messageText.isEmpty())
        out += messageText + QLatin1Char('\n');
    std::fputs(terminalSafe(out.toLocal8Bit()).constData(), stderr);
    std::fflush(stderr);
}
