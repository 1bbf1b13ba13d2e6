#pragma once

#include "configuration/product/InstallStandardInstallerConfigurationList.h"

// The product's tree: after the installer's own items, one visible group with the
// product's components, the device rules, the MIME types, the menu entry and a clean-up
// item. Its shape is what the installed-state record of earlier installations matches.
class ConfigurationList : public InstallStandardInstallerConfigurationList
{
public:
    ConfigurationList();
};
