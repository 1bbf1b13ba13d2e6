#include "media/platform/WholeFile.h"

#include "app/core/PartialFileName.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool writeAll(int descriptor, const QByteArray &contents)
{
    const char *data = contents.constData();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

namespace Platform {

QString writeWholeFile(const QString &path, const QByteArray &contents, int permissions)
{
    return writeWholeFileIn(AT_FDCWD, path, contents, permissions);
}

QString writeWholeFileIn(int folder, const QString &name, const QByteArray &contents, int permissions)
{
    const QByteArray target = QFile::encodeName(name);
    const QByteArray partial = partialFileName(target);
    const int descriptor = createPartialFileAt(folder, partial);
    if (descriptor < 0)
        return systemReason(errno);
    const bool written = writeAll(descriptor, contents) && ::fchmod(descriptor, mode_t(permissions)) == 0
                         && ::fsync(descriptor) == 0;
    const int writeError = errno;
    const bool closed = ::close(descriptor) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlinkat(folder, partial.constData(), 0);
        return systemReason(!written ? writeError : closeError);
    }
    if (::renameat(folder, partial.constData(), folder, target.constData()) != 0) {
        const int renameError = errno;
        ::unlinkat(folder, partial.constData(), 0);
        return systemReason(renameError);
    }
    return QString();
}

} // namespace Platform
