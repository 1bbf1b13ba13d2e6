#pragma once

#include "configuration/model/InstallConfigurationList.h"

class InstallSettingKeyConfigurationItem;

// The items every installer built on this framework carries: its own files (the copy
// that later serves as "uninstall"), the removal of its state record, and the settings
// key that remembers where the product went. No meta-object of its own: the saved
// record names the root "InstallConfigurationList".
class InstallStandardInstallerConfigurationList : public InstallConfigurationList
{
public:
    InstallStandardInstallerConfigurationList();

    // "Installer Settings", through which the application stores the run's folders.
    InstallSettingKeyConfigurationItem *settingsItem() const { return m_settingsItem; }

private:
    InstallSettingKeyConfigurationItem *m_settingsItem;
};
