#include "wizard/pages/InstallConfigurationItemCheckBox.h"

#include "configuration/model/InstallConfigurationItem.h"

#include <QTreeWidget>

InstallConfigurationItemCheckBox::InstallConfigurationItemCheckBox(QTreeWidget *tree, const QString &text,
                                                                   const QString &description,
                                                                   InstallConfigurationItem *item)
    : QTreeWidgetItem(tree), m_item(item), m_description(description)
{
    setText(0, text);
    // A new box starts cleared without telling anybody, so that an item which will not
    // be installed keeps its own selection until the box really changes.
    QTreeWidgetItem::setData(0, Qt::CheckStateRole, Qt::Unchecked);
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    connect(m_item, &InstallConfigurationItem::willInstallChanged, this,
            &InstallConfigurationItemCheckBox::willInstallChanged);
    // The item does not announce anything when its parent comes back while its own
    // state stays off, yet the box must become usable again then.
    if (InstallConfigurationItem *parent = m_item->parentItem())
        connect(parent, &InstallConfigurationItem::willInstallChanged, this,
                [this]() { updateEnabled(); });
    willInstallChanged(m_item->willInstall() ? 1 : 0);
}

void InstallConfigurationItemCheckBox::updateEnabled()
{
    const InstallConfigurationItem *parent = m_item->parentItem();
    Qt::ItemFlags newFlags = flags();
    newFlags.setFlag(Qt::ItemIsEnabled, !parent || parent->willInstall());
    setFlags(newFlags);
}

void InstallConfigurationItemCheckBox::setOn(bool on)
{
    setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
}

void InstallConfigurationItemCheckBox::setData(int column, int role, const QVariant &value)
{
    QTreeWidgetItem::setData(column, role, value);
    if (column != 0 || role != Qt::CheckStateRole)
        return;
    const bool on = checkState(0) != Qt::Unchecked;
    if (on == m_on)
        return;
    m_on = on;
    stateChange(on);
}

void InstallConfigurationItemCheckBox::willInstallChanged(int install)
{
    updateEnabled();
    setOn(install != 0);
}

void InstallConfigurationItemCheckBox::stateChange(bool on)
{
    m_item->setInstall(on, false);
}
