#pragma once

#include "wizard/pages/InstallCheckBoxDialog.h"

// The optional components (levels 3 and 4); level-4 components start ticked.
class InstallOptionalDialog : public InstallCheckBoxDialog
{
    Q_OBJECT
public:
    explicit InstallOptionalDialog(InstallApplication *application);
};
