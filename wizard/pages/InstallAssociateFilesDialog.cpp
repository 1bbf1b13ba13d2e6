#include "wizard/pages/InstallAssociateFilesDialog.h"

InstallAssociateFilesDialog::InstallAssociateFilesDialog(InstallApplication *application)
    : InstallCheckBoxDialog(application, QStringLiteral("Associate Files"),
                            QStringLiteral("Select the file types you want to associate with $(Product)."),
                            QStringLiteral("The installer can associate the following file types with "
                                           "$(Product) $(Version).<p>Select the files you want associate, "
                                           "then click Next to continue."))
{
}
