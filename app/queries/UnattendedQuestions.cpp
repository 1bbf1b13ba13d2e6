#include "app/queries/UnattendedQuestions.h"

#include "app/core/InstallException.h"
#include "app/core/TerminalSafeText.h"
#include "app/core/VariableTable.h"
#include "app/queries/FindFileRequest.h"

#include <QRegularExpression>

#include <cstdio>

int UnattendedQuestions::ask(const Question &question)
{
    if (!question.failureWhenUnanswered.isEmpty())
        throw InstallException(question.failureWhenUnanswered);
    report(expand(question.heading), expand(question.message));
    return (question.buttons & Cancel) ? int(Cancel) : question.defaultButton;
}

InstallQuestions::Location UnattendedQuestions::locate(const QString &path)
{
    const FindFileRequest request = FindFileRequest::forPath(path);
    report(request.title, request.missing);
    return Location{};
}

QString UnattendedQuestions::chooseFolder(const QString &caption, const QString &)
{
    report(caption.trimmed(), QString());
    return QString();
}

QString UnattendedQuestions::plainText(const QString &richText)
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

void UnattendedQuestions::report(const QString &heading, const QString &message)
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
