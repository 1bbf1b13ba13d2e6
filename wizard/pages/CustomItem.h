#pragma once

#include <QObject>
#include <QTreeWidgetItem>

class InstallConfigurationItem;
class QTreeWidget;

// One entry of the custom setup tree. Its icon follows the item's will-install state,
// which the item announces through willInstallChanged.
class CustomItem : public QObject, public QTreeWidgetItem
{
    Q_OBJECT
public:
    enum Column { IconColumn = 0, NameColumn = 1 };

    CustomItem(QTreeWidget *tree, InstallConfigurationItem *item);
    CustomItem(CustomItem *parentEntry, InstallConfigurationItem *item);

    InstallConfigurationItem *item() const { return m_item; }

public slots:
    void update();

private:
    void attach();

    InstallConfigurationItem *m_item;
};
