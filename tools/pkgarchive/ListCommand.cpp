#include "ListCommand.h"

#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "app/core/TerminalSafeText.h"
#include "media/archive/PackageArchive.h"

QString ListCommand::name() const
{
    return QStringLiteral("list");
}

QString ListCommand::synopsis() const
{
    return QStringLiteral("list FILE [--offset HEX]");
}

QString ListCommand::description() const
{
    return QStringLiteral(
        "Lists the members of the archive at byte offset HEX of FILE in table order:\n"
        "mode in octal, size in bytes, modification time (UTC) and name.");
}

int ListCommand::run(const QStringList &arguments)
{
    const CommandLine line(arguments, {}, {QStringLiteral("--offset")});
    line.requirePositionals(1, synopsis());

    PackageArchive archive;
    archive.open(line.positionals().at(0), line.offset(), 0);
    for (const PackageArchiveFile &file : archive.files()) {
        ConsoleOutput::line(QStringLiteral("%1 %2 %3 %4")
                                .arg(file.mode(), 6, 8, QLatin1Char('0'))
                                .arg(file.size(), 10)
                                .arg(file.lastModified().toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                                .arg(terminalSafe(file.name(), false)));
    }
    return 0;
}
