#include "configuration/items/InstallFilesConfigurationItem.h"

#include "app/run/InstallRun.h"
#include "app/core/InstallException.h"
#include "app/core/SystemReason.h"
#include "app/core/VariableTable.h"
#include "app/queries/UserQueries.h"
#include "configuration/items/FileRemovalLoop.h"
#include "configuration/items/FolderCleanup.h"
#include "configuration/items/PresenceCount.h"
#include "media/install/InstallFolder.h"
#include "media/platform/FileName.h"
#include "media/platform/FolderBelow.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

int countEntries(const InstallFilesConfigurationItem::Entry *table)
{
    int count = 0;
    while (table && table[count].source)
        ++count;
    return count;
}

QString expandedText(const char *text)
{
    return expand(QString::fromUtf8(text));
}

bool isRemoveMode()
{
    const InstallRun *run = InstallRun::instance();
    return run && run->mode() == InstallRun::Remove;
}

} // namespace

InstallFilesConfigurationItem::InstallFilesConfigurationItem(const Entry *table,
                                                             InstallConfigurationItem *parent,
                                                             const QString &name,
                                                             const QString &description,
                                                             int level, bool visible,
                                                             quint64 platforms)
    : InstallConfigurationItem(parent, name, description, level, visible, platforms),
      m_table(table), m_entryCount(countEntries(table))
{
}

void InstallFilesConfigurationItem::doInstall()
{
    emitTotalSteps(m_entryCount);
    if (m_entryCount < 1)
        return;
    // Folders first: whichever file fails after them, an uninstall copy already in place
    // has the runtime it starts on, so a half installation can still be removed.
    for (int index = 0; index < m_entryCount; ++index) {
        const Entry &entry = m_table[index];
        if ((entry.flags & OptionalFolder) && !(entry.flags & NotInstalled))
            copyFolder(expandedText(entry.source), expandedText(entry.destination));
    }
    for (int index = 0; index < m_entryCount; ++index) {
        emit progress(index);
        const Entry &entry = m_table[index];
        if (entry.flags & (NotInstalled | OptionalFolder))
            continue;
        const QString source = locateFile(QString::fromUtf8(entry.source));
        const QString destination = expandedText(entry.destination);
        const FileName sourceFile(source);
        if (!mayReplaceFile(sourceFile.lastModified(), sourceFile.size(), destination))
            continue;
        copyFile(source, destination);
    }
}

void InstallFilesConfigurationItem::doUninstall()
{
    emitTotalSteps(m_entryCount);
    const bool removingProduct = isRemoveMode();
    FolderCleanup folders;
    for (int index = 0; index < m_entryCount; ++index) {
        emit progress(index);
        const Entry &entry = m_table[index];
        if (removingProduct && (entry.flags & KeptOnRemoval))
            continue;
        const QString destination = expandedText(entry.destination);
        folders.addFolderOf(destination);
        if (entry.flags & OptionalFolder)
            removeFolder(destination);
        else
            FileRemovalLoop::remove(destination);
    }
    folders.cleanUp(false);
}

// The folder's files are the installer's own: replaced without a question.
void InstallFilesConfigurationItem::copyFolder(const QString &source, const QString &destination)
{
    if (!QFileInfo(source).isDir())
        return;
    for (QDirIterator it(source, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString file = it.next();
        copyFile(file, destination + file.mid(source.size()));
    }
}

// The installer's own files go where its archive members go, and just as carefully:
// folders made without following a link, the file written whole beside its name.
void InstallFilesConfigurationItem::copyFile(const QString &source, const QString &destination)
{
    const QFileInfo target(destination);
    const QString folder = target.absolutePath();
    const Platform::Descriptor opened = makeInstallFolder(folder, installBaseFor(folder, folder));
    if (!Platform::copyFileInto(source, opened, target.fileName()))
        throw InstallException(withSystemReason(QStringLiteral("Cannot copy file ") + source
                                                + QStringLiteral(" to ") + destination));
}

// A link put in the folder's place is taken away, never what it points to.
void InstallFilesConfigurationItem::removeFolder(const QString &folder)
{
    const QString destination = expandedText("$(DestDir)");
    const QString below = Platform::pathBelow(destination, folder);
    if (!below.isEmpty())
        Platform::removeTreeBelow(destination, below);
}

void InstallFilesConfigurationItem::doCheckInstalled()
{
    // The flags are not looked at: an entry that is never copied still counts.
    int present = 0;
    int counted = 0;
    for (int index = 0; index < m_entryCount; ++index) {
        if (m_table[index].flags & OptionalFolder)
            continue;
        ++counted;
        if (FileName(expandedText(m_table[index].destination)).exists())
            ++present;
    }
    setInstalled(PresenceCount::state(present, counted), false);
}
