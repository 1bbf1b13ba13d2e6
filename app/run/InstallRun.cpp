#include "app/run/InstallRun.h"

#include "app/core/InstallException.h"
#include "configuration/model/InstallConfigurationList.h"
#include "media/install/InstallMedia.h"
#include "media/platform/ProcessRunner.h"

namespace {

InstallRun *currentRun = nullptr;

} // namespace

InstallRun::InstallRun(InstallConfigurationList *configurationList)
    : m_configurationList(configurationList)
{
    // Every change of mode changes which items are due.
    if (m_configurationList)
        connect(this, &InstallRun::modeChanged, m_configurationList, &InstallConfigurationItem::checkWillInstall);
    currentRun = this;
}

InstallRun::~InstallRun()
{
    // The configuration list belongs to whoever built it; the media are ours.
    delete m_media;
    if (currentRun == this)
        currentRun = nullptr;
}

InstallRun *InstallRun::instance()
{
    return currentRun;
}

InstallMedia *InstallRun::media() const
{
    if (!m_media)
        throw InstallException(QStringLiteral("No installation media"));
    return m_media;
}

void InstallRun::setMedia(InstallMedia *media)
{
    if (media == m_media)
        return;
    delete m_media;
    m_media = media;
}

void InstallRun::addPostInstallCommand(const QStringList &command, bool unique)
{
    if (unique && m_postInstallCommands.contains(command))
        return;
    m_postInstallCommands.append(command);
}

// The commands are argument lists of system tools: a folder name with spaces or ">" in
// it (from XDG_DATA_HOME, say) stays one argument and never becomes a redirection.
void InstallRun::runPostInstallCommands()
{
    const bool quiet = (runFlags() & Quiet) != 0;
    // A script reads the run's standard error for the run's own failures only.
    for (const QStringList &command : std::as_const(m_postInstallCommands))
        Platform::runSystemTool(command, quiet, quiet);
}

bool InstallRun::isUserModeInstall()
{
    const InstallRun *run = instance();
    return run && (run->runFlags() & UserModeInstall);
}

void InstallRun::setMode(InstallRun::Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    emit modeChanged(mode);
}
