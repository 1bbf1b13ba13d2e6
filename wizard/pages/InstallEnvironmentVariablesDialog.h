#pragma once

#include "wizard/pages/InstallCheckBoxDialog.h"

// Environment variables the installer can update, one check box per variable item.
class InstallEnvironmentVariablesDialog : public InstallCheckBoxDialog
{
    Q_OBJECT
public:
    explicit InstallEnvironmentVariablesDialog(InstallApplication *application);
};
