#include "app/records/InstallSettings.h"

#include "app/application/InstallApplication.h"

#include <QSettings>
#include <QStringList>

namespace {

// Empty segments are kept: "a//b" is organisation "a", application "" and prefix "b/".
QStringList keySegments(const QString &key)
{
    return key.split(QLatin1Char('/'), Qt::KeepEmptyParts);
}

} // namespace

InstallSettings::InstallSettings(const QString &key)
    : m_settings(std::make_unique<QSettings>(InstallApplication::isUserModeInstall() ? QSettings::UserScope
                                                                                    : QSettings::SystemScope,
                                             organisation(key),
                                             application(key))),
      m_prefix(prefix(key))
{
}

InstallSettings::~InstallSettings()
{
    // Write pending changes now: the next operation opens the store afresh.
    m_settings->sync();
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
