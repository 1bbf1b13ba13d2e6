#include "wizard/pages/CustomSetupImages.h"

#include <QColor>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace {

constexpr int iconSize = 16;

// An empty icon of iconSize points, with as many pixels as the densest screen draws, so the
// icons stay sharp there; the drawing below is in points either way.
QPixmap canvas()
{
    const qreal ratio = qGuiApp ? qMax<qreal>(1.0, qGuiApp->devicePixelRatio()) : 1.0;
    QPixmap pixmap(qRound(iconSize * ratio), qRound(iconSize * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A drive-shaped box: the picture of "installed on the local hard drive".
QPixmap drawDrive(const QColor &body, bool withSubfeatures)
{
    QPixmap pixmap = canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(body.darker(170), 1));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(1.5, 5.5, 13, 7), 1.5, 1.5);
    painter.setBrush(QColor(80, 220, 90));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(11, 8, 2, 2));
    if (withSubfeatures) {
        painter.setPen(QPen(body.darker(170), 1));
        painter.setBrush(body.lighter(120));
        painter.drawRoundedRect(QRectF(4.5, 1.5, 10, 4), 1, 1);
        painter.drawRoundedRect(QRectF(4.5, 12.5, 10, 3), 1, 1);
    }
    return pixmap;
}

// A red cross: the feature is left out.
QPixmap drawCross()
{
    QPixmap pixmap = canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4, 4), QPointF(12, 12));
    painter.drawLine(QPointF(12, 4), QPointF(4, 12));
    return pixmap;
}

} // namespace

QPixmap CustomSetupImages::willInstallIcon()
{
    static const QPixmap icon = drawDrive(QColor(170, 180, 200), false);
    return icon;
}

QPixmap CustomSetupImages::notInstalledIcon()
{
    static const QPixmap icon = drawCross();
    return icon;
}

QPixmap CustomSetupImages::choiceIcon(int choice)
{
    static const QPixmap feature = drawDrive(QColor(170, 180, 200), false);
    static const QPixmap featureAndSubfeatures = drawDrive(QColor(170, 180, 200), true);
    static const QPixmap notAvailable = drawCross();
    switch (choice) {
    case 0:
        return feature;
    case 1:
        return featureAndSubfeatures;
    case 2:
        return notAvailable;
    default:
        return QPixmap();
    }
}
