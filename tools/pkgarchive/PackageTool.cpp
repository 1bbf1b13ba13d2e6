#include "PackageTool.h"

#include "AppendCommand.h"
#include "ConsoleOutput.h"
#include "CreateCommand.h"
#include "ExtractCommand.h"
#include "ListCommand.h"
#include "VerifyCommand.h"
#include "app/core/HException.h"

#include <exception>

namespace {
bool isHelp(const QString &argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h")
        || argument == QLatin1String("help");
}
}

PackageTool::PackageTool()
{
    m_commands.push_back(std::make_unique<CreateCommand>());
    m_commands.push_back(std::make_unique<ListCommand>());
    m_commands.push_back(std::make_unique<ExtractCommand>());
    m_commands.push_back(std::make_unique<VerifyCommand>());
    m_commands.push_back(std::make_unique<AppendCommand>());
}

PackageTool::~PackageTool() = default;

ToolCommand *PackageTool::command(const QString &name) const
{
    for (const auto &candidate : m_commands) {
        if (candidate->name() == name)
            return candidate.get();
    }
    return nullptr;
}

QByteArray PackageTool::usage() const
{
    QString text = QStringLiteral(
        "Usage: pkgarchive COMMAND ARGUMENTS\n"
        "Builds and checks the package archive that the installer reads as its payload.\n");
    for (const auto &candidate : m_commands) {
        text += QStringLiteral("\n  pkgarchive ") + candidate->synopsis() + QLatin1Char('\n');
        for (const QString &line : candidate->description().split(QLatin1Char('\n')))
            text += QStringLiteral("      ") + line + QLatin1Char('\n');
    }
    text += QStringLiteral("\nErrors are reported on one line on standard error, with exit status 1.");
    return text.toLocal8Bit();
}

int PackageTool::run(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        ConsoleOutput::error("no command given; try pkgarchive --help");
        return 1;
    }
    if (isHelp(arguments.first()) || arguments.contains(QStringLiteral("--help"))) {
        ConsoleOutput::line(usage());
        return 0;
    }
    ToolCommand *chosen = command(arguments.first());
    if (!chosen) {
        ConsoleOutput::error("unknown command " + arguments.first().toLocal8Bit() + "; try pkgarchive --help");
        return 1;
    }
    try {
        return chosen->run(arguments.mid(1));
    } catch (const HException &error) {
        ConsoleOutput::error(error.message());
    } catch (const std::exception &error) {
        ConsoleOutput::error(QByteArray("unexpected failure: ") + error.what());
    }
    return 1;
}
