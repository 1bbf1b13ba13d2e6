#pragma once

#include <QString>
#include <QtGlobal>

// What the run steps tell whoever shows them: the wizard puts it on its progress and
// result pages, a test writes it down.
class InstallStepReporter
{
public:
    enum Phase { Installing = 0, Removing = 1, Repairing = 3, Upgrading = 4, Checking = 5, CheckingData = 6 };

    virtual ~InstallStepReporter() = default;

    virtual void showPhase(Phase phase) = 0;
    // "Installing " or "Removing ": put before each item's name while it runs.
    virtual void setConfigurationPrefix(const QString &prefix) = 0;
    // The check of the installation data: bytes read of the total.
    virtual void showDataProgress(quint64 done, quint64 total) = 0;
    // The result; `message` may hold variables. The post-installation commands run
    // after either.
    virtual void showSuccess(const QString &message) = 0;
    virtual void showFailure(const QString &message) = 0;
    // A quiet run's end: its result is set and the commands have run.
    virtual void endQuietRun() = 0;
};
