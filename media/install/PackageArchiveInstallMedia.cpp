#include "media/install/PackageArchiveInstallMedia.h"

#include "app/core/HException.h"
#include "app/core/InstallException.h"
#include "app/queries/UserQueries.h"
#include "media/platform/FileSystem.h"

#include <QFileInfo>

namespace {

InstallException asInstallException(const HException &error)
{
    return InstallException(QString::fromLocal8Bit(error.message()));
}

} // namespace

PackageArchiveInstallMedia::PackageArchiveInstallMedia(const QString &dataFile, quint32 offset,
                                                       QObject *parent)
    : InstallMedia(parent)
{
    try {
        m_archive.open(dataFile, offset, PackageArchive::IndexByName);
    } catch (const HException &error) {
        throw asInstallException(error);
    }
}

QStringList PackageArchiveInstallMedia::listFiles(const QString &folder, uint64_t &totalSize)
{
    totalSize = 0;
    QStringList names;
    const QString prefix = folder + QLatin1Char('/');
    for (const PackageArchiveFile *member : m_archive.files()) {
        const QString name = member->name();
        if (!name.startsWith(prefix))
            continue;
        names.append(name.mid(prefix.size()));
        totalSize += member->size();
    }
    return names;
}

uint64_t PackageArchiveInstallMedia::totalSize()
{
    uint64_t total = 0;
    for (const PackageArchiveFile *member : m_archive.files())
        total += member->size();
    return total;
}

void PackageArchiveInstallMedia::installFiles(const QStringList &files, const QString &sourceFolder,
                                              const QString &destFolder)
{
    uint64_t bytesExtracted = 0;
    for (const QString &name : files) {
        const PackageArchiveFile *member =
                m_archive.findFile(sourceFolder + QLatin1Char('/') + name);
        // The archive is the authority on what the component holds: a name it lacks
        // is not part of this installation, so it is passed over without a trace.
        if (!member)
            continue;
        // The installer extracts as root: a member name that climbs out of the
        // component folder must never decide where a file lands.
        if (!PackageArchive::isSafeFileName(name))
            throw InstallException(QStringLiteral("unsafe file name ") + name);
        emit extractingFile(Platform::cleanPath(name));
        const QString destination = destFolder + QLatin1Char('/') + name;

        if (mayReplaceFile(member->lastModified(), member->size(), destination)) {
            const QString folder = QFileInfo(destination).absolutePath();
            if (!Platform::makePath(folder))
                throw InstallException(QStringLiteral("Cannot create folder ") + folder);
            try {
                m_archive.extractFile(member, destination, true);
            } catch (const HException &error) {
                throw asInstallException(error);
            }
        }
        bytesExtracted += member->size();
        emit extractedFile(bytesExtracted);
    }
}
