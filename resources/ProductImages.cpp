#include "resources/ProductImages.h"

#include "resources/EmbeddedResources.h"

#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const char *const logoResource = ":/studio/images/installer-logo.png";
const char *const sharpLogoResource = ":/studio/images/installer-logo@2x.png";
const char *const iconResource = ":/studio/images/window-icon.png";

QPixmap &replacedLogo()
{
    static QPixmap logo;
    return logo;
}

QIcon &replacedIcon()
{
    static QIcon icon;
    return icon;
}

// A rounded blue tile with a white chevron over a short bar: reads as "set up" at
// any size, and needs no file.
QPixmap drawnLogo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0, QColor(0x2f, 0x7d, 0xc8));
    tile.setColorAt(1, QColor(0x1a, 0x4a, 0x85));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(1, 1, s - 2, s - 2), s * 0.18, s * 0.18);

    QPainterPath chevron;
    chevron.moveTo(s * 0.30, s * 0.22);
    chevron.lineTo(s * 0.58, s * 0.45);
    chevron.lineTo(s * 0.30, s * 0.68);
    QPen pen(Qt::white, s * 0.11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(chevron);
    painter.setPen(QPen(QColor(0xf5, 0xb0, 0x2e), s * 0.11, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(s * 0.56, s * 0.76), QPointF(s * 0.76, s * 0.76));
    return pixmap;
}

QPixmap resourceOr(const char *path, int drawnSize)
{
    ensureEmbeddedResources();
    if (QFile::exists(QString::fromLatin1(path))) {
        const QPixmap pixmap(QString::fromLatin1(path));
        if (!pixmap.isNull())
            return pixmap;
    }
    return drawnLogo(drawnSize);
}

} // namespace

namespace ProductImages {

QPixmap installerLogo()
{
    if (!replacedLogo().isNull())
        return replacedLogo();
    // On screens with two or more pixels to the point the logo comes from its larger
    // drawing, so it stays sharp at the same size on screen.
    if (qGuiApp && qGuiApp->devicePixelRatio() > 1.0) {
        ensureEmbeddedResources();
        QPixmap sharp(QString::fromLatin1(sharpLogoResource));
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return resourceOr(logoResource, 50);
}

void setInstallerLogo(const QPixmap &logo)
{
    replacedLogo() = logo;
}

QIcon windowIcon()
{
    if (!replacedIcon().isNull())
        return replacedIcon();
    return QIcon(resourceOr(iconResource, 32));
}

void setWindowIcon(const QIcon &icon)
{
    replacedIcon() = icon;
}

} // namespace ProductImages
