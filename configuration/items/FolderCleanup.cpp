#include "configuration/items/FolderCleanup.h"

#include "app/core/VariableTable.h"
#include "media/platform/FileSystem.h"
#include "media/platform/FolderBelow.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString rootFolder = QStringLiteral("/");

bool isRoot(const QString &folder)
{
    return folder.isEmpty() || folder == rootFolder;
}

bool folderExists(const QString &folder)
{
    return QFileInfo(folder).isDir();
}

// Folders above the destination may have been there, empty, before the installation:
// the clean-up removes the destination and what lies below it, never its parents.
bool liesWithin(const QString &folder, const QString &destination)
{
    if (destination.isEmpty())
        return !isRoot(folder); // no destination known: only the root is out of bounds
    return folder == destination || folder.startsWith(destination + QLatin1Char('/'));
}

bool isEmptyFolder(const QString &folder)
{
    return QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System
                                | QDir::NoDotAndDotDot);
}

// Inside the destination the folder is reached without following a link on the way.
bool removeEmptyFolder(const QString &folder, const QString &destination)
{
    const QString below = Platform::pathBelow(destination, folder);
    if (below.isEmpty())
        return Platform::removeFolder(folder);
    return Platform::removeBelow(destination, below, true);
}

} // namespace

void FolderCleanup::addFolderOf(const QString &filePath)
{
    addFolder(QFileInfo(filePath).absolutePath());
}

void FolderCleanup::addFolder(const QString &folder)
{
    for (qsizetype index = 0; index < m_folders.size(); ++index) {
        const QString &entry = m_folders.at(index);
        if (entry == folder)
            return;
        if (entry.size() < folder.size()) {
            m_folders.insert(index, folder);
            return;
        }
    }
    m_folders.append(folder);
}

void FolderCleanup::cleanUp(bool climb) const
{
    const QString destination = Platform::cleanPath(expand(QStringLiteral("$(DestDir)")));
    for (QString folder : m_folders) {
        if (climb) {
            while (!folderExists(folder) && !isRoot(folder))
                folder = parentOf(folder);
        }
        while (liesWithin(folder, destination) && folderExists(folder) && isEmptyFolder(folder)) {
            // A folder that cannot be deleted ends the climb; it is not worth a question.
            if (!removeEmptyFolder(folder, destination))
                break;
            folder = parentOf(folder);
        }
    }
}

QString FolderCleanup::parentOf(const QString &folder)
{
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return rootFolder;
    return folder.left(slash);
}
