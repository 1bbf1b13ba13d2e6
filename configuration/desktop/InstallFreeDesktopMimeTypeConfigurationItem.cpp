#include "configuration/desktop/InstallFreeDesktopMimeTypeConfigurationItem.h"

#include "app/run/InstallRun.h"
#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "configuration/desktop/DesktopFolders.h"
#include "media/platform/FileName.h"
#include "media/platform/FileSystem.h"
#include "media/platform/WholeFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace {

const char mimeInfoNamespace[] = "http://www.freedesktop.org/standards/shared-mime-info";

void addCommand(const QStringList &command)
{
    if (InstallRun *run = InstallRun::instance())
        run->addPostInstallCommand(command, true);
}

} // namespace

const int InstallFreeDesktopMimeTypeConfigurationItem::iconSizes[7] = {256, 128, 64, 48,
                                                                       32,  24,  16};

InstallFreeDesktopMimeTypeConfigurationItem::InstallFreeDesktopMimeTypeConfigurationItem(
        int locationKind, const QString &mimeType, const QString &comment,
        const QString &parentType, const QString &extension, const QString &icon,
        InstallConfigurationItem *parent, const QString &name, const QString &description,
        int level, bool visible)
    : InstallConfigurationItem(parent, name, description, level, visible),
      m_locationKind(locationKind), m_mimeType(mimeType), m_comment(comment),
      m_parentType(parentType), m_extension(extension), m_icon(icon)
{
}

QString InstallFreeDesktopMimeTypeConfigurationItem::flatName() const
{
    QString flat = m_mimeType;
    return flat.replace(QLatin1Char('/'), QLatin1Char('-'));
}

QString InstallFreeDesktopMimeTypeConfigurationItem::packageFilePath() const
{
    return DesktopFolders::mimePackagesFolder(m_locationKind) + QLatin1Char('/') + flatName()
        + QStringLiteral(".xml");
}

QByteArray InstallFreeDesktopMimeTypeConfigurationItem::packageText() const
{
    // The texts are our own fixed product data, so they are written as they are.
    QStringList lines = {
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<mime-info xmlns=\"") + QLatin1String(mimeInfoNamespace)
                + QStringLiteral("\">"),
        QStringLiteral("  <mime-type type=\"") + m_mimeType + QStringLiteral("\">"),
    };
    if (!m_parentType.isEmpty())
        lines.append(QStringLiteral("    <sub-class-of type=\"") + m_parentType
                     + QStringLiteral("\"/>"));
    if (!m_comment.isEmpty())
        lines.append(QStringLiteral("    <comment>") + m_comment + QStringLiteral("</comment>"));
    lines.append(QStringLiteral("    <glob pattern=\"*") + m_extension + QStringLiteral("\"/>"));
    lines.append(QStringLiteral("  </mime-type>"));
    lines.append(QStringLiteral("</mime-info>"));

    QByteArray text;
    for (const QString &line : std::as_const(lines))
        text += line.toUtf8() + '\n';
    return text;
}

void InstallFreeDesktopMimeTypeConfigurationItem::doInstall()
{
    if (!Platform::makePath(DesktopFolders::mimePackagesFolder(m_locationKind)))
        return;
    const QString packageFile = packageFilePath();
    const QString failure = Platform::writeWholeFile(packageFile, packageText(), 0644);
    if (!failure.isEmpty())
        throw InstallException(QStringLiteral("Cannot write Mime type file") + packageFile
                               + QLatin1Char('\n') + failure);

    const FileName iconPath(expand(m_icon));
    const QImage image(iconPath.path());
    const QString iconFileName = flatName() + QLatin1Char('.') + iconPath.completeSuffix();
    bool anyIconWritten = false;
    for (const int size : iconSizes) {
        if (writeIcon(image, size, iconFileName))
            anyIconWritten = true;
    }
    if (anyIconWritten)
        addCommand({QStringLiteral("gtk-update-icon-cache"), QStringLiteral("-q"),
                    DesktopFolders::iconThemeFolder(m_locationKind)});
    addCommand({QStringLiteral("update-mime-database"), DesktopFolders::mimeFolder(m_locationKind)});
}

bool InstallFreeDesktopMimeTypeConfigurationItem::writeIcon(const QImage &image, int size,
                                                            const QString &fileName) const
{
    const QString folder = DesktopFolders::iconThemeFolder(m_locationKind) + QLatin1Char('/')
        + QString::number(size) + QLatin1Char('x') + QString::number(size)
        + QStringLiteral("/mimetypes");
    // A missing or unreadable source image must not leave empty icon files behind.
    if (image.isNull() || !Platform::makePath(folder))
        return false;
    // An image, not a pixmap: scaling and saving need no window system, so a run
    // without a display writes the same icons.
    const QImage scaled = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !scaled.save(&buffer, "PNG", 100))
        return false;
    return Platform::writeWholeFile(folder + QLatin1Char('/') + fileName, png, 0644).isEmpty();
}

void InstallFreeDesktopMimeTypeConfigurationItem::doUninstall() {}

void InstallFreeDesktopMimeTypeConfigurationItem::doCheckInstalled()
{
    setInstalled(QFileInfo::exists(packageFilePath()) ? fullyInstalled : notInstalled, false);
}
