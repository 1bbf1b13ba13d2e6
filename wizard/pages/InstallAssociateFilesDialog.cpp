#include "wizard/pages/InstallAssociateFilesDialog.h"

#include "configuration/items/InstallFileAssociationConfigurationItem.h"

InstallAssociateFilesDialog::InstallAssociateFilesDialog(InstallApplication *application)
    : InstallCheckBoxDialog(application, QStringLiteral("Associate Files"),
                            QStringLiteral("Select the file types you want to associate with $(Product)."),
                            QStringLiteral("The installer can associate the following file types with "
                                           "$(Product) $(Version).<p>Select the files you want associate, "
                                           "then click Next to continue."))
{
    const QList<InstallConfigurationItem *> items =
        visibleItems(QStringLiteral("InstallFileAssociationConfigurationItem"));
    for (InstallConfigurationItem *item : items) {
        const auto *association = qobject_cast<InstallFileAssociationConfigurationItem *>(item);
        if (!association)
            continue;
        addItem(association->extension() + QStringLiteral(" Files"), association->description(), item);
    }
}
