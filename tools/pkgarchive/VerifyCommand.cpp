#include "VerifyCommand.h"

#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "app/core/HException.h"
#include "app/core/TerminalSafeText.h"
#include "media/archive/PackageArchive.h"

QString VerifyCommand::name() const
{
    return QStringLiteral("verify");
}

QString VerifyCommand::synopsis() const
{
    return QStringLiteral("verify FILE [--offset HEX]");
}

QString VerifyCommand::description() const
{
    return QStringLiteral(
        "Reads the archive's whole compressed stream to its end, so that the stream's\n"
        "own checksum is tested, and checks that every member lies inside it. Prints\n"
        "\"ok\" (status 0) or the first fault (status 1).");
}

int VerifyCommand::run(const QStringList &arguments)
{
    const CommandLine line(arguments, {}, {QStringLiteral("--offset")});
    line.requirePositionals(1, synopsis());

    PackageArchive archive;
    archive.open(line.positionals().at(0), line.offset(), 0);
    const quint64 length = archive.readToEnd();
    for (const PackageArchiveFile &file : archive.files()) {
        const quint64 end = quint64(file.dataPosition()) + file.size();
        if (end > length)
            throw HException("member " + file.name().toUtf8() + " ends at byte " + QByteArray::number(end)
                             + " but the stream holds " + QByteArray::number(length) + " bytes");
        if (!PackageArchive::isSafeFileName(file.name()))
            throw HException("unsafe file name " + terminalSafe(file.name().toUtf8(), false));
    }
    ConsoleOutput::line(QByteArray("ok"));
    return 0;
}
