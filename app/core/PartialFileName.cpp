#include "app/core/PartialFileName.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

int createExclusive(int folder, const QByteArray &path)
{
    int fd;
    do {
        fd = ::openat(folder, path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

QByteArray partialFileName(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return path.left(slash + 1) + '.' + path.mid(slash + 1) + ".partial";
}

int createPartialFile(const QByteArray &partial)
{
    return createPartialFileAt(AT_FDCWD, partial);
}

int createPartialFileAt(int folder, const QByteArray &partial)
{
    int fd = createExclusive(folder, partial);
    if (fd < 0 && errno == EEXIST) {
        ::unlinkat(folder, partial.constData(), 0);
        fd = createExclusive(folder, partial);
    }
    return fd;
}
