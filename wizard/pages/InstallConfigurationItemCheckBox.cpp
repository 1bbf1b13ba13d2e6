#include "wizard/pages/InstallConfigurationItemCheckBox.h"

#include "configuration/model/InstallConfigurationItem.h"

#include <QTreeWidget>

InstallConfigurationItemCheckBox::InstallConfigurationItemCheckBox(QTreeWidget *view, const QString &text,
                                                                   const QString &description,
                                                                   InstallConfigurationItem *item)
    : QTreeWidgetItem(view), m_item(item), m_description(description)
{
    setText(0, text);
    // A new box starts cleared without telling anybody, so that an item which will not
    // be installed keeps its own selection until the box really changes.
    QTreeWidgetItem::setData(0, Qt::CheckStateRole, Qt::Unchecked);
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    connect(m_item, &InstallConfigurationItem::willInstallChanged, this,
            &InstallConfigurationItemCheckBox::willInstallChanged);
    willInstallChanged(m_item->willInstall() ? 1 : 0);
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
    const InstallConfigurationItem *parent = m_item->parentItem();
    const bool enabled = !parent || parent->willInstall();
    Qt::ItemFlags itemFlags = flags();
    itemFlags.setFlag(Qt::ItemIsEnabled, enabled);
    setFlags(itemFlags);
    setOn(install != 0);
}

void InstallConfigurationItemCheckBox::stateChange(bool on)
{
    m_item->setInstall(on, false);
}
