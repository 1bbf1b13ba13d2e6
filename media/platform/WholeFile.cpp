#include "media/platform/WholeFile.h"

#include "app/core/PartialFile.h"

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
    PartialFile file(folder, QFile::encodeName(name));
    if (!file.isOpen())
        return systemReason(errno);
    const bool written = writeAll(file.descriptor(), contents)
                         && ::fchmod(file.descriptor(), mode_t(permissions)) == 0 && ::fsync(file.descriptor()) == 0;
    if (!written || !file.place(true))
        return systemReason(errno);
    return QString();
}

} // namespace Platform
