#include "configuration/items/InstallEnvironmentConfigurationItem.h"

#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"

InstallEnvironmentConfigurationItem::InstallEnvironmentConfigurationItem(
        const QString &variableName, const QString &value, InstallConfigurationItem *parent,
        const QString &name, const QString &description, int level, bool visible)
    : InstallConfigurationItem(parent, name, description, level, visible),
      m_variableName(variableName), m_value(value)
{
}

void InstallEnvironmentConfigurationItem::doInstall()
{
    if (!writeValue(expand(m_value)))
        throw InstallException(QStringLiteral("Cannot set environment variable ") + m_variableName);
}

void InstallEnvironmentConfigurationItem::doUninstall()
{
    // Only a value that is still ours is taken away; one the user changed since stays.
    if (readValue() == expand(m_value))
        writeValue(QString());
}

void InstallEnvironmentConfigurationItem::doCheckInstalled()
{
    setInstalled(readValue() == expand(m_value) ? fullyInstalled : notInstalled, false);
}
