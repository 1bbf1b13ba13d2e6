#include "app/core/PartialFile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int attempts = 100;

QByteArray folderOf(const QByteArray &name)
{
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

// Short whatever the final name's length: a name near the file system's limit must not
// fail for the sake of its temporary one.
QByteArray shortHiddenName(const QByteArray &name)
{
    const qsizetype slash = name.lastIndexOf('/');
    return name.left(slash + 1) + ".studio-"
           + QByteArray::number(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 36) + ".partial";
}

int retryOnInterrupt(const std::function<int()> &call)
{
    int result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace

PartialFile::PartialFile(int folder, const QByteArray &name) : m_folder(folder), m_name(name)
{
    const QByteArray directory = folderOf(name);
    m_descriptor = retryOnInterrupt(
            [&] { return ::openat(folder, directory.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600); });
    // Older kernels and some file systems know no unnamed files.
    if (m_descriptor >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return;
    for (int attempt = 0; attempt < attempts && m_descriptor < 0; ++attempt) {
        m_temporaryName = shortHiddenName(name);
        m_descriptor = retryOnInterrupt([&] {
            return ::openat(folder, m_temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0600);
        });
        if (m_descriptor < 0 && errno != EEXIST)
            break;
    }
    if (m_descriptor < 0)
        m_temporaryName.clear();
}

PartialFile::~PartialFile()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    if (!m_temporaryName.isEmpty())
        ::unlinkat(m_folder, m_temporaryName.constData(), 0);
}

bool PartialFile::place(bool replace)
{
    const bool placed = m_temporaryName.isEmpty() ? placeUnnamed(replace) : placeNamed(replace);
    if (placed)
        m_temporaryName.clear();
    return placed;
}

bool PartialFile::closeDescriptor()
{
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    return ::close(descriptor) == 0;
}

bool PartialFile::placeNamed(bool replace)
{
    if (!closeDescriptor())
        return false;
    if (replace)
        return ::renameat(m_folder, m_temporaryName.constData(), m_folder, m_name.constData()) == 0;
    if (::renameat2(m_folder, m_temporaryName.constData(), m_folder, m_name.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename.
    struct stat existing{};
    if (::fstatat(m_folder, m_name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(m_folder, m_temporaryName.constData(), m_folder, m_name.constData()) == 0;
}

// Linking never replaces: where a file already stands at the final name, the unnamed
// one takes a short name of its own first, then is renamed over it. Where none does
// (a fresh extraction) it is linked at its final name at once, saving the rename.
bool PartialFile::placeUnnamed(bool replace)
{
    int linked = linkDescriptor(m_name);
    QByteArray target = m_name;
    if (linked != 0 && errno == EEXIST && replace) {
        target = shortHiddenName(m_name);
        linked = linkDescriptor(target);
    }
    if (linked != 0) {
        const int reason = errno;
        closeDescriptor();
        errno = reason;
        return false;
    }
    const bool renameNeeded = target != m_name;
    if (renameNeeded)
        m_temporaryName = target;
    if (!closeDescriptor()) {
        const int reason = errno;
        if (!renameNeeded) // named already, but maybe not whole
            ::unlinkat(m_folder, m_name.constData(), 0);
        errno = reason;
        return false;
    }
    return !renameNeeded || ::renameat(m_folder, target.constData(), m_folder, m_name.constData()) == 0;
}

int PartialFile::linkDescriptor(const QByteArray &name) const
{
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", m_descriptor);
    const int linked = ::linkat(AT_FDCWD, self, m_folder, name.constData(), AT_SYMLINK_FOLLOW);
    if (linked != 0 && errno == ENOENT) // no /proc: root may link the descriptor itself
        return ::linkat(m_descriptor, "", m_folder, name.constData(), AT_EMPTY_PATH);
    return linked;
}
