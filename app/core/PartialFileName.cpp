#include "app/core/PartialFileName.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

int createExclusive(const QByteArray &path)
{
    int fd;
    do {
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
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
    int fd = createExclusive(partial);
    if (fd < 0 && errno == EEXIST) {
        ::unlink(partial.constData());
        fd = createExclusive(partial);
    }
    return fd;
}
