#pragma once

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstring>

// The system's own words for a failed call, shown on the line under the message that
// says what could not be done: "No space left on device", "Permission denied".
inline QByteArray systemReason(int error = errno)
{
    return QByteArray(std::strerror(error));
}

inline QString withSystemReason(const QString &message, int error = errno)
{
    return message + QLatin1Char('\n') + QString::fromLocal8Bit(std::strerror(error));
}
