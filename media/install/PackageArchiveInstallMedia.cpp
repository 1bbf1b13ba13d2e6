#include "media/install/PackageArchiveInstallMedia.h"

#include "app/core/HException.h"
#include "app/core/InstallException.h"
#include "app/core/TerminalSafeText.h"
#include "app/queries/UserQueries.h"
#include "media/platform/FileSystem.h"

#include <QFileInfo>

namespace {

InstallException asInstallException(const HException &error)
{
    return InstallException(QString::fromLocal8Bit(error.message()));
}

// A member's name as extraction names it: below its component folder, when it has one.
QString belowFolder(const QString &name)
{
    const QString folder = name.section(QLatin1Char('/'), 0, 0);
    const bool inFolder = name.contains(QLatin1Char('/')) && !folder.isEmpty() && folder != QLatin1String("..");
    return inFolder ? name.section(QLatin1Char('/'), 1) : name;
}

} // namespace

PackageArchiveInstallMedia::PackageArchiveInstallMedia(const QString &dataFile, quint32 offset,
                                                       QObject *parent)
    : InstallMedia(parent)
{
    // A FIFO would block the installer for ever, a folder fail with a puzzling text.
    if (!Platform::entryExists(dataFile))
        throw InstallException(dataFile + QStringLiteral(" does not exist"));
    const QString problem = Platform::whyNotReadableFile(dataFile);
    if (!problem.isEmpty())
        throw InstallException(QStringLiteral("Cannot open installation data ") + dataFile
                               + QStringLiteral(": ") + problem);
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
    for (const PackageArchiveFile &member : m_archive.files()) {
        const QString name = member.name();
        if (!name.startsWith(prefix))
            continue;
        names.append(name.mid(prefix.size()));
        totalSize += member.size();
    }
    return names;
}

void PackageArchiveInstallMedia::verifyData(const std::function<void(quint64, quint64)> &progress)
{
    if (m_verified)
        return;
    // Every name extraction would refuse, in any folder, fails the run here, before
    // anything is written; named as extraction names it, below its component folder.
    if (const std::optional<PackageArchiveFile> unsafe = m_archive.firstUnsafeMember())
        throw InstallException(QStringLiteral("unsafe file name ") + terminalSafe(belowFolder(unsafe->name()), false));
    const quint64 total = totalSize();
    try {
        m_archive.verify([&](quint64 done) {
            if (progress)
                progress(done, total);
        });
    } catch (const HException &error) {
        throw asInstallException(error);
    }
    m_verified = true;
}

uint64_t PackageArchiveInstallMedia::totalSize()
{
    const PackageArchiveTable &members = m_archive.files();
    uint64_t total = 0;
    for (qsizetype index = 0; index < members.size(); ++index)
        total += members.fileSize(index);
    return total;
}

void PackageArchiveInstallMedia::installFiles(const QStringList &files, const QString &sourceFolder,
                                              const QString &destFolder)
{
    uint64_t bytesExtracted = 0;
    for (const QString &name : files) {
        const std::optional<PackageArchiveFile> member =
                m_archive.findFile(sourceFolder + QLatin1Char('/') + name);
        // The archive is the authority on what the component holds: a name it lacks
        // is not part of this installation, so it is passed over without a trace.
        if (!member)
            continue;
        // The installer extracts as root: a member name that climbs out of the
        // component folder must never decide where a file lands.
        if (!PackageArchive::isSafeFileName(name))
            throw InstallException(QStringLiteral("unsafe file name ") + terminalSafe(name, false));
        emit extractingFile(Platform::cleanPath(name));
        const QString destination = destFolder + QLatin1Char('/') + name;

        if (mayReplaceFile(member->lastModified(), member->size(), destination)) {
            makeFolderFor(destination, destFolder);
            try {
                m_archive.extractFile(*member, destination, true);
            } catch (const HException &error) {
                throw asInstallException(error);
            }
        }
        bytesExtracted += member->size();
        emit extractedFile(bytesExtracted);
    }
}
