#include "media/platform/FileSystem.h"

#include "media/platform/FolderBelow.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// The folder part of an absolute path: everything before the last "/", or "/" itself
// for a name directly below the root.
QString cutAtLastSlash(const QString &absolutePath)
{
    const int slash = absolutePath.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return QStringLiteral("/");
    return absolutePath.left(slash);
}

QString absoluteCleanPath(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return Platform::cleanPath(path);
    return Platform::cleanPath(QDir::currentPath() + QLatin1Char('/') + path);
}

bool isFolder(const QString &path)
{
    struct stat status{};
    return !path.isEmpty() && ::stat(encoded(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool sameFile(const struct stat &source, const QString &target)
{
    struct stat status{};
    return ::stat(encoded(target).constData(), &status) == 0 && status.st_dev == source.st_dev
           && status.st_ino == source.st_ino;
}

} // namespace

namespace Platform {

bool makePath(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    if (isFolder(folder))
        return true;
    const QString absolute = absoluteCleanPath(folder);
    if (absolute == QLatin1String("/"))
        return false;
    const QString parent = cutAtLastSlash(absolute);
    if (parent != absolute && !isFolder(parent))
        makePath(parent);
    return ::mkdir(encoded(absolute).constData(), 0777) == 0;
}

QDir parentFolder(const QString &folder)
{
    return QDir(cutAtLastSlash(absoluteCleanPath(folder)));
}

bool removeFile(const QString &path)
{
    return !path.isEmpty() && ::unlink(encoded(cleanPath(path)).constData()) == 0;
}

bool removeFolder(const QString &path)
{
    return !path.isEmpty() && ::rmdir(encoded(cleanPath(path)).constData()) == 0;
}

bool setWritable(const QString &path, bool writable)
{
    const QByteArray name = encoded(path);
    const int descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat status{};
    const bool known = ::fstat(descriptor, &status) == 0;
    ::close(descriptor);
    if (!known)
        return false;
    mode_t mode = status.st_mode & 07777;
    mode = writable ? (mode | S_IWUSR) : (mode & ~static_cast<mode_t>(S_IWUSR));
    return ::chmod(name.constData(), mode) == 0;
}

bool copyFile(const QString &source, const QString &destination, bool createFolders)
{
    if (source.isEmpty() || destination.isEmpty() || !QFileInfo::exists(source))
        return false;
    if (createFolders)
        makePath(parentFolder(destination).path());

    QString target = destination;
    if (isFolder(destination))
        target = destination + QLatin1Char('/') + QFileInfo(source).fileName();
    target = cleanPath(target);
    struct stat status{};
    if (::stat(encoded(cleanPath(source)).constData(), &status) != 0)
        return false;
    // Opening the target with truncation would wipe the very data we are about to read.
    if (sameFile(status, target))
        return true;
    const Descriptor folder(::open(encoded(cutAtLastSlash(absoluteCleanPath(target))).constData(),
                                     O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.isOpen() && copyFileInto(cleanPath(source), folder, QFileInfo(target).fileName());
}

QString whyNotReadableFile(const QString &path)
{
    const int descriptor = ::open(encoded(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    struct stat status{};
    const bool statted = ::fstat(descriptor, &status) == 0;
    const int statError = errno;
    ::close(descriptor);
    if (!statted)
        return QString::fromLocal8Bit(std::strerror(statError));
    if (S_ISDIR(status.st_mode))
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("Not a regular file");
    return QString();
}

bool entryExists(const QString &path)
{
    struct stat status{};
    return ::lstat(encoded(path).constData(), &status) == 0 || errno != ENOENT;
}

FILE *openStream(const QString &path, const char *mode)
{
    return std::fopen(encoded(path).constData(), mode);
}

int openDescriptor(const QString &path, int flags, int permissions)
{
    return ::open(encoded(path).constData(), flags, static_cast<mode_t>(permissions));
}

} // namespace Platform
