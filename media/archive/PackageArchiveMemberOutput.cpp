#include "media/archive/PackageArchiveMemberOutput.h"

#include "app/core/HException.h"
#include "app/core/PartialFileName.h"
#include "app/core/SystemReason.h"
#include "media/archive/PackageArchiveFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Members keep their owner's bits, but never group or world write: a payload packed
// under umask 000 must not leave world-writable files below /usr/share.
constexpr mode_t installedModeMask = 0755;
// Large writes go in slices the kernel accepts in one call.
constexpr qint64 writeSlice = qint64(1) << 30;

} // namespace

PackageArchiveMemberOutput::PackageArchiveMemberOutput(const QString &destPath, bool overwrite)
    : m_path(QFile::encodeName(destPath)), m_partial(partialFileName(m_path)), m_overwrite(overwrite)
{
    m_fd = createPartialFile(m_partial);
    if (m_fd < 0 && errno == ENOENT) {
        QDir().mkpath(QFileInfo(destPath).path());
        m_fd = createPartialFile(m_partial);
    }
    if (m_fd < 0)
        throw HException("cannot create output file " + m_path + '\n' + systemReason());
}

PackageArchiveMemberOutput::~PackageArchiveMemberOutput()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_partial.constData());
    }
}

void PackageArchiveMemberOutput::write(const char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(std::min(length, writeSlice)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail("cannot write to output file ");
        data += written;
        length -= written;
    }
}

void PackageArchiveMemberOutput::finish(const PackageArchiveFile &file)
{
    const time_t modified = time_t(file.lastModified().toSecsSinceEpoch());
    const struct timespec times[2] = {{modified, 0}, {modified, 0}};
    ::futimens(m_fd, times);
    if (::fchmod(m_fd, mode_t(file.mode() & installedModeMask)) != 0)
        fail("cannot set mode of output file ");
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const QByteArray reason = systemReason();
        ::unlink(m_partial.constData());
        throw HException("cannot write to output file " + m_path + '\n' + reason);
    }
    if (!placeFile()) {
        const int error = errno;
        ::unlink(m_partial.constData());
        throw HException((error == EEXIST && !m_overwrite ? "cannot overwrite file " : "cannot create output file ")
                         + m_path + '\n' + systemReason(error));
    }
}

// Without overwrite the final name must still be free when the file takes it; asking the
// rename itself costs no extra call per file.
bool PackageArchiveMemberOutput::placeFile() const
{
    if (m_overwrite)
        return ::rename(m_partial.constData(), m_path.constData()) == 0;
    if (::renameat2(AT_FDCWD, m_partial.constData(), AT_FDCWD, m_path.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename.
    struct stat existing {};
    if (::lstat(m_path.constData(), &existing) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(m_partial.constData(), m_path.constData()) == 0;
}

void PackageArchiveMemberOutput::fail(const char *message)
{
    const QByteArray reason = systemReason(errno == 0 ? ENOSPC : errno);
    ::close(m_fd);
    m_fd = -1;
    ::unlink(m_partial.constData());
    throw HException(message + m_path + '\n' + reason);
}
