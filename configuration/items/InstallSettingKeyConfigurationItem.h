#pragma once

#include "configuration/model/InstallConfigurationItem.h"

#include <QStringList>

// Remembers where an installation went: a fixed set of named values under one key of
// the installer settings. The application writes the values through setValue(); the
// item checks that they are present and deletes them when the product is removed.
class InstallSettingKeyConfigurationItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    // key may hold $(Name) variables, for example "$(ProductRegKey)/Installer/$(Version)".
    InstallSettingKeyConfigurationItem(const QString &key, InstallConfigurationItem *parent,
                                       const QString &name, const QString &description,
                                       int level, bool visible);

    void addValueName(const QString &name);
    const QStringList &valueNames() const { return m_valueNames; }
    QString key() const { return m_key; }

    // Stores the expanded text under a registered name. Throws InstallException
    // "Unregistered key: <name>" for any other name, touching nothing.
    void setValue(const QString &name, const QString &text);

protected:
    void doInstall() override;
    void doUninstall() override;
    void doCheckInstalled() override;

private:
    QString m_key;
    QStringList m_valueNames;
};
