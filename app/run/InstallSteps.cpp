#include "app/run/InstallSteps.h"

#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "app/records/InstalledConfiguration.h"
#include "app/run/InstallRun.h"
#include "app/run/InstallStepReporter.h"
#include "app/queries/InstallQuestions.h"
#include "app/run/ModeText.h"
#include "app/run/RootFolderGuard.h"
#include "configuration/items/InstallSettingKeyConfigurationItem.h"
#include "configuration/model/InstallConfigurationList.h"
#include "configuration/product/InstallStandardInstallerConfigurationList.h"
#include "media/install/InstallMedia.h"

#include <QFileInfo>

InstallSteps::InstallSteps(InstallRun &run, InstallStepReporter &reporter) : m_run(run), m_reporter(reporter) {}

void InstallSteps::install()
{
    runWithRecord(&InstallSteps::installStep);
}

void InstallSteps::modify()
{
    runWithRecord(&InstallSteps::modifyStep);
}

void InstallSteps::repair()
{
    runWithRecord(&InstallSteps::repairStep);
}

void InstallSteps::upgrade()
{
    runWithRecord(&InstallSteps::upgradeStep);
}

bool InstallSteps::remove()
{
    return runRemove();
}

void InstallSteps::runWithRecord(void (InstallSteps::*step)())
{
    verifyInstallationData();
    // Set before the step so that a failure inside it still writes the record.
    m_recordPending = true;
    (this->*step)();
    saveRecord();
}

// Damaged data must fail the run before the first file, settings value or record is
// written: the format has no per-member check, only the stream's own at its end.
void InstallSteps::verifyInstallationData()
{
    InstallMedia *media = m_run.media();
    if (!media->needsVerification())
        return;
    m_reporter.showPhase(InstallStepReporter::CheckingData);
    media->verifyData([this](quint64 done, quint64 total) { m_reporter.showDataProgress(done, total); });
}

void InstallSteps::installStep()
{
    runInstall();
}

void InstallSteps::modifyStep()
{
    m_reporter.showPhase(InstallStepReporter::Removing);
    bool ok = m_run.configurationList()->uninstall();
    if (ok) {
        m_reporter.showPhase(InstallStepReporter::Installing);
        ok = m_run.configurationList()->install();
    }
    if (ok)
        succeed(QStringLiteral("The $(Product) $(Version) installation has now been modified."));
    else
        fail(QStringLiteral("$(Product) $(Version) has not been modified successfully."));
}

void InstallSteps::repairStep()
{
    if (runRemove())
        runInstall();
}

void InstallSteps::upgradeStep()
{
    runUpgrade();
}

void InstallSteps::registerInstallerSettings()
{
    auto *list = dynamic_cast<InstallStandardInstallerConfigurationList *>(m_run.configurationList());
    if (!list || !list->settingsItem())
        return;
    for (const char *name : {"DestDir", "SrcDir", "ProgramFolderDir"}) {
        const QString key = QString::fromLatin1(name);
        list->settingsItem()->setValue(key, expand(QStringLiteral("$(") + key + QLatin1Char(')')));
    }
}

// Runs the items' install or uninstall pass. An item failure nobody could answer
// (headless) arrives as an exception and ends the run with what was not done and why.
bool InstallSteps::runItems(bool (InstallConfigurationList::*pass)())
{
    try {
        return (m_run.configurationList()->*pass)();
    } catch (const InstallException &failure) {
        throw InstallException(notDoneText() + QStringLiteral("<p>") + failure.message());
    }
}

bool InstallSteps::isQuiet() const
{
    return (m_run.runFlags() & InstallRun::Quiet) != 0;
}

// A quiet run shows no result page; the desktop databases are refreshed all the same,
// so that the menu entry and the file types appear at once.
void InstallSteps::finishQuietly(bool ok)
{
    m_run.runPostInstallCommands();
    m_run.setResult(ok ? 1 : 0);
    m_reporter.endQuietRun();
}

bool InstallSteps::runInstall()
{
    m_reporter.showPhase(InstallStepReporter::Installing);
    registerInstallerSettings();
    m_reporter.setConfigurationPrefix(QStringLiteral("Installing "));
    const bool ok = runItems(&InstallConfigurationList::install);
    conclude(isQuiet(), ok, QStringLiteral("$(Product) $(Version) has not been installed."),
             QStringLiteral("$(Product) $(Version) has now been installed."));
    return ok;
}

bool InstallSteps::runRemove()
{
    m_reporter.showPhase(InstallStepReporter::Removing);
    m_reporter.setConfigurationPrefix(QStringLiteral("Removing "));
    const bool ok = runItems(&InstallConfigurationList::uninstall);
    // A repair goes on to install after the removal: only a removal ends here.
    conclude(isQuiet() && m_run.mode() == InstallRun::Remove, ok,
             QStringLiteral("$(Product) $(Version) has not been uninstalled."),
             QStringLiteral("$(Product) $(Version) had now been uninstalled."));
    return ok;
}

bool InstallSteps::runUpgrade()
{
    m_reporter.showPhase(InstallStepReporter::Upgrading);
    m_reporter.setConfigurationPrefix(QStringLiteral("Removing "));
    if (!runItems(&InstallConfigurationList::uninstall)) {
        fail(QStringLiteral("$(Product) $(Version) has not been upgraded."));
        return false;
    }
    registerInstallerSettings();
    m_reporter.setConfigurationPrefix(QStringLiteral("Installing "));
    const bool ok = runItems(&InstallConfigurationList::install);
    conclude(isQuiet(), ok, notDoneText(), QStringLiteral("$(Product) $(Version) has now been upgraded."));
    return ok;
}

void InstallSteps::conclude(bool quietEnd, bool ok, const QString &failure, const QString &success)
{
    if (quietEnd)
        finishQuietly(ok);
    else if (!ok)
        fail(failure);
    else
        succeed(success);
}

void InstallSteps::succeed(const QString &message)
{
    m_reporter.showSuccess(message);
    m_run.runPostInstallCommands();
}

void InstallSteps::fail(const QString &message)
{
    m_reporter.showFailure(message);
    m_run.runPostInstallCommands();
}

QString InstallSteps::notDoneText() const
{
    return byMode(m_run.mode(), "$(Product) $(Version) has not been installed.",
                  "$(Product) $(Version) has not been modified successfully.",
                  "$(Product) $(Version) has not been repaired.", "$(Product) $(Version) has not been uninstalled.",
                  "$(Product) $(Version) has not been upgraded.");
}

void InstallSteps::saveRecordIfPending()
{
    if (m_recordPending)
        saveRecord();
}

void InstallSteps::saveRecord()
{
    m_recordPending = false;
    // Without its record an installation can be neither removed nor upgraded: a record
    // that cannot be written fails the run.
    const QString path = expand(QStringLiteral("$(InstallerDir)/IConf.xml"));
    QString failure;
    if (!saveInstalledConfiguration(path, &failure) && !failure.isEmpty())
        throw InstallException(QStringLiteral("Cannot write the installation record ") + path + QLatin1Char('\n')
                               + failure);
}

bool InstallSteps::readRecord(const QString &path, const QString &destination)
{
    return loadInstalledConfiguration(path, destination);
}

void InstallSteps::openInstallation(const QString &recordPath)
{
    // A record elsewhere (beside the running uninstall copy in "bin") belongs to the
    // installation that holds that folder.
    const QString recordFolder = QFileInfo(recordPath).path();
    const QString destination = recordPath == expand(QStringLiteral("$(InstallerDir)/IConf.xml"))
                                        ? expand(QStringLiteral("$(DestDir)"))
                                        : QFileInfo(recordFolder).path();
    for (const QString &folder : {destination, recordFolder}) {
        const QString refusal = RootFolderGuard::refusal(folder, true);
        if (!refusal.isEmpty())
            throw InstallException(refusal);
    }
    // Removing without the record would take only the installer's own files away and
    // still report success.
    if (QFileInfo::exists(recordPath) && !readRecord(recordPath, destination) && m_run.mode() != InstallRun::Upgrade)
        throw InstallException(QStringLiteral("Cannot read the installation record ") + recordPath);
    if (variable(QStringLiteral("DestDir")).isEmpty()) {
        const QString caption = expand(QStringLiteral("Please locate $(Product) folder.\n"));
        const QString answer = InstallQuestions::current().chooseFolder(caption, expand(QStringLiteral("$(DestDir)")));
        if (answer.isEmpty())
            throw InstallException(QStringLiteral("$(Product) folder not located"));
        setVariable(QStringLiteral("DestDir"), answer);
    }
    checkInstalledComponents();
}

void InstallSteps::checkInstalledComponents()
{
    m_reporter.showPhase(InstallStepReporter::Checking);
    if (!m_run.configurationList()->checkInstalled())
        throw InstallException(QStringLiteral("Cannot check installation configuration"));
}
