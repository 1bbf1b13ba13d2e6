#include "configuration/desktop/DesktopFolders.h"

#include "app/run/InstallRun.h"
#include "media/platform/Environment.h"

namespace {

// Without a home folder there is no per-user location at all; the derived folders are
// then empty too, and the items skip their work as for a folder that cannot be made.
QString below(const QString &base, const char *subfolder)
{
    return base.isEmpty() ? QString() : base + QLatin1String(subfolder);
}

} // namespace

QString DesktopFolders::baseFolder(int locationKind)
{
    // A user-mode installation has no business in the system folders.
    return locationKind == System && !InstallRun::isUserModeInstall() ? Platform::systemShareFolder()
                                                                               : Platform::userShareFolder();
}

QString DesktopFolders::applicationsFolder(int locationKind)
{
    return below(baseFolder(locationKind), "/applications");
}

QString DesktopFolders::iconThemeFolder(int locationKind)
{
    return below(baseFolder(locationKind), "/icons/hicolor");
}

QString DesktopFolders::mimeFolder(int locationKind)
{
    return below(baseFolder(locationKind), "/mime");
}

QString DesktopFolders::mimePackagesFolder(int locationKind)
{
    return below(mimeFolder(locationKind), "/packages");
}

QString DesktopFolders::udevRulesFolder()
{
    return QStringLiteral("/etc/udev/rules.d");
}
