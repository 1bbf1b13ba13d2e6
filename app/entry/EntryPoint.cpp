#include "app/entry/EntryPoint.h"

#include "app/core/TerminalSafeText.h"
#include "app/entry/CopyFilesMode.h"
#include "app/entry/DataFileByBytes.h"
#include "app/entry/StartupOptions.h"
#include "app/startup/InstallerStartup.h"

#include <cstdio>

int runSetup(int argc, char **argv)
{
    const DataFileByBytes dataFile(argc, argv);
    const StartupOptions options = StartupOptions::scan(argc, argv);
    switch (options.outcome()) {
    case StartupOptions::Outcome::Help: {
        const QByteArray help = StartupOptions::helpText();
        std::fwrite(help.constData(), 1, size_t(help.size()), stderr);
        return 1;
    }
    case StartupOptions::Outcome::ArgumentExpected:
    case StartupOptions::Outcome::InvalidValue:
        std::fflush(stdout);
        std::fprintf(stderr, "error: %s\n", terminalSafe(options.problem().toUtf8()).constData());
        return 1;
    case StartupOptions::Outcome::Proceed:
        break;
    }

    if (options.copyFiles()) {
        CopyFilesMode mode(options);
        return mode.run(argc, argv);
    }
    return runInstaller(argc, argv);
}
