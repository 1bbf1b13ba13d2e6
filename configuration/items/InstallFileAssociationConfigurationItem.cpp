#include "configuration/items/InstallFileAssociationConfigurationItem.h"

InstallFileAssociationConfigurationItem::InstallFileAssociationConfigurationItem(
        const QString &extension, InstallConfigurationItem *parent, const QString &name,
        const QString &description, int level, bool visible)
    : InstallConfigurationItem(parent, name, description, level, visible), m_extension(extension)
{
}
