#pragma once

#include <QObject>
#include <QString>
#include <QTreeWidgetItem>

class InstallConfigurationItem;
class QTreeWidget;

// One check box of an option page. The box follows the item's will-install state, and
// ticking or clearing it, by the user or by that state, changes the item's selection.
class InstallConfigurationItemCheckBox : public QObject, public QTreeWidgetItem
{
    Q_OBJECT
public:
    InstallConfigurationItemCheckBox(QTreeWidget *tree, const QString &text,
                                     const QString &description, InstallConfigurationItem *item);

    InstallConfigurationItem *item() const { return m_item; }
    QString description() const { return m_description; }
    bool isOn() const { return m_on; }
    void setOn(bool on);

    void setData(int column, int role, const QVariant &value) override;

public slots:
    void willInstallChanged(int install);

protected:
    // The check state really changed (by the user or by willInstallChanged).
    virtual void stateChange(bool on);

private:
    void updateEnabled();

    InstallConfigurationItem *m_item;
    QString m_description;
    bool m_on = false;
};
