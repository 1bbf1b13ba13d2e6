#pragma once

#include "wizard/frame/InstallWizardDialog.h"

// A short explanation of how to move through the installer.
class InstallHelpDialog : public InstallWizardDialog
{
    Q_OBJECT
public:
    explicit InstallHelpDialog(InstallApplication *application);
};
