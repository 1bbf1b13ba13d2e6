#pragma once

#include "configuration/model/InstallConfigurationItemBuilder.h"
#include "wizard/frame/InstallWizardDialog.h"

#include <QPoint>

class CustomItem;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

// Feature-by-feature selection: the configuration tree as an expandable list whose
// icons open a three-choice menu, with a description panel below.
class InstallCustomSetupDialog : public InstallWizardDialog, public InstallConfigurationItemBuilder
{
    Q_OBJECT
public:
    enum Choice { InstallFeature = 0, InstallFeatureAndSubfeatures = 1, FeatureNotAvailable = 2 };

    explicit InstallCustomSetupDialog(InstallApplication *application);

    void *buildItem(void *parentNode, InstallConfigurationItem *item) override;

    QTreeWidget *featureList() const { return m_list; }
    QLabel *descriptionLabel() const { return m_description; }
    // The menu opened by the last icon click while it is open; null otherwise.
    QMenu *openMenu() const;

    // The level and status lines of the description panel; empty for unknown values.
    static QString levelText(int level);
    static QString statusText(int installedState);

    using QWidget::update;

public slots:
    void onSelection(QTreeWidgetItem *entry);
    void mouseButtonClicked(int button, QTreeWidgetItem *entry, const QPoint &position, int column);
    void popupSelected(int choice);
    void update(CustomItem *entry);
    void update();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTreeWidget *m_list;
    QLabel *m_description;
    QMenu *m_menu = nullptr;
};
