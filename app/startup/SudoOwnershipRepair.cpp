#include "app/startup/SudoOwnershipRepair.h"

#include "media/platform/FolderBelow.h"

#include <QFile>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens `below` (a folder, or with folder false a file) from home without following a link.
Platform::Descriptor openFromHome(const QString &home, const QString &below, bool folder)
{
    const qsizetype slash = below.lastIndexOf(QLatin1Char('/'));
    const Platform::Descriptor parent = Platform::openFolderBelow(home, slash < 0 ? QString() : below.left(slash), false);
    if (!parent.isOpen())
        return Platform::Descriptor();
    const QByteArray name = QFile::encodeName(below.mid(slash + 1));
    const int flags = folder ? O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC : O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    return Platform::Descriptor(::openat(parent.descriptor(), name.constData(), flags));
}

} // namespace

SudoOwnershipRepair::SudoOwnershipRepair(const QString &company, const QString &product)
{
    if (!qEnvironmentVariableIsSet("SUDO_UID") || !qEnvironmentVariableIsSet("SUDO_GID"))
        return;
    m_user = static_cast<uid_t>(qEnvironmentVariable("SUDO_UID").toULong());
    m_group = static_cast<gid_t>(qEnvironmentVariable("SUDO_GID").toULong());
    const passwd *entry = ::getpwuid(m_user);
    if (!entry || !entry->pw_dir || entry->pw_dir[0] != '/')
        return;
    m_home = QFile::decodeName(entry->pw_dir);
    m_active = true;

    const QString companyFolder = QStringLiteral(".config/") + company;
    // The product's name appended to the company folder's path as it stands, as the
    // settings store of old named it.
    m_entries = {{QStringLiteral(".config"), true, false},
                 {companyFolder, true, false},
                 {companyFolder + product, true, false},
                 {companyFolder + QLatin1Char('/') + product + QStringLiteral(".conf"), false, false}};
    for (Entry &noted : m_entries)
        noted.existedBefore = exists(noted);
}

bool SudoOwnershipRepair::exists(const Entry &entry) const
{
    return Platform::typeBelow(m_home, entry.below) != 0;
}

void SudoOwnershipRepair::repair() const
{
    if (!m_active)
        return;
    for (const Entry &entry : m_entries) {
        if (!entry.existedBefore)
            handBack(entry);
    }
}

void SudoOwnershipRepair::handBack(const Entry &entry) const
{
    const Platform::Descriptor opened = openFromHome(m_home, entry.below, entry.folder);
    struct stat status{};
    if (!opened.isOpen() || ::fstat(opened.descriptor(), &status) != 0 || status.st_uid != 0)
        return;
    if (entry.folder ? !S_ISDIR(status.st_mode) : !S_ISREG(status.st_mode))
        return;
    [[maybe_unused]] const int ignored = ::fchown(opened.descriptor(), m_user, m_group);
}
