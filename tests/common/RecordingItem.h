#pragma once

// A configuration item for the model tests: it writes what it was asked to do into a
// shared journal and can be told to fail, so the tests see the order of the walks and
// what the tree made of each failure.

#include "configuration/model/InstallConfigurationItem.h"

#include <QObject>
#include <QStringList>

class InstallConfigurationList;

class RecordingItem : public InstallConfigurationItem
{
public:
    RecordingItem(InstallConfigurationItem *parent, const QString &name, int level,
                  QStringList *journal, bool visible = true, quint64 platforms = allPlatforms);

    // An empty message means the action succeeds.
    void failInstallWith(const QString &message) { m_installFailure = message; }
    void failUninstallWith(const QString &message) { m_uninstallFailure = message; }
    // What the check finds on the machine.
    void setFoundState(InstalledState state) { m_foundState = state; }

    using InstallConfigurationItem::emitProgressBytes;
    using InstallConfigurationItem::emitTotalSteps;

protected:
    void doInstall() override;
    void doUninstall() override;
    void doCheckInstalled() override;

private:
    QStringList *m_journal;
    QString m_installFailure;
    QString m_uninstallFailure;
    InstalledState m_foundState = notInstalled;
};

// Writes the root's starting / finished / skipped signals into the same journal, as
// "starting NAME", "finished NAME" and "skipped COUNT".
class RunSignalJournal : public QObject
{
public:
    RunSignalJournal(InstallConfigurationList *root, QStringList *journal);

private:
    QStringList *m_journal;
};

// Writes every willInstallChanged of the subtree as "NAME=VALUE".
class SelectionJournal : public QObject
{
public:
    SelectionJournal(InstallConfigurationItem *root, QStringList *journal);

private:
    void watch(InstallConfigurationItem *item);
    QStringList *m_journal;
};
