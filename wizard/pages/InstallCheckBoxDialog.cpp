#include "wizard/pages/InstallCheckBoxDialog.h"

#include "app/application/InstallApplication.h"
#include "app/core/VariableTable.h"
#include "configuration/model/InstallConfigurationItem.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/InstallSpacer.h"
#include "wizard/pages/InstallConfigurationItemCheckBox.h"

#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

InstallCheckBoxDialog::InstallCheckBoxDialog(InstallApplication *application, const QString &title,
                                             const QString &subtitle, const QString &text, int flags,
                                             const QString &nextLabel, const QString &backLabel,
                                             const QString &helpLabel, const QString &cancelLabel)
    : InstallTextDialog(application, title, subtitle, text, flags, nextLabel, backLabel, helpLabel,
                        cancelLabel)
{
    m_checkList = new QTreeWidget(this);
    m_checkList->setObjectName(QStringLiteral("check-list"));
    m_checkList->setColumnCount(1);
    m_checkList->setHeaderLabels({ QStringLiteral("Item") });
    m_checkList->setHeaderHidden(true);
    m_checkList->setAccessibleName(expand(title));
    m_checkList->setRootIsDecorated(false);
    pageLayout()->addWidget(m_checkList);

    m_description = new QLabel(this);
    m_description->setObjectName(QStringLiteral("check-list-description"));
    m_description->setTextFormat(Qt::RichText);
    m_description->setWordWrap(true);
    pageLayout()->addWidget(m_description);

    pageLayout()->addWidget(new InstallSpacer(this, 0, 110, QSizePolicy::Fixed, QSizePolicy::Expanding));

    connect(m_checkList, &QTreeWidget::itemSelectionChanged, this, &InstallCheckBoxDialog::selectionChanged);
    // The keyboard's entry is the current one, which focus gives an entry without selecting it.
    connect(m_checkList, &QTreeWidget::currentItemChanged, this, &InstallCheckBoxDialog::selectionChanged);
    selectionChanged();
}

InstallConfigurationItemCheckBox *InstallCheckBoxDialog::addItem(const QString &name,
                                                                 const QString &description,
                                                                 InstallConfigurationItem *item)
{
    return new InstallConfigurationItemCheckBox(m_checkList, expand(name), expand(description), item);
}

int InstallCheckBoxDialog::itemCount() const
{
    return m_checkList->topLevelItemCount();
}

InstallConfigurationItemCheckBox *InstallCheckBoxDialog::entry(int index) const
{
    return dynamic_cast<InstallConfigurationItemCheckBox *>(m_checkList->topLevelItem(index));
}

void InstallCheckBoxDialog::selectionChanged()
{
    QString text = QStringLiteral("<b>Description:</b> ");
    const QList<QTreeWidgetItem *> selected = m_checkList->selectedItems();
    const QTreeWidgetItem *shown = m_checkList->currentItem() ? m_checkList->currentItem()
                                   : selected.isEmpty()       ? nullptr
                                                              : selected.first();
    if (const auto *box = dynamic_cast<const InstallConfigurationItemCheckBox *>(shown))
        text += box->description() + QStringLiteral(".");
    m_description->setText(text);
}

QList<InstallConfigurationItem *> InstallCheckBoxDialog::visibleItems(const QString &className) const
{
    QList<InstallConfigurationItem *> found;
    InstallApplication *app = application();
    if (!app || !app->configurationList())
        return found;
    app->configurationList()->collectItems(className, found);
    QList<InstallConfigurationItem *> visible;
    for (InstallConfigurationItem *item : std::as_const(found)) {
        if (item->isVisible())
            visible.append(item);
    }
    return visible;
}
