#include "configuration/desktop/VantorDriverInstallConfigurationItem.h"

#include "app/run/InstallRun.h"
#include "app/core/InstallException.h"
#include "configuration/desktop/DesktopFolders.h"
#include "media/install/InstallMedia.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString rulesFilePath()
{
    return DesktopFolders::udevRulesFolder() + QLatin1Char('/')
        + VantorDriverInstallConfigurationItem::rulesFileName();
}

} // namespace

VantorDriverInstallConfigurationItem::VantorDriverInstallConfigurationItem(
        InstallConfigurationItem *parent)
    : InstallConfigurationItem(parent, QStringLiteral("Vantor udev rules file"),
                               QStringLiteral("Install the Vantor udev rules file"),
                               offeredLevel(), true)
{
}

QString VantorDriverInstallConfigurationItem::rulesFileName()
{
    return QStringLiteral("99-vantor.rules");
}

int VantorDriverInstallConfigurationItem::offeredLevel()
{
    const bool hasUdev = QFileInfo(DesktopFolders::udevRulesFolder()).isDir();
    return hasUdev && !QFileInfo::exists(rulesFilePath()) ? 4 : 3;
}

void VantorDriverInstallConfigurationItem::offerOnlyToRoot()
{
    setOffer(3, QStringLiteral("Install the Vantor udev rules file (needs root: not part of a user-mode installation)"));
}

void VantorDriverInstallConfigurationItem::doInstall()
{
    InstallRun *run = InstallRun::instance();
    if (!run)
        throw InstallException(QStringLiteral("No installation media"));
    run->media()->installFiles({rulesFileName()}, QStringLiteral("bin"),
                                       DesktopFolders::udevRulesFolder());
    // udev reads the rules as any user; the file must not keep the payload's mode.
    QFile::setPermissions(rulesFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                   | QFileDevice::ReadGroup
                                                   | QFileDevice::ReadOther);
}
