#include "media/install/FileStoreInstallMedia.h"

#include "app/core/InstallException.h"
#include "app/core/SystemReason.h"
#include "app/core/VariableTable.h"
#include "app/queries/UserQueries.h"
#include "media/platform/FileName.h"
#include "media/platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

namespace {

// Depth first; a folder's entries in name order ignoring case, hidden ones left out.
void walk(const QString &path, const std::function<void(const QFileInfo &)> &visitFile)
{
    const QFileInfo info(path);
    if (!info.isDir()) {
        if (info.isFile())
            visitFile(info);
        return;
    }
    const QStringList entries = QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot,
                                                     QDir::Name | QDir::IgnoreCase);
    for (const QString &entry : entries)
        walk(path + QLatin1Char('/') + entry, visitFile);
}

} // namespace

FileStoreInstallMedia::FileStoreInstallMedia(const QString &root, QObject *parent)
    : InstallMedia(parent), m_root(expand(root))
{
}

QStringList FileStoreInstallMedia::listFiles(const QString &folder, uint64_t &totalSize)
{
    totalSize = 0;
    QStringList names;
    const QString base = m_root + QLatin1Char('/') + folder;
    const int prefixLength = base.size() + 1;
    // Only what lies below the folder counts: a file named as the folder is no folder.
    if (!QFileInfo(base).isDir())
        return names;
    walk(base, [&](const QFileInfo &file) {
        names.append(file.filePath().mid(prefixLength));
        totalSize += uint64_t(file.size());
    });
    return names;
}

uint64_t FileStoreInstallMedia::totalSize()
{
    uint64_t total = 0;
    walk(m_root, [&](const QFileInfo &file) { total += uint64_t(file.size()); });
    return total;
}

void FileStoreInstallMedia::installFiles(const QStringList &files, const QString &sourceFolder,
                                         const QString &destFolder)
{
    uint64_t bytesExtracted = 0;
    for (const QString &name : files) {
        const QString source = m_root + QLatin1Char('/') + sourceFolder + QLatin1Char('/') + name;
        const QString destination = destFolder + QLatin1Char('/') + name;
        emit extractingFile(Platform::cleanPath(name));

        const FileName sourceFile(source);
        if (mayReplaceFile(sourceFile.lastModified(), sourceFile.size(), destination)) {
            makeFolderFor(destination, destFolder);
            const QString folder = QFileInfo(destination).absolutePath();
            if (!Platform::copyFile(source, folder, false))
                throw InstallException(withSystemReason(QStringLiteral("Cannot copy file ") + source
                                                        + QStringLiteral(" to ") + folder));
        }
        // A declined file still counts: the progress covers the whole list.
        bytesExtracted += uint64_t(sourceFile.size());
        emit extractedFile(bytesExtracted);
    }
}
