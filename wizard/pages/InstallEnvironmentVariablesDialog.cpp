#include "wizard/pages/InstallEnvironmentVariablesDialog.h"

#include "configuration/items/InstallSystemEnvironmentConfigurationItem.h"

InstallEnvironmentVariablesDialog::InstallEnvironmentVariablesDialog(InstallApplication *application)
    : InstallCheckBoxDialog(application, QStringLiteral("Update Environment Variables"),
                            QStringLiteral("Select the environment variables that you want to update."),
                            QStringLiteral("The installer can update the following environment variables "
                                           "in order to run $(Product) $(Version).<p>Select the environment "
                                           "variables you want to update, then click Next to continue."))
{
    const QList<InstallConfigurationItem *> items =
        visibleItems(QStringLiteral("InstallSystemEnvironmentConfigurationItem"));
    for (InstallConfigurationItem *item : items) {
        const auto *variable = qobject_cast<InstallSystemEnvironmentConfigurationItem *>(item);
        if (!variable)
            continue;
        // The entry says which variable is updated; there is nothing more to describe.
        addItem(QStringLiteral("Update ") + variable->variableName(), QString(), item);
    }
}
