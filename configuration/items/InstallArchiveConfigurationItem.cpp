#include "configuration/items/InstallArchiveConfigurationItem.h"

#include "app/run/InstallRun.h"
#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "configuration/items/FileRemovalLoop.h"
#include "configuration/items/FolderCleanup.h"
#include "configuration/items/PresenceCount.h"
#include "media/archive/PackageArchive.h"
#include "media/install/InstallMedia.h"

#include <QFileInfo>

#include <algorithm>

namespace {

InstallMedia *applicationMedia()
{
    const InstallRun *run = InstallRun::instance();
    if (!run)
        throw InstallException(QStringLiteral("No installation media"));
    return run->media();
}

// The media's progress goes to the item only while this item installs; the connections
// are undone however installFiles() ends.
class MediaConnections
{
public:
    MediaConnections(InstallMedia *media, InstallArchiveConfigurationItem *item)
        : m_extracted(QObject::connect(media, &InstallMedia::extractedFile, item,
                                       &InstallArchiveConfigurationItem::extractedFile)),
          m_extracting(QObject::connect(
                  media, &InstallMedia::extractingFile, item,
                  qOverload<const QString &>(&InstallConfigurationItem::progress)))
    {
    }
    ~MediaConnections()
    {
        QObject::disconnect(m_extracted);
        QObject::disconnect(m_extracting);
    }
    MediaConnections(const MediaConnections &) = delete;
    MediaConnections &operator=(const MediaConnections &) = delete;

private:
    QMetaObject::Connection m_extracted;
    QMetaObject::Connection m_extracting;
};

} // namespace

InstallArchiveConfigurationItem::InstallArchiveConfigurationItem(
        const QString &folder, const QString &destination, InstallConfigurationItem *parent,
        const QString &name, const QString &description, int level, bool visible,
        quint64 platforms, quint32 flags)
    : InstallConfigurationItem(parent, name, description, level, visible, platforms),
      m_folder(folder), m_destination(destination), m_flags(flags)
{
}

void InstallArchiveConfigurationItem::extractedFile(uint64_t bytesExtracted)
{
    emitProgressBytes(bytesExtracted);
}

void InstallArchiveConfigurationItem::doInstall()
{
    if (!(m_flags & InstallsFolder))
        return;
    InstallMedia *media = applicationMedia();
    uint64_t totalSize = 0;
    m_files = media->listFiles(m_folder, totalSize);
    emit progress(0);
    emitTotalSteps(int(totalSize / 1024));

    const MediaConnections connections(media, this);
    media->installFiles(m_files, m_folder, expand(m_destination));
}

void InstallArchiveConfigurationItem::doUninstall()
{
    if (!(m_flags & RemovesFiles))
        return;
    emit progress(0);
    emitTotalSteps(int(m_files.size()));
    const QString destination = expand(m_destination);
    FolderCleanup folders;
    int counter = 0;
    for (const QString &name : std::as_const(m_files)) {
        // A name that would leave the folder never came from a payload of ours.
        if (PackageArchive::isSafeFileName(name)) {
            const QString path = destination + QLatin1Char('/') + name;
            folders.addFolderOf(path);
            FileRemovalLoop::remove(path);
        }
        emit progress(++counter);
    }
    folders.cleanUp(false);
}

// The names are removed later as destination + "/" + name: one that climbs out of the
// folder or is absolute would decide what root deletes.
bool InstallArchiveConfigurationItem::acceptLoadedState()
{
    if (std::all_of(m_files.cbegin(), m_files.cend(), &PackageArchive::isSafeFileName))
        return true;
    m_files.clear();
    return false;
}

void InstallArchiveConfigurationItem::doCheckInstalled()
{
    const QString destination = expand(m_destination);
    int present = 0;
    for (const QString &name : std::as_const(m_files)) {
        if (QFileInfo::exists(destination + QLatin1Char('/') + name))
            ++present;
    }
    setInstalled(PresenceCount::state(present, int(m_files.size())), false);
}
