#include "configuration/items/FileRemovalLoop.h"

#include "app/core/InstallUserCancelException.h"
#include "app/core/VariableTable.h"
#include "media/platform/FileSystem.h"
#include "media/platform/FolderBelow.h"
#include "app/queries/InstallQuestions.h"

#include <QFileInfo>

#include <sys/stat.h>

void FileRemovalLoop::remove(const QString &path)
{
    const QString destination = Platform::cleanPath(expand(QStringLiteral("$(DestDir)")));
    const QString below = Platform::pathBelow(destination, path);
    if (below.isEmpty()) {
        remove(path, [](const QString &file) { return Platform::removeFile(file); });
        return;
    }
    removeWhilePresent(
            path,
            [&] {
                const unsigned type = Platform::typeBelow(destination, below);
                return type == S_IFREG || type == S_IFLNK;
            },
            [&] { return Platform::removeBelow(destination, below); });
}

void FileRemovalLoop::remove(const QString &path, const Remover &remover)
{
    removeWhilePresent(path, [&] { return QFileInfo(path).isFile(); }, [&] { return remover(path); });
}

void FileRemovalLoop::removeWhilePresent(const QString &path, const std::function<bool()> &isPresent,
                                         const std::function<bool()> &removeOnce)
{
    for (;;) {
        if (!isPresent())
            return;
        if (removeOnce())
            return;
        const int answer = InstallQuestions::current().ask(
                QStringLiteral("Cannot remove ") + QFileInfo(path).fileName(),
                QStringLiteral("The file ") + Platform::cleanPath(path)
                        + QStringLiteral(" cannot be removed, please check that it is not in use."
                                         "<p>Click Retry to remove file, Ignore to skip the file or "
                                         "Cancel to terminate installation."),
                InstallQuestions::Retry | InstallQuestions::Ignore
                        | InstallQuestions::Cancel,
                InstallQuestions::Retry);
        if (answer == InstallQuestions::Cancel)
            throw InstallUserCancelException();
        if (answer == InstallQuestions::Ignore)
            return;
    }
}
