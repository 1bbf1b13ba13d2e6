#include "wizard/pages/InstallCustomSetupDialog.h"

#include "app/application/InstallApplication.h"
#include "configuration/model/InstallConfigurationItem.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/pages/CustomItem.h"
#include "wizard/pages/CustomSetupImages.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

struct MenuChoice
{
    int id;
    const char *text;
};

constexpr MenuChoice featureChoices[] = {
    { InstallCustomSetupDialog::InstallFeature,
      "This feature will be installed on the local hard drive." },
    { InstallCustomSetupDialog::InstallFeatureAndSubfeatures,
      "This feature, and all subfeatures, will be installed on the local hard drive." },
};

constexpr MenuChoice removalChoice = { InstallCustomSetupDialog::FeatureNotAvailable,
                                       "This feature will not be available." };

void addChoice(QMenu *menu, const MenuChoice &choice)
{
    QAction *action = menu->addAction(QIcon(CustomSetupImages::choiceIcon(choice.id)),
                                      QString::fromLatin1(choice.text));
    action->setData(choice.id);
}

// Switching a feature on is only meaningful when every feature above it is on as well.
void selectWithAncestors(CustomItem *entry)
{
    for (QTreeWidgetItem *node = entry; node; node = node->parent()) {
        if (auto *custom = dynamic_cast<CustomItem *>(node))
            custom->item()->setInstall(true, false);
    }
}

bool confirmRemovalOfRequiredFeature(const QString &name)
{
    const int answer = InstallCheckMessageBox::exec(
        QStringLiteral("Remove ") + name + QStringLiteral("?"),
        QStringLiteral("The ") + name
            + QStringLiteral(" component is required for the minimal installation.<p>"
                             "Are you sure you want to remove it?"),
        InstallCheckMessageBox::Yes | InstallCheckMessageBox::No, InstallCheckMessageBox::No);
    return answer != InstallCheckMessageBox::No;
}

void refreshBelow(QTreeWidgetItem *node)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem *child = node->child(i);
        if (auto *custom = dynamic_cast<CustomItem *>(child))
            custom->update();
        refreshBelow(child);
    }
}

} // namespace

InstallCustomSetupDialog::InstallCustomSetupDialog(InstallApplication *application)
    : InstallWizardDialog(application, QStringLiteral("Custom Setup"),
                          QStringLiteral("Select the program features that you want to install"))
{
    auto *instruction = new QLabel(this);
    instruction->setTextFormat(Qt::PlainText);
    instruction->setText(QStringLiteral(
        "Click on an icon in the list below to change how a feature is installed."));
    instruction->setWordWrap(true);
    pageLayout()->addWidget(instruction);
    pageLayout()->addSpacing(10);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("custom-setup-features"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({ QStringLiteral("Icon"), QStringLiteral("Name") });
    m_list->setRootIsDecorated(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSortingEnabled(false);
    m_list->setHeaderHidden(true);
    // The icon column is as wide as the tree's indentation and the icon need, no more.
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionResizeMode(CustomItem::IconColumn, QHeaderView::ResizeToContents);
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);
    m_list->setAccessibleName(title());
    pageLayout()->addWidget(m_list, 1);

    m_description = new QLabel(this);
    m_description->setObjectName(QStringLiteral("custom-setup-description"));
    m_description->setTextFormat(Qt::RichText);
    m_description->setWordWrap(true);
    pageLayout()->addWidget(m_description);

    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { onSelection(current); });

    if (application && application->configurationList())
        application->configurationList()->buildTree(*this, nullptr, false);
    m_list->expandAll();
    onSelection(nullptr);
}

void *InstallCustomSetupDialog::buildItem(void *parentNode, InstallConfigurationItem *item)
{
    // New entries go behind their last sibling, so the list keeps the configuration order.
    auto *parentEntry = static_cast<CustomItem *>(parentNode);
    CustomItem *entry = parentEntry ? new CustomItem(parentEntry, item) : new CustomItem(m_list, item);
    return entry;
}

QMenu *InstallCustomSetupDialog::openMenu() const
{
    return m_menu;
}

QString InstallCustomSetupDialog::levelText(int level)
{
    switch (level) {
    case 0:
        return QStringLiteral("Required for minimal installation.");
    case 1:
        return QStringLiteral("Required for typical installation.");
    case 2:
        return QStringLiteral("Required for full installation.");
    case 3:
    case 4:
        return QStringLiteral("Optional installation.");
    default:
        return QString();
    }
}

QString InstallCustomSetupDialog::statusText(int installedState)
{
    switch (installedState) {
    case InstallConfigurationItem::notInstalled:
        return QStringLiteral("Not currently installed.");
    case InstallConfigurationItem::partiallyInstalled:
        return QStringLiteral("Only partially installed.");
    case InstallConfigurationItem::fullyInstalled:
        return QStringLiteral("Currently installed.");
    default:
        return QString();
    }
}

void InstallCustomSetupDialog::onSelection(QTreeWidgetItem *entry)
{
    const auto *custom = dynamic_cast<CustomItem *>(entry);
    const InstallConfigurationItem *item = custom ? custom->item() : nullptr;
    QString text = QStringLiteral("<b>Description:</b> ");
    if (item && !item->description().isEmpty())
        text += item->description() + QStringLiteral(".");
    text += QStringLiteral("<p><b>Installation Level:</b> ");
    if (item)
        text += levelText(item->level());
    text += QStringLiteral("<p><b>Status:</b> ");
    if (item)
        text += statusText(item->installed());
    m_description->setText(text);
}

void InstallCustomSetupDialog::mouseButtonClicked(int button, QTreeWidgetItem *, const QPoint &position,
                                                  int column)
{
    if (column != CustomItem::IconColumn || button != Qt::LeftButton)
        return;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("custom-setup-menu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const MenuChoice &choice : featureChoices)
        addChoice(menu, choice);
    menu->addSeparator();
    addChoice(menu, removalChoice);
    connect(menu, &QMenu::triggered, this,
            [this](QAction *action) { popupSelected(action->data().toInt()); });
    connect(menu, &QObject::destroyed, this, [this, menu]() {
        if (m_menu == menu)
            m_menu = nullptr;
    });
    m_menu = menu;
    menu->popup(position);
}

void InstallCustomSetupDialog::popupSelected(int choice)
{
    auto *entry = dynamic_cast<CustomItem *>(m_list->currentItem());
    if (entry) {
        InstallConfigurationItem *item = entry->item();
        switch (choice) {
        case InstallFeature:
            selectWithAncestors(entry);
            break;
        case InstallFeatureAndSubfeatures:
            item->setInstall(true, true);
            selectWithAncestors(entry);
            break;
        case FeatureNotAvailable:
            if (item->level() != 0 || confirmRemovalOfRequiredFeature(item->name()))
                item->setInstall(false, false);
            break;
        default:
            break;
        }
    }
    update();
}

void InstallCustomSetupDialog::update(CustomItem *entry)
{
    refreshBelow(entry ? static_cast<QTreeWidgetItem *>(entry) : m_list->invisibleRootItem());
}

void InstallCustomSetupDialog::update()
{
    update(static_cast<CustomItem *>(nullptr));
}

bool InstallCustomSetupDialog::eventFilter(QObject *watched, QEvent *event)
{
    // The tree reports clicks without their button; the icon menu needs both the button
    // and the column, so the release on the viewport is read here, after the view has
    // made the clicked entry current.
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint position = mouse->position().toPoint();
        QTreeWidgetItem *entry = m_list->itemAt(position);
        int column = entry ? m_list->columnAt(position.x()) : -1;
        // A click on the branch handle left of the icon only opens or closes the branch.
        if (entry && column == CustomItem::IconColumn
            && position.x() < m_list->visualItemRect(entry).left())
            column = -1;
        mouseButtonClicked(mouse->button(), entry, m_list->viewport()->mapToGlobal(position), column);
    }
    // From the keyboard, Space or the menu key on the current feature opens the same menu
    // as a click on its icon, under the feature.
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        QTreeWidgetItem *entry = m_list->currentItem();
        if (entry && (key == Qt::Key_Space || key == Qt::Key_Menu)) {
            const QRect place = m_list->visualItemRect(entry);
            mouseButtonClicked(Qt::LeftButton, entry, m_list->viewport()->mapToGlobal(place.bottomLeft()),
                               CustomItem::IconColumn);
            if (m_menu && !m_menu->actions().isEmpty())
                m_menu->setActiveAction(m_menu->actions().first());
            return true;
        }
    }
    return InstallWizardDialog::eventFilter(watched, event);
}
