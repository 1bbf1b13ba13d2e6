#pragma once

#include "wizard/frame/InstallTextDialog.h"

class InstallConfigurationItem;
class InstallConfigurationItemCheckBox;
class QLabel;
class QTreeWidget;

// A text page with one check box per configuration item and a description of the
// selected one. The option pages differ only in their texts and in what they list.
class InstallCheckBoxDialog : public InstallTextDialog
{
    Q_OBJECT
public:
    InstallCheckBoxDialog(InstallApplication *application, const QString &title,
                          const QString &subtitle, const QString &text, int flags = 0,
                          const QString &nextLabel = QStringLiteral("&Next>"),
                          const QString &backLabel = QStringLiteral("<&Back"),
                          const QString &helpLabel = QStringLiteral("&Help"),
                          const QString &cancelLabel = QStringLiteral("&Cancel"));

    // Expands name and description and adds a check box for item.
    InstallConfigurationItemCheckBox *addItem(const QString &name, const QString &description,
                                              InstallConfigurationItem *item);

    // The number of entries; the navigation skips a page whose list is empty.
    int itemCount() const;
    InstallConfigurationItemCheckBox *entry(int index) const;

    QTreeWidget *checkList() const { return m_checkList; }
    QLabel *descriptionLabel() const { return m_description; }

public slots:
    void selectionChanged();

protected:
    // The visible items of className below the application's configuration list, in
    // tree order.
    QList<InstallConfigurationItem *> visibleItems(const QString &className) const;

private:
    QTreeWidget *m_checkList;
    QLabel *m_description;
};
