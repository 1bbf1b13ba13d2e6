#include "configuration/items/InstallFileRemovalConfigurationItem.h"

#include "app/core/VariableTable.h"
#include "configuration/items/FileRemovalLoop.h"
#include "configuration/items/FolderCleanup.h"

#include <QFile>
#include <QFileInfo>

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

void InstallFileRemovalConfigurationItem::doCheckInstalled() {}
