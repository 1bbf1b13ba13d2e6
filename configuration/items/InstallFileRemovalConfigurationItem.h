#pragma once

#include "configuration/model/InstallConfigurationItem.h"

#include <QStringList>

// Deletes files that the installed product creates later (its state record, generated
// indexes) when the product is removed. It installs nothing, so it counts as installed
// once the installation ran, and the installed-state record decides whether it runs.
class InstallFileRemovalConfigurationItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    InstallFileRemovalConfigurationItem(InstallConfigurationItem *parent, const QString &name,
                                        const QString &description, int level, bool visible);

    // path may hold $(Name) variables; it is expanded at removal.
    void addFile(const QString &path);
    const QStringList &paths() const { return m_paths; }

protected:
    void doInstall() override;
    void doUninstall() override;
    void doCheckInstalled() override;

private:
    QStringList m_paths;
};
