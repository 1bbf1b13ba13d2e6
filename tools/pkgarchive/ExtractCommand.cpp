#include "ExtractCommand.h"

#include "CommandLine.h"
#include "ExtractionWriter.h"
#include "app/core/HException.h"
#include "media/archive/PackageArchive.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace {
// Decompressed members waiting for the writer; one larger member is taken alone.
constexpr qint64 PendingLimit = qint64(8) << 20;
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
    // Archives we write are in that order already; any other gets a sorted list of
    // indices, four bytes a member.
    const PackageArchiveTable &members = archive.files();
    const qsizetype count = members.size();
    std::vector<quint32> order;
    const auto byPosition = [&members](qsizetype a, qsizetype b) {
        return members.dataPosition(a) < members.dataPosition(b);
    };
    bool inOrder = true;
    for (qsizetype index = 1; index < count && inOrder; ++index)
        inOrder = !byPosition(index, index - 1);
    if (!inOrder) {
        order.resize(size_t(count));
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(), byPosition);
    }
    const QString folder = line.positionals().at(1);

    ExtractionWriter writer(PendingLimit);
    try {
        for (qsizetype step = 0; step < count; ++step) {
            const PackageArchiveFile member = members.at(order.empty() ? step : qsizetype(order[size_t(step)]));
            const QString destination = PackageArchive::destinationPath(member, folder);
            writer.waitForRoom(member.size());
            writer.enqueue(member, archive.fileData(member), destination);
        }
        writer.finish();
    } catch (const HException &error) {
        // A member written before the failing one that also failed is the first fault.
        const QByteArray earlier = writer.drain();
        throw HException(earlier.isEmpty() ? error.message() : earlier);
    }
    return 0;
}
