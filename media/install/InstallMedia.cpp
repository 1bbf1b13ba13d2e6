#include "media/install/InstallMedia.h"

#include "media/install/InstallFolder.h"
#include "app/core/PathCleaning.h"

#include <QFileInfo>

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
    makeInstallFolder(folder, installBaseFor(folder, QFileInfo(destFolder).absoluteFilePath()));
    m_preparedFolder = folder;
}
