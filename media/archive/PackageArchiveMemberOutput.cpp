#include "media/archive/PackageArchiveMemberOutput.h"

#include "app/core/HException.h"
#include "app/core/PartialFile.h"
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
    : m_path(QFile::encodeName(destPath)), m_overwrite(overwrite),
      m_file(std::make_unique<PartialFile>(AT_FDCWD, m_path))
{
    if (!m_file->isOpen() && errno == ENOENT) {
        QDir().mkpath(QFileInfo(destPath).path());
        m_file = std::make_unique<PartialFile>(AT_FDCWD, m_path);
    }
    if (!m_file->isOpen())
        throw HException("cannot create output file " + m_path + '\n' + systemReason());
}

PackageArchiveMemberOutput::~PackageArchiveMemberOutput() = default;

void PackageArchiveMemberOutput::write(const char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t written = ::write(m_file->descriptor(), data, size_t(std::min(length, writeSlice)));
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
    ::futimens(m_file->descriptor(), times);
    if (::fchmod(m_file->descriptor(), mode_t(file.mode() & installedModeMask)) != 0)
        fail("cannot set mode of output file ");
    if (!m_file->place(m_overwrite)) {
        const int error = errno;
        throw HException((error == EEXIST && !m_overwrite ? "cannot overwrite file " : "cannot create output file ")
                         + m_path + '\n' + systemReason(error));
    }
}

void PackageArchiveMemberOutput::fail(const char *message)
{
    const QByteArray reason = systemReason(errno == 0 ? ENOSPC : errno);
    m_file.reset();
    throw HException(message + m_path + '\n' + reason);
}
