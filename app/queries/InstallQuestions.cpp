#include "app/queries/InstallQuestions.h"

#include "app/queries/UnattendedQuestions.h"

namespace {

InstallQuestions *installedQuestions = nullptr;

} // namespace

InstallQuestions::~InstallQuestions()
{
    if (installedQuestions == this)
        installedQuestions = nullptr;
}

int InstallQuestions::ask(const QString &heading, const QString &message, int buttons, int defaultButton)
{
    return ask(Question{heading, message, buttons, defaultButton, QString()});
}

void InstallQuestions::reportError(const QString &text)
{
    ask(QStringLiteral("Installation Error"), text + QStringLiteral(".<p>Click OK to terminate installation"), Ok, Ok);
}

InstallQuestions &InstallQuestions::current()
{
    static UnattendedQuestions unattended;
    return installedQuestions ? *installedQuestions : unattended;
}

InstallQuestions *InstallQuestions::install(InstallQuestions *questions)
{
    InstallQuestions *const previous = installedQuestions;
    installedQuestions = questions;
    return previous;
}
