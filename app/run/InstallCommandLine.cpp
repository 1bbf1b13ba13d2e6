#include "app/run/InstallCommandLine.h"

#include "app/run/InstallRun.h"
#include "media/platform/Environment.h"

namespace {

// A value-taking option at the end of the line gets the empty text.
QString takeValue(QStringList &rest)
{
    return rest.isEmpty() ? QString() : rest.takeFirst();
}

} // namespace

InstallCommandLine::InstallCommandLine(const QStringList &arguments)
{
    QStringList rest = arguments;
    if (!rest.isEmpty())
        m_programName = rest.takeFirst();
    while (!rest.isEmpty() && m_error.isEmpty())
        readOption(rest.takeFirst(), rest);
}

void InstallCommandLine::readOption(const QString &argument, QStringList &rest)
{
    if (argument == QLatin1String("--modify")) {
        m_modify = true;
    } else if (argument == QLatin1String("--quiet") || argument == QLatin1String("--silent")
               || argument == QLatin1String("-s")) {
        m_runFlags |= InstallRun::Quiet;
    } else if (argument == QLatin1String("--accept-license")) {
        m_runFlags |= InstallRun::AcceptLicense;
    } else if (argument == QLatin1String("--remove")) {
        m_remove = true;
    } else if (argument == QLatin1String("--repair")) {
        m_repair = true;
    } else if (argument == QLatin1String("--no-upgrade")) {
        m_runFlags |= InstallRun::NoUpgrade;
    } else if (argument == QLatin1String("--set")) {
        const QString value = takeValue(rest);
        const int equals = value.indexOf(QLatin1Char('='));
        if (equals > 0)
            m_assignments.append({value.left(equals), value.mid(equals + 1), false});
    } else if (argument == QLatin1String("--destination")) {
        m_assignments.append({QStringLiteral("DestDir"), takeValue(rest), false});
    } else if (argument == QLatin1String("--data-file")) {
        m_dataFile = takeValue(rest);
    } else if (argument == QLatin1String("--data-offset")) {
        m_dataOffset = takeValue(rest);
    } else if (argument == QLatin1String("--user-mode-install")) {
        m_userMode = true;
        m_runFlags |= InstallRun::UserModeInstall;
        m_assignments.append({QStringLiteral("OSAppDir"), Platform::userShareFolder(), true});
    } else {
        m_error = QStringLiteral("Unknown command line option: '") + argument + QLatin1Char('\'');
    }
}

bool InstallCommandLine::programIsUninstaller() const
{
    const QString lastSegment = m_programName.section(QLatin1Char('/'), -1);
    return lastSegment.contains(QLatin1String("uninstall"), Qt::CaseInsensitive);
}

bool InstallCommandLine::isQuiet() const
{
    return (m_runFlags & InstallRun::Quiet) != 0;
}

quint32 InstallCommandLine::dataOffset() const
{
    bool ok = false;
    const quint32 offset = m_dataOffset.toUInt(&ok, 16);
    return ok ? offset : 0;
}
