#include "media/install/InstallFolder.h"

#include "app/core/InstallException.h"
#include "app/core/SystemReason.h"
#include "app/core/VariableTable.h"
#include "media/platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

bool isSymbolicLink(const QString &path)
{
    struct stat status{};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool isSameOrBelow(const QString &path, const QString &folder)
{
    return !folder.isEmpty() && (path == folder || path.startsWith(folder + QLatin1Char('/')));
}

// The first folder on the way below base that is a link, for the message.
QString linkOnTheWay(const QString &base, const QString &folder)
{
    for (qsizetype slash = folder.indexOf(QLatin1Char('/'), base.size() + 1);;
         slash = folder.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString step = slash < 0 ? folder : folder.left(slash);
        if (isSymbolicLink(step))
            return step;
        if (slash < 0)
            return QString();
    }
}

} // namespace

QString installBaseFor(const QString &folder, const QString &target)
{
    const QString destination = Platform::cleanPath(expand(QStringLiteral("$(DestDir)")));
    return isSameOrBelow(Platform::cleanPath(folder), destination) ? destination : Platform::cleanPath(target);
}

Platform::Descriptor makeInstallFolder(const QString &folder, const QString &base)
{
    const QString cleanFolder = Platform::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString cleanBase = Platform::cleanPath(QFileInfo(base).absoluteFilePath());
    if (!isSameOrBelow(cleanFolder, cleanBase)) {
        // Outside every folder the installer answers for: made as the path says.
        if (!Platform::makePath(cleanFolder))
            throw InstallException(withSystemReason(QStringLiteral("Cannot create folder ") + cleanFolder));
        return Platform::openFolderBelow(cleanFolder, QString(), false);
    }
    if (!Platform::makePath(cleanBase))
        throw InstallException(withSystemReason(QStringLiteral("Cannot create folder ") + cleanBase));
    Platform::Descriptor opened =
            Platform::openFolderBelow(cleanBase, Platform::pathBelow(cleanBase, cleanFolder), true);
    if (opened.isOpen())
        return opened;
    const int reason = errno;
    const QString link = linkOnTheWay(cleanBase, cleanFolder);
    if (!link.isEmpty())
        throw InstallException(QStringLiteral("Cannot create folder ") + link
                               + QStringLiteral(" (a symbolic link is in the way)"));
    throw InstallException(withSystemReason(QStringLiteral("Cannot create folder ") + cleanFolder, reason));
}
