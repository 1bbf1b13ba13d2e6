#include "app/entry/CopyFilesMode.h"

#include "app/run/RootFolderGuard.h"
#include "app/core/TerminalSafeText.h"
#include "app/console/ConsoleLicenseDialogue.h"
#include "app/console/TextProgressBar.h"
#include "app/core/HException.h"
#include "media/archive/PackageArchive.h"
#include "media/platform/Environment.h"
#include "media/platform/FileSystem.h"
#include "media/platform/Terminal.h"
#include "resources/LicenseText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <exception>

namespace {

const char installerDirVariable[] = "$(InstallerDir)";
constexpr int maximumColumns = 80;
constexpr int fallbackColumns = 80;
constexpr int fallbackRows = 25;

QByteArray bytes(const QString &text)
{
    return text.toLocal8Bit();
}

void printLine(const QString &path)
{
    const QByteArray line = terminalSafe(bytes(path), false) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
}

} // namespace

CopyFilesMode::CopyFilesMode(const StartupOptions &options)
    : m_options(options)
{
}

QStringList CopyFilesMode::installerFiles()
{
    const QString folder = QLatin1String(installerDirVariable) + QLatin1Char('/');
    return {
        folder + QFileInfo(Platform::installerProgramPath()).fileName(),
        folder + QLatin1String("libQt3Support.so.4"),
        folder + QLatin1String("libQtCore.so.4"),
        folder + QLatin1String("libQtGui.so.4"),
        folder + QLatin1String("libQtNetwork.so.4"),
        folder + QLatin1String("libQtSql.so.4"),
        folder + QLatin1String("libQtSvg.so.4"),
        folder + QLatin1String("libQtWebKit.so.4"),
        folder + QLatin1String("libQtXml.so.4"),
        folder + QLatin1String("MoxUnInstall.exe"),
    };
}

void CopyFilesMode::terminalGeometry(int *columns, int *rows)
{
    int width = 0;
    int height = 0;
    // A terminal that reports no size at all (0 x 0, as fresh pseudo-terminals and
    // serial lines do) is treated like one that cannot be asked.
    if (!Platform::terminalSize(&width, &height) || width < 1 || height < 1) {
        width = fallbackColumns;
        height = fallbackRows;
    }
    *columns = qMin(width, maximumColumns);
    *rows = height;
}

int CopyFilesMode::run(int &argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int columns = 0;
    int rows = 0;
    terminalGeometry(&columns, &rows);
    TextProgressBar bar(columns);
    bar.setShowElapsedTime(false);

    QByteArray message;
    try {
        copyAll(bar, columns, rows);
        return 0;
    } catch (const HException &error) {
        message = error.message();
    } catch (const std::exception &error) {
        message = error.what();
    }
    if (!m_options.hideProgress())
        bar.clearLine();
    std::fflush(stdout);
    std::fprintf(stderr, "error: %s\n", terminalSafe(message).constData());
    return 1;
}

void CopyFilesMode::copyAll(TextProgressBar &bar, int columns, int rows)
{
    const QStringList ownFiles = installerFiles();
    const QString binFolder = m_options.copyFilesTo() + QLatin1String("/bin");
    // An empty folder (an unset shell variable, typically) would put everything below
    // the file-system root; it is no absolute path either.
    if (m_options.copyFilesTo().isEmpty() || QDir::isRelativePath(binFolder))
        throw HException("destination directory must be an absolute path");
    // Copied as root into a folder another user controls, a folder swapped for a link
    // would take the files anywhere.
    const QString refusal = RootFolderGuard::refusal(m_options.copyFilesTo(), false);
    if (!refusal.isEmpty())
        throw HException(refusal.toUtf8());

    if (!m_options.acceptLicense()) {
        ConsoleLicenseDialogue dialogue(columns, rows);
        if (!dialogue.run(licenseText()))
            throw HException("License agreement not accepted");
    }

    // The whole payload is read once before anything is copied: damaged data then
    // fails with nothing written.
    PackageArchive archive;
    if (m_options.hasDataFile()) {
        if (!Platform::entryExists(m_options.dataFile()))
            throw HException(bytes(m_options.dataFile()) + " does not exist");
        const QString problem = Platform::whyNotReadableFile(m_options.dataFile());
        if (!problem.isEmpty())
            throw HException("Cannot open installation data " + bytes(m_options.dataFile()) + ": "
                             + bytes(problem));
        archive.open(m_options.dataFile(), m_options.dataOffset(), 0);
        archive.refuseUnsafeNames();
        archive.verify();
    }

    if (!Platform::makePath(binFolder))
        throw HException("cannot mkdir " + bytes(binFolder));
    const PackageArchiveTable &members = archive.files();

    const int total = int(ownFiles.size() + members.size());
    if (!m_options.hideProgress())
        bar.progress(0, total, QStringLiteral("Copying files"));

    int step = 0;
    for (QString source : ownFiles) {
        // The installer's files lie beside it in the working folder; the variable
        // table is not set up in this mode.
        source.replace(QLatin1String(installerDirVariable), QLatin1String("."));
        if (QFile::exists(source)) {
            if (m_options.verbose())
                printLine(binFolder + QLatin1Char('/') + QFileInfo(source).fileName());
            if (!Platform::copyFile(source, binFolder, false))
                throw HException("cannot copy " + bytes(source) + " to " + bytes(binFolder));
        }
        advance(bar, ++step);
    }

    for (const PackageArchiveFile &member : members) {
        if (m_options.verbose())
            printLine(m_options.copyFilesTo() + QLatin1Char('/') + member.name());
        archive.extractFileTo(member, m_options.copyFilesTo(), false);
        advance(bar, ++step);
    }
    archive.close();
}

void CopyFilesMode::advance(TextProgressBar &bar, int step)
{
    if (!m_options.hideProgress())
        bar.progress(step);
}
