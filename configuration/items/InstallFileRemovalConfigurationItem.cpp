#include "configuration/items/InstallFileRemovalConfigurationItem.h"

#include "app/core/VariableTable.h"
#include "configuration/items/FileRemovalLoop.h"
#include "configuration/items/FolderCleanup.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

InstallFileRemovalConfigurationItem::InstallFileRemovalConfigurationItem(
        InstallConfigurationItem *parent, const QString &name, const QString &description,
        int level, bool visible)
    : InstallConfigurationItem(parent, name, description, level, visible)
{
}

void InstallFileRemovalConfigurationItem::addFile(const QString &path)
{
    m_paths.append(path);
}

void InstallFileRemovalConfigurationItem::doInstall() {}

void InstallFileRemovalConfigurationItem::doUninstall()
{
    emit progress(0);
    emitTotalSteps(int(m_paths.size()));
    FolderCleanup folders;
    int counter = 0;
    for (const QString &text : std::as_const(m_paths)) {
        const QString path = expand(text);
        folders.addFolderOf(path);
        if (QFileInfo::exists(path))
            FileRemovalLoop::remove(path, [](const QString &file) { return QFile::remove(file); });
        emit progress(++counter);
    }
    // These files may sit in folders that other items already emptied and deleted, so
    // the clean-up starts from the nearest folder that still exists.
    folders.cleanUp(true);
}

// A file of the list found on disk counts as installed, whatever the record says: an
// installation that failed before this item still gets its record and the product's
// later files removed with it, so that nothing of it stays behind.
void InstallFileRemovalConfigurationItem::doCheckInstalled()
{
    const bool anyPresent = std::any_of(m_paths.cbegin(), m_paths.cend(),
                                        [](const QString &path) { return QFileInfo::exists(expand(path)); });
    if (anyPresent)
        setInstalled(fullyInstalled, false);
}
