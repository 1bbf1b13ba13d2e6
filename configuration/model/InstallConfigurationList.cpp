#include "configuration/model/InstallConfigurationList.h"

InstallConfigurationList::InstallConfigurationList()
    : InstallConfigurationItem(nullptr, QStringLiteral("Install Configuration List"), QString(),
                               0, true)
{
}
