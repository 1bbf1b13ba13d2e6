#include "media/platform/Environment.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <unistd.h>

namespace {

// The kernel's answer for our own executable; empty when /proc is not there or the
// target does not fit the buffer.
QString procSelfExecutable()
{
    char buffer[1024];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length < 1 || length > static_cast<ssize_t>(sizeof buffer) - 1)
        return QString();
    return QFile::decodeName(QByteArray(buffer, static_cast<int>(length)));
}

// The first command-line argument, readable before any application object exists
// (copy-files mode runs without one).
QString firstArgument()
{
    QFile commandLine(QStringLiteral("/proc/self/cmdline"));
    if (commandLine.open(QIODevice::ReadOnly)) {
        const QByteArray all = commandLine.readAll();
        const int end = all.indexOf('\0');
        const QByteArray first = end < 0 ? all : all.left(end);
        if (!first.isEmpty())
            return QFile::decodeName(first);
    }
    if (QCoreApplication::instance())
        return QCoreApplication::arguments().value(0);
    return QString();
}

} // namespace

namespace Platform {

QString environmentValue(const char *name, const QString &defaultValue)
{
    const char *value = std::getenv(name);
    if (!value)
        return defaultValue;
    return QString::fromLocal8Bit(value);
}

QString temporaryFolder()
{
    const QString tmp = environmentValue("TMP");
    if (!tmp.isEmpty())
        return tmp;
    const QString temp = environmentValue("TEMP");
    if (!temp.isEmpty())
        return temp;
    // An empty TMPDIR names no folder at all; it means the default as much as an unset one.
    const QString tmpdir = environmentValue("TMPDIR");
    return tmpdir.isEmpty() ? QStringLiteral("/tmp") : tmpdir;
}

QString executablePath()
{
    const QString target = procSelfExecutable();
    return target.isEmpty() ? firstArgument() : target;
}

QString executableFolder()
{
    const QString path = executablePath();
    if (path.isEmpty())
        return QString();
    return QFileInfo(path).absolutePath();
}

QString installerProgramPath()
{
    const QString executable = executablePath();
    const QFileInfo folder(QFileInfo(executable).absolutePath());
    if (folder.fileName() != QLatin1String("runtime"))
        return executable;
    // The name only picks a file beside runtime/; the folder is the executable's own.
    const QString starter = folder.absolutePath() + QLatin1Char('/') + firstArgument().section(QLatin1Char('/'), -1);
    const QFileInfo starterInfo(starter);
    return starterInfo.isFile() && !starterInfo.isSymLink() ? starter : executable;
}

QString installerFolder()
{
    const QString path = installerProgramPath();
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

QString homeFolder()
{
    return environmentValue("HOME");
}

QString userShareFolder()
{
    // A relative XDG_DATA_HOME is to be ignored; without a home there is no per-user
    // share folder at all ("/.local/share" would be wrong).
    const QString dataHome = environmentValue("XDG_DATA_HOME");
    if (dataHome.startsWith(QLatin1Char('/')))
        return dataHome;
    const QString home = homeFolder();
    return home.isEmpty() ? QString() : home + QStringLiteral("/.local/share");
}

QString systemShareFolder()
{
    return QStringLiteral("/usr/share");
}

QString rootFolder()
{
    return QStringLiteral("/");
}

bool isAdministrator()
{
    return ::getuid() == 0;
}

bool hasDisplay()
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
           || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

} // namespace Platform
