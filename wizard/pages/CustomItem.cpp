#include "wizard/pages/CustomItem.h"

#include "configuration/model/InstallConfigurationItem.h"
#include "wizard/pages/CustomSetupImages.h"

#include <QTreeWidget>

CustomItem::CustomItem(QTreeWidget *tree, InstallConfigurationItem *item)
    : QTreeWidgetItem(tree), m_item(item)
{
    attach();
}

CustomItem::CustomItem(CustomItem *parentEntry, InstallConfigurationItem *item)
    : QTreeWidgetItem(parentEntry), m_item(item)
{
    attach();
}

void CustomItem::attach()
{
    connect(m_item, &InstallConfigurationItem::willInstallChanged, this, &CustomItem::update);
    update();
}

void CustomItem::update()
{
    setText(NameColumn, m_item->name());
    setIcon(IconColumn, m_item->willInstall() ? CustomSetupImages::willInstallIcon()
                                              : CustomSetupImages::notInstalledIcon());
    // What the icon shows, in words for screen readers.
    setData(IconColumn, Qt::AccessibleTextRole,
            m_item->willInstall() ? QStringLiteral("Will be installed") : QStringLiteral("Will not be installed"));
}
