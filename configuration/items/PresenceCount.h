#pragma once

#include "configuration/model/InstallConfigurationItem.h"

// How many of the things an item puts on the machine are there: all of them (also when
// there is nothing to look for) is fully installed, none is not installed.
class PresenceCount
{
public:
    static InstallConfigurationItem::InstalledState state(int present, int expected)
    {
        if (present == expected)
            return InstallConfigurationItem::fullyInstalled;
        if (present == 0)
            return InstallConfigurationItem::notInstalled;
        return InstallConfigurationItem::partiallyInstalled;
    }
};
