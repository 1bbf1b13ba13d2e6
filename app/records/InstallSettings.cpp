#include "app/records/InstallSettings.h"

#include "app/run/InstallRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Empty segments are kept: "a//b" is organisation "a", application "" and prefix "b/".
QStringList keySegments(const QString &key)
{
    return key.split(QLatin1Char('/'), Qt::KeepEmptyParts);
}

// Nobody but root can put anything below /etc/xdg; a link found there all the same
// (a folder or the file itself) is not followed but taken away, as the installer does
// with links at every file it writes.
void removeLink(const QString &path)
{
    struct stat status{};
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &status) == 0 && S_ISLNK(status.st_mode))
        ::unlink(name.constData());
}

std::unique_ptr<QSettings> openStore(const QString &organisation, const QString &application)
{
    if (InstallRun::isUserModeInstall())
        return std::make_unique<QSettings>(QSettings::UserScope, organisation, application);
    // A user's own run writes where that user's environment says; root writes to the
    // machine's store by its path, whatever XDG_CONFIG_DIRS says (sudo -E keeps it).
    if (::geteuid() != 0)
        return std::make_unique<QSettings>(QSettings::SystemScope, organisation, application);
    const QString folder = QStringLiteral("/etc/xdg/") + organisation;
    const QString file = folder + QLatin1Char('/') + application + QStringLiteral(".conf");
    removeLink(folder);
    removeLink(file);
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

} // namespace

InstallSettings::InstallSettings(const QString &key)
    : m_settings(openStore(organisation(key), application(key))), m_prefix(prefix(key))
{
}

InstallSettings::~InstallSettings()
{
    // Write pending changes now: the next operation opens the store afresh.
    m_settings->sync();
    // A removal takes the last values away: nothing of the product's stays behind, not
    // even an empty file or its folder.
    if (m_settings->allKeys().isEmpty() && m_settings->status() == QSettings::NoError) {
        const QFileInfo file(m_settings->fileName());
        if (file.isFile() && !file.isSymLink() && file.size() == 0) {
            QFile::remove(file.filePath());
            QDir().rmdir(file.path());
        }
    }
}

QString InstallSettings::organisation(const QString &key)
{
    return keySegments(key).value(0);
}

QString InstallSettings::application(const QString &key)
{
    return keySegments(key).value(1);
}

QString InstallSettings::prefix(const QString &key)
{
    const QStringList segments = keySegments(key);
    if (segments.size() <= 2)
        return QString();
    return segments.mid(2).join(QLatin1Char('/')) + QLatin1Char('/');
}
