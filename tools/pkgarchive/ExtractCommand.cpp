#include "ExtractCommand.h"

#include "CommandLine.h"
#include "media/archive/PackageArchive.h"

#include <algorithm>

QString ExtractCommand::name() const
{
    return QStringLiteral("extract");
}

QString ExtractCommand::synopsis() const
{
    return QStringLiteral("extract FILE DIR [--offset HEX]");
}

QString ExtractCommand::description() const
{
    return QStringLiteral(
        "Extracts every member of the archive into DIR under its relative name, with\n"
        "its mode and modification time, replacing files that are already there.\n"
        "Names that would leave DIR are refused.");
}

int ExtractCommand::run(const QStringList &arguments)
{
    const CommandLine line(arguments, {}, {QStringLiteral("--offset")});
    line.requirePositionals(2, synopsis());

    PackageArchive archive;
    archive.open(line.positionals().at(0), line.offset(), 0);
    // Ascending data positions read the stream in one pass, whatever the table order.
    QList<const PackageArchiveFile *> members = archive.files();
    std::stable_sort(members.begin(), members.end(),
                     [](const PackageArchiveFile *a, const PackageArchiveFile *b) {
                         return a->dataPosition() < b->dataPosition();
                     });
    const QString folder = line.positionals().at(1);
    for (const PackageArchiveFile *member : std::as_const(members))
        archive.extractFileTo(member, folder, true);
    return 0;
}
