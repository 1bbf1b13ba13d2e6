#include "app/run/InstallRun.h"

#include "app/core/InstallException.h"
#include "app/core/ProcessEnd.h"
#include "app/core/VariableTable.h"
#include "app/queries/UserQueries.h"
#include "app/run/InstallCommandLine.h"
#include "configuration/desktop/VantorDriverInstallConfigurationItem.h"
#include "configuration/model/InstallConfigurationList.h"
#include "media/install/FileStoreInstallMedia.h"
#include "media/install/PackageArchiveInstallMedia.h"
#include "media/platform/Environment.h"
#include "media/platform/FileSystem.h"
#include "media/platform/ProcessRunner.h"

#include <QFileInfo>

#include <unistd.h>

namespace {

InstallRun *currentRun = nullptr;
bool rootRequiredFlag = false;

// A user-mode installation is removed by its owner without root: its uninstaller lies
// in a folder that user owns, which only that user (or root) could have written.
bool isOwnUninstaller(const InstallCommandLine &commandLine)
{
    return commandLine.programIsUninstaller() && !Platform::isAdministrator()
           && QFileInfo(Platform::installerFolder()).ownerId() == ::getuid();
}

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

bool InstallRun::isRootRequired()
{
    return rootRequiredFlag;
}

void InstallRun::setRootRequired(bool required)
{
    rootRequiredFlag = required;
}

void InstallRun::setUp(const InstallCommandLine &commandLine)
{
    if (!commandLine.isValid()) {
        reportError(commandLine.error());
        ProcessEnd::now(1);
    }
    // Root would write where the user's environment points (XDG_DATA_HOME, HOME) and
    // hand the result to whoever controls those folders.
    if (commandLine.userModeInstall() && Platform::isAdministrator()) {
        reportError(QStringLiteral("--user-mode-install installs for the user who runs it; run it without sudo"));
        ProcessEnd::now(1);
    }
    const bool userMode = commandLine.userModeInstall() || isOwnUninstaller(commandLine);
    setRunFlags(commandLine.runFlags() | (userMode ? UserModeInstall : 0));
    for (const InstallCommandLine::Assignment &assignment : commandLine.assignments()) {
        if (assignment.isPath)
            setPathVariable(assignment.name, assignment.value);
        else
            setVariable(assignment.name, assignment.value);
    }
    if (userMode) {
        setRootRequired(false);
        for (InstallConfigurationItem *item : m_configurationList->findChildren<InstallConfigurationItem *>()) {
            if (auto *rules = dynamic_cast<VantorDriverInstallConfigurationItem *>(item))
                rules->offerOnlyToRoot();
        }
    }
    if (isRootRequired() && !Platform::isAdministrator()) {
        reportError(QStringLiteral("The installer must be run as root.\n"
                                   "To install for yourself only, run it with --user-mode-install"));
        ProcessEnd::now(1);
    }

    setMode(Typical);
    if (commandLine.programIsUninstaller())
        setMode(Remove);
    if (commandLine.modifyRequested())
        setMode(Modify);
    else if (commandLine.removeRequested())
        setMode(Remove);
    else if (commandLine.repairRequested())
        setMode(Repair);

    if (commandLine.dataFile().isEmpty())
        setMedia(new FileStoreInstallMedia(QStringLiteral("$(SrcDir)")));
    else
        setMedia(new PackageArchiveInstallMedia(commandLine.dataFile(), commandLine.dataOffset()));
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
