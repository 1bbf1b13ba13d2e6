#include "configuration/items/InstallSystemEnvironmentConfigurationItem.h"

#include <QtGlobal>

QString InstallSystemEnvironmentConfigurationItem::readValue() const
{
    return qEnvironmentVariable(variableName().toLocal8Bit().constData());
}

bool InstallSystemEnvironmentConfigurationItem::writeValue(const QString &value)
{
    const QByteArray name = variableName().toLocal8Bit();
    if (value.isEmpty())
        return qunsetenv(name.constData());
    return qputenv(name.constData(), value.toLocal8Bit());
}
