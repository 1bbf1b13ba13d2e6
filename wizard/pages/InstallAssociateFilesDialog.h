#pragma once

#include "wizard/pages/InstallCheckBoxDialog.h"

// File types the product can be associated with, one check box per association item.
class InstallAssociateFilesDialog : public InstallCheckBoxDialog
{
    Q_OBJECT
public:
    explicit InstallAssociateFilesDialog(InstallApplication *application);
};
