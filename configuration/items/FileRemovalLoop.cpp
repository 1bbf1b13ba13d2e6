#include "configuration/items/FileRemovalLoop.h"

#include "app/core/InstallUserCancelException.h"
#include "media/platform/FileSystem.h"
#include "wizard/frame/InstallCheckMessageBox.h"

#include <QFileInfo>

void FileRemovalLoop::remove(const QString &path)
{
    remove(path, [](const QString &file) { return Platform::removeFile(file); });
}

void FileRemovalLoop::remove(const QString &path, const Remover &remover)
{
    for (;;) {
        if (!QFileInfo(path).isFile())
            return;
        if (remover(path))
            return;
        const int answer = InstallCheckMessageBox::exec(
                QStringLiteral("Cannot remove ") + QFileInfo(path).fileName(),
                QStringLiteral("The file ") + Platform::cleanPath(path)
                        + QStringLiteral(" cannot be removed, please check that it is not in use."
                                         "<p>Click Retry to remove file, Ignore to skip the file or "
                                         "Cancel to terminate installation."),
                InstallCheckMessageBox::Retry | InstallCheckMessageBox::Ignore
                        | InstallCheckMessageBox::Cancel,
                InstallCheckMessageBox::Retry);
        if (answer == InstallCheckMessageBox::Cancel)
            throw InstallUserCancelException();
        if (answer == InstallCheckMessageBox::Ignore)
            return;
    }
}
