#pragma once

#include <QString>

class InstallConfigurationList;
class InstallRun;
class InstallStepReporter;

// The steps of a run on its configuration list: check what is installed, install,
// modify, repair, upgrade and remove, and the installation record around them. They
// show their progress and result through an InstallStepReporter and ask nothing
// themselves: the items ask through InstallQuestions.
class InstallSteps
{
public:
    InstallSteps(InstallRun &run, InstallStepReporter &reporter);

    // Each checks the installation data first and writes the record after, also when
    // the step fails inside (then the caller's saveRecordIfPending writes it).
    void install();
    void modify();
    void repair();
    void upgrade();
    // A removal writes no record: the uninstaller takes it away with the rest.
    bool remove();

    // Opens the installation whose record is at `recordPath` for removal or upgrade:
    // its folders must be safe to act in as root, its record must read (an upgrade may
    // do without), its folder is asked for when unknown, and what it holds is checked.
    void openInstallation(const QString &recordPath);
    // Reads which items the record says are installed; the Checking phase is shown.
    void checkInstalledComponents();
    bool readRecord(const QString &path, const QString &destination);
    void saveRecordIfPending();
    void forgetPendingRecord() { m_recordPending = false; }

    // The result page's failure, the post-installation commands after it.
    void fail(const QString &message);
    // "$(Product) $(Version) has not been installed." and its siblings, by mode.
    QString notDoneText() const;

private:
    void runWithRecord(void (InstallSteps::*step)());
    void verifyInstallationData();
    void installStep();
    void modifyStep();
    void repairStep();
    void upgradeStep();
    bool runInstall();
    bool runRemove();
    bool runUpgrade();
    bool runItems(bool (InstallConfigurationList::*pass)());
    void registerInstallerSettings();
    void finishQuietly(bool ok);
    // A quiet run's end when quietEnd, else the result page: failure or success.
    void conclude(bool quietEnd, bool ok, const QString &failure, const QString &success);
    void succeed(const QString &message);
    void saveRecord();
    bool isQuiet() const;

    InstallRun &m_run;
    InstallStepReporter &m_reporter;
    bool m_recordPending = false;
};
