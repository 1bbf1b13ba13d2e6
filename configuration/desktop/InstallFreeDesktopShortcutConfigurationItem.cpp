#include "configuration/desktop/InstallFreeDesktopShortcutConfigurationItem.h"

#include "app/run/InstallRun.h"
#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "configuration/desktop/DesktopFolders.h"
#include "media/platform/FileSystem.h"
#include "media/platform/WholeFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Desktop entries separate a command's arguments at spaces; a space that belongs to a
// path is escaped.
QString escapedSpaces(const QString &text)
{
    QString escaped = text;
    return escaped.replace(QLatin1Char(' '), QLatin1String("\\ "));
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString desktopFileName(const QString &vendor, const QString &name)
{
    QString vendorPart = expand(vendor);
    vendorPart.remove(QLatin1Char(' '));
    QString namePart = expand(name);
    namePart.replace(QLatin1Char(' '), QLatin1Char('-'));
    return vendorPart.toLower() + QLatin1Char('-') + namePart.toLower()
        + QStringLiteral(".desktop");
}

void addRefreshCommand(const QString &applicationsFolder)
{
    if (InstallRun *run = InstallRun::instance())
        run->addPostInstallCommand(
                {QStringLiteral("update-desktop-database"), QStringLiteral("-q"), applicationsFolder}, true);
}

} // namespace

InstallFreeDesktopShortcutConfigurationItem::InstallFreeDesktopShortcutConfigurationItem(
        int locationKind, const QString &vendor, const QString &name, const QString &command,
        const QString &icon, bool terminal, bool startupNotify, const QString &categories,
        const QString &mimeTypes, InstallConfigurationItem *parent, const QString &itemName,
        const QString &description, int level, bool visible)
    : InstallConfigurationItem(parent, itemName, description, level, visible),
      m_locationKind(locationKind),
      m_desktopFileName(desktopFileName(vendor, name)),
      m_name(name), m_command(command), m_icon(icon), m_terminal(terminal),
      m_startupNotify(startupNotify), m_categories(categories), m_mimeTypes(mimeTypes)
{
}

QString InstallFreeDesktopShortcutConfigurationItem::applicationsFolder() const
{
    return DesktopFolders::applicationsFolder(m_locationKind);
}

// Asked for when needed: the folder depends on how the installer was started.
QString InstallFreeDesktopShortcutConfigurationItem::desktopFilePath() const
{
    return applicationsFolder() + QLatin1Char('/') + m_desktopFileName;
}

QByteArray InstallFreeDesktopShortcutConfigurationItem::desktopEntry() const
{
    const QString name = expand(m_name);
    QStringList lines = {
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Encoding=UTF-8"),
        QStringLiteral("Name=") + name,
        QStringLiteral("Comment=") + name,
        QStringLiteral("Type=Application"),
        QStringLiteral("Exec=") + escapedSpaces(expand(m_command)),
    };
    if (!m_icon.isEmpty())
        lines.append(QStringLiteral("Icon=") + escapedSpaces(expand(m_icon)));
    lines.append(QStringLiteral("Terminal=") + booleanText(m_terminal));
    lines.append(QStringLiteral("StartupNotify=") + booleanText(m_startupNotify));
    // An entry without categories would land in a catch-all menu; it is hidden instead.
    lines.append(m_categories.isEmpty() ? QStringLiteral("NoDisplay=true")
                                        : QStringLiteral("Categories=") + m_categories);
    if (!m_mimeTypes.isEmpty())
        lines.append(QStringLiteral("MimeType=") + m_mimeTypes);

    QByteArray entry;
    for (const QString &line : std::as_const(lines))
        entry += line.toUtf8() + '\n';
    return entry;
}

void InstallFreeDesktopShortcutConfigurationItem::doInstall()
{
    if (!Platform::makePath(applicationsFolder()))
        return;
    const QString failure = Platform::writeWholeFile(desktopFilePath(), desktopEntry(), 0644);
    if (!failure.isEmpty())
        throw InstallException(QStringLiteral("Cannot write .desktop file\n") + failure);
    addRefreshCommand(applicationsFolder());
}

void InstallFreeDesktopShortcutConfigurationItem::doUninstall()
{
    if (!QFileInfo::exists(desktopFilePath()))
        return;
    Platform::removeFile(desktopFilePath());
    addRefreshCommand(applicationsFolder());
}

void InstallFreeDesktopShortcutConfigurationItem::doCheckInstalled()
{
    setInstalled(QFileInfo::exists(desktopFilePath()) ? fullyInstalled : notInstalled, false);
}
