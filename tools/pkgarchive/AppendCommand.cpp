#include "AppendCommand.h"

#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "app/core/HException.h"
#include "media/archive/PackageArchive.h"

#include <QFile>
#include <QFileInfo>

namespace {

void copyInto(QFile &out, const QString &sourcePath)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        throw HException("cannot read " + QFile::encodeName(sourcePath));
    QByteArray block;
    while (!(block = source.read(1 << 20)).isEmpty()) {
        if (out.write(block) != block.size())
            throw HException("cannot write " + QFile::encodeName(out.fileName()));
    }
    if (source.error() != QFileDevice::NoError)
        throw HException("cannot read " + QFile::encodeName(sourcePath));
}

} // namespace

QString AppendCommand::name() const
{
    return QStringLiteral("append");
}

QString AppendCommand::synopsis() const
{
    return QStringLiteral("append INSTALLER PAYLOAD OUT");
}

QString AppendCommand::description() const
{
    return QStringLiteral(
        "Writes OUT: the INSTALLER followed by the PAYLOAD archive, with the\n"
        "installer's permissions. Prints the payload's byte offset in hexadecimal,\n"
        "the value to give the installer as --data-offset.");
}

int AppendCommand::run(const QStringList &arguments)
{
    const CommandLine line(arguments, {}, {});
    line.requirePositionals(3, synopsis());
    const QString installer = line.positionals().at(0);
    const QString payload = line.positionals().at(1);
    const QString outPath = line.positionals().at(2);

    const QFileInfo installerInfo(installer);
    if (!installerInfo.isFile())
        throw HException(QFile::encodeName(installer) + " does not exist");
    const QString outAbsolute = QFileInfo(outPath).absoluteFilePath();
    if (outAbsolute == installerInfo.absoluteFilePath() || outAbsolute == QFileInfo(payload).absoluteFilePath())
        throw HException("OUT must differ from INSTALLER and PAYLOAD");
    if (installerInfo.size() > 0xFFFFFFFFll)
        throw HException("installer too large for a 32-bit payload offset");
    {
        // Refuse to ship something the installer could not open.
        PackageArchive check;
        try {
            check.open(payload, 0, 0);
        } catch (const HException &error) {
            throw HException(QFile::encodeName(payload) + ": " + error.message());
        }
    }

    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw HException("cannot create " + QFile::encodeName(outPath));
    try {
        copyInto(out, installer);
        copyInto(out, payload);
        if (!out.flush())
            throw HException("cannot write " + QFile::encodeName(outPath));
        out.close();
        out.setPermissions(QFile::permissions(installer));
    } catch (...) {
        out.close();
        out.remove();
        throw;
    }
    ConsoleOutput::line(QByteArray::number(installerInfo.size(), 16));
    return 0;
}
