#include "media/platform/TrustedFolder.h"

#include "app/core/PathCleaning.h"

#include <QFile>
#include <QStringList>

#include <climits>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int maximumLinks = 40; // as the kernel allows on one path

bool othersMayChange(const struct stat &status, bool isLast)
{
    if (status.st_uid != 0)
        return true;
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return false;
    return isLast || !(status.st_mode & S_ISVTX);
}

Platform::FolderControl walk(const QString &path, int linksLeft)
{
    const QStringList names = Platform::cleanPath(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString reached = QStringLiteral("/");
    for (qsizetype index = -1; index < names.size(); ++index) {
        const bool isLast = index == names.size() - 1;
        if (index >= 0)
            reached = (reached == QLatin1String("/") ? QString() : reached) + QLatin1Char('/') + names.at(index);
        struct stat status{};
        if (::lstat(QFile::encodeName(reached).constData(), &status) != 0)
            return {}; // missing: whatever follows is made by root
        if (S_ISLNK(status.st_mode)) {
            if (status.st_uid != 0)
                return {reached, status.st_uid};
            // One link at a time: every link of a chain must be root's, not just the last.
            char target[PATH_MAX];
            const ssize_t length = ::readlink(QFile::encodeName(reached).constData(), target, sizeof target - 1);
            if (linksLeft == 0 || length <= 0)
                return {}; // a looping link: creating through it fails on its own
            const QString linked = QFile::decodeName(QByteArray(target, int(length)));
            const QString above = reached.left(reached.lastIndexOf(QLatin1Char('/')));
            const QString rest = QStringList(names.mid(index + 1)).join(QLatin1Char('/'));
            return walk((linked.startsWith(QLatin1Char('/')) ? linked : above + QLatin1Char('/') + linked)
                                + QLatin1Char('/') + rest,
                        linksLeft - 1);
        }
        if (!S_ISDIR(status.st_mode))
            return {}; // a file in the way fails the run where it is used
        if (othersMayChange(status, isLast))
            return {reached, status.st_uid};
    }
    return {};
}

} // namespace

namespace Platform {

FolderControl folderControl(const QString &path)
{
    return walk(path, maximumLinks);
}

QString userName(uid_t user)
{
    const passwd *entry = ::getpwuid(user);
    return entry && entry->pw_name ? QString::fromLocal8Bit(entry->pw_name) : QString::number(user);
}

} // namespace Platform
