#pragma once

#include "configuration/model/InstallConfigurationItem.h"

// Installs the debug probe's udev rules file from the media's "bin" folder. Offered
// checked on a machine with udev that lacks the file, unchecked otherwise. It has no
// meta-object of its own: in the installed-state record it is a plain item.
class VantorDriverInstallConfigurationItem : public InstallConfigurationItem
{
public:
    explicit VantorDriverInstallConfigurationItem(InstallConfigurationItem *parent);

    static QString rulesFileName();
    // 4 when the rules folder exists and the file is not in it yet, else 3.
    static int offeredLevel();
    // udev reads its rules from a system folder only root may write: a user-mode
    // installation offers the file unticked and says why.
    void offerOnlyToRoot();

protected:
    void doInstall() override;
};
