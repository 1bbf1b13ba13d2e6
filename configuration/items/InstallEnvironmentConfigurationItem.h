#pragma once

#include "configuration/model/InstallConfigurationItem.h"

// Gives an environment variable a value. Where the variable lives is the subclass's
// business: it reads and writes it through the two operations below. The environment
// page offers every item of this kind with a check box.
class InstallEnvironmentConfigurationItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    // value may hold $(Name) variables; it is expanded when installed.
    InstallEnvironmentConfigurationItem(const QString &variableName, const QString &value,
                                        InstallConfigurationItem *parent, const QString &name,
                                        const QString &description, int level, bool visible);

    QString variableName() const { return m_variableName; }
    QString value() const { return m_value; }

    // The variable's current value; empty when it is not set.
    virtual QString readValue() const = 0;
    // Sets the variable, or removes it for an empty value; false when that failed.
    virtual bool writeValue(const QString &value) = 0;

protected:
    void doInstall() override;
    void doUninstall() override;
    void doCheckInstalled() override;

private:
    QString m_variableName;
    QString m_value;
};
