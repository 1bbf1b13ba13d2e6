#include "ExtractCommand.h"

#include "CommandLine.h"
#include "ExtractionWriter.h"
#include "app/core/HException.h"
#include "media/archive/PackageArchive.h"

#include <algorithm>

namespace {
// Decompressed members waiting for the writer; one larger member is taken alone.
constexpr qint64 PendingLimit = qint64(16) << 20;
}

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
    // Refused before the first file is written, not when extraction reaches it.
    archive.refuseUnsafeNames();
    // Ascending data positions read the stream in one pass, whatever the table order.
    QList<const PackageArchiveFile *> members = archive.files();
    std::stable_sort(members.begin(), members.end(),
                     [](const PackageArchiveFile *a, const PackageArchiveFile *b) {
                         return a->dataPosition() < b->dataPosition();
                     });
    const QString folder = line.positionals().at(1);

    ExtractionWriter writer(PendingLimit);
    try {
        for (const PackageArchiveFile *member : std::as_const(members)) {
            const QString destination = PackageArchive::destinationPath(*member, folder);
            writer.waitForRoom(member->size());
            writer.enqueue(*member, archive.fileData(member), destination);
        }
        writer.finish();
    } catch (const HException &error) {
        // A member written before the failing one that also failed is the first fault.
        const QByteArray earlier = writer.drain();
        throw HException(earlier.isEmpty() ? error.message() : earlier);
    }
    return 0;
}
