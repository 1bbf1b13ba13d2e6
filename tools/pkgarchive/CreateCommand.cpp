#include "CreateCommand.h"

#include "CommandLine.h"
#include "app/core/HException.h"
#include "media/archive/PackageArchive.h"
#include "media/archive/PackageArchiveWriter.h"

QString CreateCommand::name() const
{
    return QStringLiteral("create");
}

QString CreateCommand::synopsis() const
{
    return QStringLiteral("create OUT DIR [--bzip2] [--level N]");
}

QString CreateCommand::description() const
{
    return QStringLiteral(
        "Packs every file below DIR into the payload archive OUT, named by its path\n"
        "relative to DIR, with its mode and modification time. The stream is zlib, or\n"
        "bzip2 with --bzip2; N is the compression level 0..9 (default 7).");
}

int CreateCommand::run(const QStringList &arguments)
{
    const CommandLine line(arguments, {QStringLiteral("--bzip2")}, {QStringLiteral("--level")});
    line.requirePositionals(2, synopsis());

    PackageArchive archive;
    PackageArchiveWriter writer(archive);
    writer.setCompressionMethod(line.has(QStringLiteral("--bzip2")) ? 1 : 0);
    if (line.has(QStringLiteral("--level"))) {
        bool ok = false;
        const int level = line.value(QStringLiteral("--level")).toInt(&ok);
        if (!ok)
            throw HException("invalid level " + line.value(QStringLiteral("--level")).toUtf8()
                             + " (a number from 0 to 9 is expected)");
        writer.setLevel(level);
    }
    writer.addFolder(line.positionals().at(1));
    writer.write(line.positionals().at(0));
    return 0;
}
