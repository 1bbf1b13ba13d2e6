#include "wizard/pages/InstallOptionalDialog.h"

#include "configuration/model/InstallConfigurationItem.h"
#include "wizard/pages/InstallConfigurationItemCheckBox.h"

namespace {

// Level 3: offered as the item's selection says; level 4: offered ticked.
constexpr int firstOptionalLevel = 3;
constexpr int preselectedOptionalLevel = 4;

} // namespace

InstallOptionalDialog::InstallOptionalDialog(InstallApplication *application)
    : InstallCheckBoxDialog(application, QStringLiteral("Additional Components"),
                            QStringLiteral("Select the additional components to install."),
                            QStringLiteral("The installer can install the following additional "
                                           "components.<p>Select required components, then click Next "
                                           "to continue."))
{
    const QList<InstallConfigurationItem *> items = visibleItems(QStringLiteral("InstallConfigurationItem"));
    for (InstallConfigurationItem *item : items) {
        const int level = item->level();
        if (level < firstOptionalLevel || level > preselectedOptionalLevel)
            continue;
        InstallConfigurationItemCheckBox *box =
            addItem(QStringLiteral("Install ") + item->name(), item->description(), item);
        if (level == preselectedOptionalLevel)
            box->setOn(true);
    }
}
