#include "media/platform/FolderBelow.h"

#include "app/core/PartialFile.h"
#include "app/core/PathCleaning.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

int openStep(int at, const QByteArray &name)
{
    int descriptor;
    do {
        descriptor = ::openat(at, name.constData(), folderFlags);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

QStringList segments(const QString &below)
{
    return below.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QString folderPart(const QString &below)
{
    const qsizetype slash = below.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : below.left(slash);
}

QByteArray lastPart(const QString &below)
{
    return QFile::encodeName(below.mid(below.lastIndexOf(QLatin1Char('/')) + 1));
}

bool removeContents(int folder)
{
    const int listed = ::dup(folder);
    DIR *entries = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!entries) {
        if (listed >= 0)
            ::close(listed);
        return false;
    }
    bool removed = true;
    while (const dirent *entry = ::readdir(entries)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat status{};
        if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(status.st_mode)) {
            const int inner = openStep(folder, name);
            removed = inner >= 0 && removeContents(inner) && removed;
            if (inner >= 0)
                ::close(inner);
            removed = ::unlinkat(folder, name.constData(), AT_REMOVEDIR) == 0 && removed;
        } else {
            removed = ::unlinkat(folder, name.constData(), 0) == 0 && removed;
        }
    }
    ::closedir(entries);
    return removed;
}

bool copyContents(int from, int to)
{
    char buffer[131072];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        for (ssize_t done = 0; done < got;) {
            const ssize_t written = ::write(to, buffer + done, size_t(got - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            done += written;
        }
    }
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

namespace Platform {

Descriptor::~Descriptor()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

Descriptor::Descriptor(Descriptor &&other) noexcept : m_descriptor(other.m_descriptor)
{
    other.m_descriptor = -1;
}

Descriptor &Descriptor::operator=(Descriptor &&other) noexcept
{
    if (this != &other) {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = other.m_descriptor;
        other.m_descriptor = -1;
    }
    return *this;
}

QString pathBelow(const QString &base, const QString &path)
{
    const QString cleanBase = cleanPath(base);
    const QString cleanTarget = cleanPath(path);
    const QString prefix = cleanBase == QLatin1String("/") ? cleanBase : cleanBase + QLatin1Char('/');
    return cleanTarget.startsWith(prefix) ? cleanTarget.mid(prefix.size()) : QString();
}

Descriptor openFolderBelow(const QString &base, const QString &below, bool create)
{
    Descriptor folder(::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const QString &segment : segments(below)) {
        if (!folder.isOpen())
            break;
        const QByteArray name = QFile::encodeName(segment);
        int next = openStep(folder.descriptor(), name);
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(folder.descriptor(), name.constData(), 0777) == 0 || errno == EEXIST)
                next = openStep(folder.descriptor(), name);
        }
        folder = Descriptor(next);
    }
    return folder;
}

unsigned typeBelow(const QString &base, const QString &below)
{
    const Descriptor folder = openFolderBelow(base, folderPart(below), false);
    struct stat status{};
    if (!folder.isOpen() || ::fstatat(folder.descriptor(), lastPart(below).constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    return status.st_mode & S_IFMT;
}

bool removeBelow(const QString &base, const QString &below, bool folder)
{
    if (below.isEmpty()) {
        errno = EINVAL;
        return false;
    }
    const Descriptor parent = openFolderBelow(base, folderPart(below), false);
    return parent.isOpen()
           && ::unlinkat(parent.descriptor(), lastPart(below).constData(), folder ? AT_REMOVEDIR : 0) == 0;
}

bool removeTreeBelow(const QString &base, const QString &below)
{
    const unsigned type = typeBelow(base, below);
    if (type != S_IFDIR)
        return type == 0 || removeBelow(base, below);
    const Descriptor folder = openFolderBelow(base, below, false);
    return folder.isOpen() && removeContents(folder.descriptor()) && removeBelow(base, below, true);
}

bool copyFileInto(const QString &source, const Descriptor &folder, const QString &name)
{
    const Descriptor from(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    struct stat status{};
    if (!from.isOpen() || ::fstat(from.descriptor(), &status) != 0)
        return false;
    PartialFile to(folder.descriptor(), QFile::encodeName(name));
    const timespec times[2] = {status.st_atim, status.st_mtim};
    return to.isOpen() && copyContents(from.descriptor(), to.descriptor())
           && ::futimens(to.descriptor(), times) == 0
           && ::fchmod(to.descriptor(), (status.st_mode & 07777) & ~currentUmask()) == 0 && to.place(true);
}

} // namespace Platform
