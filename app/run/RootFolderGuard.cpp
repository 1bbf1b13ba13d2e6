#include "app/run/RootFolderGuard.h"

#include "app/core/PathCleaning.h"
#include "media/platform/TrustedFolder.h"

#include <unistd.h>

namespace RootFolderGuard {

QString refusal(const QString &destination, bool removing)
{
    if (::geteuid() != 0)
        return QString();
    const Platform::FolderControl control = Platform::folderControl(destination);
    if (control.folder.isEmpty())
        return QString();
    const QString folder = Platform::cleanPath(destination);
    const QString owner = Platform::userName(control.owner);
    if (removing && control.owner != 0 && control.folder == folder)
        return folder + QStringLiteral(" is the installation of ") + owner + QStringLiteral(": ") + owner
               + QStringLiteral(" removes it by running ") + folder + QStringLiteral("/bin/uninstall without sudo");
    const QString why = control.owner != 0 ? QStringLiteral(" belongs to ") + owner
                                           : QStringLiteral(" can be written by users other than root");
    return QStringLiteral("The folder ") + control.folder + why
           + QStringLiteral(": as root the installer does not work in ") + folder;
}

} // namespace RootFolderGuard
