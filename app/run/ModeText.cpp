#include "app/run/ModeText.h"

QString byMode(InstallRun::Mode mode, const char *install, const char *modify, const char *repair, const char *remove,
               const char *upgrade)
{
    switch (mode) {
    case InstallRun::Modify:
        return QString::fromLatin1(modify);
    case InstallRun::Repair:
        return QString::fromLatin1(repair);
    case InstallRun::Remove:
        return QString::fromLatin1(remove);
    case InstallRun::Upgrade:
        return QString::fromLatin1(upgrade);
    default:
        return QString::fromLatin1(install);
    }
}
