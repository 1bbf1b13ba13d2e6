#include "resources/LicenseText.h"

#include "resources/EmbeddedResources.h"

#include <QFile>

QByteArray licenseText()
{
    ensureEmbeddedResources();
    QFile document(QStringLiteral(":/studio/license.xhtml"));
    if (!document.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray data = document.readAll();
    const int end = data.indexOf('\0');
    return end < 0 ? data : data.left(end);
}
