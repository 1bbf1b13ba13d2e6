#include "app/startup/InstanceLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Another holder may remove the file between our open and our lock; a few rounds settle it.
constexpr int attempts = 10;

bool isOwnRegularFile(const struct stat &status)
{
    return S_ISREG(status.st_mode) && status.st_uid == ::getuid();
}

} // namespace

void moveAside(const QByteArray &path)
{
    if (::unlink(path.constData()) == 0 || ::rmdir(path.constData()) == 0)
        return;
    const QByteArray aside = path + ".moved-aside-" + QByteArray::number(qint64(::getpid()));
    ::rename(path.constData(), aside.constData());
}

InstanceLock::InstanceLock(const QString &path) : m_path(QFile::encodeName(path)) {}

InstanceLock::~InstanceLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

InstanceLock::Outcome InstanceLock::tryLock()
{
    if (isLocked())
        return Taken;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const int descriptor = ::open(m_path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        struct stat opened{};
        if (descriptor < 0 || ::fstat(descriptor, &opened) != 0 || !isOwnRegularFile(opened)) {
            const int reason = errno;
            if (descriptor >= 0)
                ::close(descriptor);
            if (descriptor < 0 && reason != ELOOP && reason != EISDIR && reason != ENXIO && reason != EWOULDBLOCK)
                return Unavailable; // the folder itself will not have us
            moveAside(m_path);
            continue;
        }
        if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            const int reason = errno;
            ::close(descriptor);
            return reason == EWOULDBLOCK ? HeldElsewhere : Unavailable;
        }
        struct stat named{};
        if (::lstat(m_path.constData(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            // For people who look: which process holds it.
            const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
            if (::ftruncate(descriptor, 0) == 0) {
                [[maybe_unused]] const ssize_t written = ::pwrite(descriptor, pid.constData(), size_t(pid.size()), 0);
            }
            m_descriptor = descriptor;
            return Taken;
        }
        ::close(descriptor); // its holder removed it as we took it: take the new one
    }
    return Unavailable;
}

void InstanceLock::unlock()
{
    if (!isLocked())
        return;
    ::unlink(m_path.constData());
    ::close(m_descriptor);
    m_descriptor = -1;
}
