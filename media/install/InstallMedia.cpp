#include "media/install/InstallMedia.h"

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

bool liesBelow(const QString &path, const QString &folder)
{
    return !folder.isEmpty() && path.startsWith(folder + QLatin1Char('/'));
}

} // namespace

InstallMedia::InstallMedia(QObject *parent) : QObject(parent) {}

InstallMedia::~InstallMedia() = default;

void InstallMedia::verifyData(const std::function<void(quint64, quint64)> &)
{
    // Files of a file store are read as they are copied; there is no stream to check.
}

void InstallMedia::makeFolderFor(const QString &filePath, const QString &destFolder)
{
    const QString folder = Platform::cleanPath(QFileInfo(filePath).absolutePath());
    if (folder == m_preparedFolder)
        return;
    const QString destination = Platform::cleanPath(expand(QStringLiteral("$(DestDir)")));
    const QString target = Platform::cleanPath(QFileInfo(destFolder).absoluteFilePath());
    // Links are looked for below the installation's own folder, or below the target
    // folder for files that go elsewhere (the rules folder, say).
    const QString trusted = liesBelow(target, destination) || target == destination ? destination : target;
    if (liesBelow(folder, trusted)) {
        for (qsizetype slash = folder.indexOf(QLatin1Char('/'), trusted.size() + 1); ;
             slash = folder.indexOf(QLatin1Char('/'), slash + 1)) {
            const QString step = slash < 0 ? folder : folder.left(slash);
            if (isSymbolicLink(step))
                throw InstallException(QStringLiteral("Cannot create folder ") + step
                                       + QStringLiteral(" (a symbolic link is in the way)"));
            if (slash < 0)
                break;
        }
    }
    if (!Platform::makePath(folder))
        throw InstallException(withSystemReason(QStringLiteral("Cannot create folder ") + folder));
    m_preparedFolder = folder;
}
