#include "configuration/items/InstallSettingKeyConfigurationItem.h"

#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "app/records/InstallSettings.h"
#include "configuration/items/PresenceCount.h"

#include <QSettings>

InstallSettingKeyConfigurationItem::InstallSettingKeyConfigurationItem(
        const QString &key, InstallConfigurationItem *parent, const QString &name,
        const QString &description, int level, bool visible)
    : InstallConfigurationItem(parent, name, description, level, visible), m_key(key)
{
}

void InstallSettingKeyConfigurationItem::addValueName(const QString &name)
{
    m_valueNames.append(name);
}

void InstallSettingKeyConfigurationItem::setValue(const QString &name, const QString &text)
{
    if (!m_valueNames.contains(name))
        throw InstallException(QStringLiteral("Unregistered key: ") + name);
    const InstallSettings settings(expand(m_key));
    settings.settings().setValue(settings.path(expand(name)), expand(text));
}

void InstallSettingKeyConfigurationItem::doInstall() {}

void InstallSettingKeyConfigurationItem::doUninstall()
{
    const InstallSettings settings(expand(m_key));
    for (const QString &name : std::as_const(m_valueNames))
        settings.settings().remove(settings.path(expand(name)));
}

void InstallSettingKeyConfigurationItem::doCheckInstalled()
{
    const InstallSettings settings(expand(m_key));
    int present = 0;
    for (const QString &name : std::as_const(m_valueNames)) {
        if (settings.settings().contains(settings.path(expand(name))))
            ++present;
    }
    setInstalled(PresenceCount::state(present, int(m_valueNames.size())), false);
}
