#include "E2eSupport.h"

#include "common/Sandbox.h"
#include "common/TestMain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QtTest>

// The self-extracting release as users meet it: made by the release script from the demo
// payload, run on a machine whose Qt 6 and the other bundled libraries are hidden (Setup
// must find its own), headless, in the wizard under a virtual display, damaged, and
// stopped by a signal.
class ReleaseRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void quietInstallThenWizardRemoval();
    void wizardShowsItsFirstPageUntilStopped();
    void launcherRuns_data();
    void launcherRuns();
    void launcherPassesPathsAndPayloads();
    void uninstallAfterAFailedInstallation();
    void scriptRefusesAReleaseThatCannotInstall();

private:
    // The command run in the sandbox of a fresh run folder, with the bundled libraries
    // hidden from whatever the command starts through $HIDE.
    QPair<int, QString> runWithoutSystemQt(const QString &run, QStringList command, bool display = false) const;
    QStringList unpackedFolders(const QString &run) const;

    QString m_releaseFolder;
    QString m_runFile;
    QString m_hideScript = QStringLiteral(STUDIO_SOURCE_DIR "/tests/e2e/without-bundled-libraries.sh");
};

namespace {

const QString releaseName = QStringLiteral("corvane-fenwick-studio-4.52a");
const QString windowTitle = QStringLiteral("Corvane Fenwick Studio for RISC-V 4.52a Setup");
const QString damagedText = releaseName
                            + QStringLiteral(".run: the file is damaged or incomplete (checksum mismatch); "
                                             "download it again\n");

QStringList relativeEntries(const QString &folder)
{
    QStringList entries;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories); it.hasNext();)
        entries << it.next().mid(folder.size() + 1);
    entries.sort();
    return entries;
}

} // namespace

void ReleaseRunsTest::initTestCase()
{
    const E2e::Fixture &fixture = E2e::fixture();
    const QString out = Sandbox::root() + "/release-out";
    QString output;
    // Made twice: the same sources and files give the same file, byte for byte.
    for (const QString &folder : {out + "-first", out}) {
        QProcess script;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("STUDIO_RELEASE_BINARIES", QFileInfo(SETUP_BINARY).path());
        if (!QFileInfo::exists(STUDIO_SOURCE_DIR "/.git")) // sources without history: the time is given
            environment.insert("SOURCE_DATE_EPOCH", "1700000000");
        script.setProcessEnvironment(environment);
        script.start("bash", {STUDIO_SOURCE_DIR "/scripts/release.sh", fixture.payload, folder, fixture.release});
        QVERIFY(script.waitForFinished(300000));
        output = QString::fromUtf8(script.readAllStandardOutput() + script.readAllStandardError());
        QVERIFY2(script.exitCode() == 0, qPrintable(output));
        QVERIFY2(!output.contains("missing"), qPrintable(output)); // every installer file was there
    }
    m_releaseFolder = out + '/' + releaseName;
    m_runFile = out + '/' + releaseName + ".run";
    const QByteArray release = E2e::readFile(m_runFile);
    QVERIFY(release == E2e::readFile(out + "-first/" + releaseName + ".run"));
    QCOMPARE(E2e::readFile(m_runFile + ".sha256"),
             QCryptographicHash::hash(release, QCryptographicHash::Sha256).toHex() + "  " + releaseName.toUtf8()
                 + ".run\n");
    const qint64 withoutPayload = QFileInfo(m_runFile).size() - QFileInfo(m_releaseFolder + "/payload.pkg").size();
    QVERIFY2(withoutPayload <= 35000000, qPrintable(output)); // this machine's Qt carries ICU along
    QVERIFY2(output.contains("(target: at most 25 MB)"), qPrintable(output));
    for (const char *library : {"Setup", "libQt6Core.so.6", "libQt6Widgets.so.6", "libQt6XcbQpa.so.6", "libisal.so.2",
                                "libxkbcommon-x11.so.0", "platforms/libqxcb.so", "platforms/libqoffscreen.so",
                                "fallback/libfontconfig.so.1", "fallback/libfreetype.so.6", "fallback/fonts.conf"})
        QVERIFY2(QFileInfo::exists(m_releaseFolder + "/runtime/" + library), library);
    for (const char *systemLibrary : {"libc.so.6", "libstdc++.so.6", "libxcb.so.1", "libfontconfig.so.1", "libz.so.1"})
        QVERIFY2(!QFileInfo::exists(m_releaseFolder + "/runtime/" + systemLibrary), systemLibrary);
}

QPair<int, QString> ReleaseRunsTest::runWithoutSystemQt(const QString &run, QStringList command, bool display) const
{
    QProcessEnvironment environment = E2e::runEnvironment(run);
    environment.insert("HIDE", m_hideScript + ' ' + m_releaseFolder + "/runtime");
    if (display)
        command = QStringList{"xvfb-run", "-a", "-s", "-nolisten tcp"} + command;
    return E2e::runIsolated(run, command, environment);
}

QStringList ReleaseRunsTest::unpackedFolders(const QString &run) const
{
    return QDir(run + "/tmp").entryList({releaseName + ".*"}, QDir::AllEntries | QDir::Hidden);
}

void ReleaseRunsTest::quietInstallThenWizardRemoval()
{
    const QString run = E2e::newRunFolder("release quiet install");
    // The machine's own build of Setup cannot start there: the libraries are really hidden.
    auto [status, errors] = runWithoutSystemQt(run, {"sh", "-c", "$HIDE ldd \"$1\" | grep -q 'libQt6Core.so.6 => not found' "
                                                     "&& $HIDE sh \"$2\" --quiet --accept-license",
                                                     "sh", SETUP_BINARY, m_runFile});
    QVERIFY2(status == 0, qPrintable(errors));
    QCOMPARE(errors, QString());
    QCOMPARE(unpackedFolders(run), QStringList());

    // What the release folder's installer installs is what a plain one installs, plus its runtime.
    const QString destination = run + "/share" + E2e::defaultDestination.mid(10);
    QCOMPARE(relativeEntries(destination + "/bin/runtime"), relativeEntries(m_releaseFolder + "/runtime"));
    QCOMPARE(E2e::readFile(destination + "/bin/uninstall"), E2e::readFile(m_releaseFolder + "/Setup"));
    static const QRegularExpression comparedAlone("^share/[^/]+/bin/(runtime/|uninstall\t)");
    static const QRegularExpression unpackedFolder("@ROOT@/runs/[^/]+/tmp/" + QRegularExpression::escape(releaseName)
                                                   + "\\.\\w+");
    QStringList entries = E2e::installedManifest(run, E2e::defaultDestination, m_releaseFolder);
    entries.replaceInStrings(unpackedFolder, "@ROOT@/release");
    QStringList expected = E2e::goldenManifest();
    for (QStringList *list : {&entries, &expected})
        list->erase(std::remove_if(list->begin(), list->end(),
                                   [](const QString &entry) { return comparedAlone.match(entry).hasMatch(); }),
                    list->end());
    QCOMPARE(entries, expected);

    // The uninstall copy starts on its own runtime: its wizard, Return on "Start Removal",
    // Return on the Finished page.
    const char driver[] = R"sh(
        d=/usr/share/corvane_fenwick_studio_for_risc-v_4.52a
        $HIDE "$d/bin/uninstall" & pid=$!
        window=$(timeout 60 xdotool search --sync --onlyvisible --name "$1") || { kill $pid; exit 3; }
        xdotool windowfocus --sync "$window" key Return
        entry=/usr/share/applications/corvane-corvane-fenwick-studio-for-risc-v-4.52a.desktop
        for i in $(seq 150); do [ -e "$d" ] || [ -e "$entry" ] || break; sleep 0.2; done
        # The Finished page follows the last item; a Return too early is pressed again.
        for i in $(seq 10); do
            sleep 1
            kill -0 $pid 2>/dev/null || break
            xdotool key Return
        done
        wait $pid
        echo "uninstall $?, destination $(ls -d "$d" 2>/dev/null || echo gone)" >&2)sh";
    std::tie(status, errors) = runWithoutSystemQt(run, {"sh", "-c", driver, "sh", windowTitle}, true);
    QCOMPARE(status, 0);
    QVERIFY2(errors.endsWith("uninstall 1, destination gone\n"), qPrintable(errors)); // a removal ends with 1
    QVERIFY(!QFileInfo::exists(run + "/share/applications/corvane-corvane-fenwick-studio-for-risc-v-4.52a.desktop"));
}

void ReleaseRunsTest::wizardShowsItsFirstPageUntilStopped()
{
    const QString run = E2e::newRunFolder("release wizard");
    const char driver[] = R"sh(
        $HIDE sh "$2" & pid=$!
        timeout 60 xdotool search --sync --onlyvisible --name "$1" getwindowname >&2 || echo "no window" >&2
        kill -TERM $pid
        wait $pid
        echo "launcher $?" >&2)sh";
    const auto [status, errors] = runWithoutSystemQt(run, {"sh", "-c", driver, "sh", windowTitle, m_runFile}, true);
    QCOMPARE(status, 0);
    QVERIFY2(errors.endsWith(windowTitle + "\nlauncher 143\n"), qPrintable(errors));
    QCOMPARE(unpackedFolders(run), QStringList());
    QCOMPARE(E2e::writtenFiles({}, E2e::manifest({{"share", run + "/share"}, {"etc", run + "/etc"}})), QStringList());
}

void ReleaseRunsTest::launcherRuns_data()
{
    QTest::addColumn<qint64>("damageAt"); // a byte flipped there; from the end when negative
    QTest::addColumn<qint64>("cutTo");    // the file's length, whole when 0
    QTest::addColumn<QString>("before");  // what the sandbox does first
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errorsStart");

    const QStringList quiet = {"--quiet", "--accept-license"};
    const QString none;
    QTest::newRow("a byte of the payload changed") << qint64(-10) << qint64(0) << none << quiet << 1 << damagedText;
    QTest::newRow("a byte of the installer changed") << qint64(10000) << qint64(0) << none << quiet << 1 << damagedText;
    QTest::newRow("cut short") << qint64(0) << qint64(100000) << none << quiet << 1 << damagedText;
    QTest::newRow("Setup's help and status") << qint64(0) << qint64(0) << none << QStringList{"--help"} << 1
                                             << "Options:\n";
    QTest::newRow("Setup's failure passed on") << qint64(0) << qint64(0) << none
                                               << QStringList{"--quiet", "--accept-license", "--destination", "/"}
                                               << 1 << "Installation Error\nThe installation folder must be an absolute path";
    QTest::newRow("TMPDIR mounted noexec") << qint64(0) << qint64(0)
                                           << "mount -t tmpfs -o noexec tmpfs \"$TMPDIR\"" << QStringList{"--help"}
                                           << 1 << "Options:\n";
    // Stand-ins on PATH for the launcher's own tools: mktemp says when it is asked for a
    // folder in TMPDIR; tar hands what it unpacked to another user, as a swap would.
    const QString standIns = QStringLiteral("export PATH=" STUDIO_SOURCE_DIR "/tests/e2e/stand-ins/%1:$PATH");
    QTest::newRow("a TMPDIR another user owns is passed over by root")
        << qint64(0) << qint64(0) << "chown 65534 \"$TMPDIR\" && " + standIns.arg("tmpdir-watch")
        << QStringList{"--help"} << 1 << "Options:\n";
    QTest::newRow("a C library older than the release's") << qint64(0) << qint64(0) << standIns.arg("old-glibc")
                                                          << quiet << 1
                                                          << releaseName + ".run: needs glibc 2.31 or later; this "
                                                                           "system has 2.28\n";
    QTest::newRow("the wizard without a display") << qint64(0) << qint64(0) << none << QStringList{} << 1
                                                  << releaseName + ".run: there is no display to show the installer "
                                                                   "on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                                                                   "to install without a window, run: sh ";
    QTest::newRow("an unpacked folder changed before Setup runs")
        << qint64(0) << qint64(0) << standIns.arg("swap-after-unpack") << QStringList{"--help"} << 1
        << releaseName + ".run: the unpacked installer in ";
}

void ReleaseRunsTest::launcherRuns()
{
    QFETCH(qint64, damageAt);
    QFETCH(qint64, cutTo);
    QFETCH(QString, before);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, errorsStart);
    const QString run = E2e::newRunFolder(QStringLiteral("release ") + QTest::currentDataTag());
    const QString file = run + '/' + releaseName + ".run";
    QByteArray bytes = E2e::readFile(m_runFile);
    if (damageAt != 0)
        bytes[damageAt < 0 ? bytes.size() + damageAt : damageAt] ^= 0x20;
    if (cutTo != 0)
        bytes.truncate(cutTo);
    QFile copy(file);
    QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size());
    copy.close();

    const QString script = (before.isEmpty() ? QString() : before + " && ") + "$HIDE sh \"$@\"";
    const auto [actualStatus, errors] = runWithoutSystemQt(run, QStringList{"sh", "-c", script, "sh", file} + arguments);
    QVERIFY2(errors.startsWith(errorsStart), qPrintable(errors));
    QCOMPARE(actualStatus, status);
    QCOMPARE(unpackedFolders(run), QStringList());
    QCOMPARE(E2e::writtenFiles({}, E2e::manifest({{"share", run + "/share"}, {"etc", run + "/etc"}})), QStringList());
}

// From a folder of the user's: relative names are the user's, the installer's own files
// still reach DIR/bin, and a payload of the user's replaces the one inside the file.
void ReleaseRunsTest::launcherPassesPathsAndPayloads()
{
    const QString run = E2e::newRunFolder("release paths");
    QVERIFY(QDir().mkpath(run + "/work/other") && QFile(run + "/work/other/only-here.txt").open(QIODevice::WriteOnly));
    QCOMPARE(QProcess::execute(PKGARCHIVE_BINARY, {"create", run + "/work/other.pkg", run + "/work/other"}), 0);
    const char script[] = "cd work && $HIDE sh \"$1\" --copy-files-to copied --accept-license --hide-progress "
                          "&& $HIDE sh \"$1\" --copy-files-to theirs --data-file other.pkg --accept-license --hide-progress "
                          "&& ! $HIDE sh \"$1\" --quiet --data-offset 10";
    const auto [status, errors] = runWithoutSystemQt(run, {"sh", "-c", script, "sh", m_runFile});
    QVERIFY2(status == 0, qPrintable(errors));
    QCOMPARE(errors, releaseName + ".run: --data-offset goes with a --data-file of your own; the payload inside this "
                                   "file needs neither\n");
    for (const char *file : {"bin/Setup", "bin/libQtCore.so.4", "gcc/README.txt"})
        QVERIFY2(QFileInfo(run + "/work/copied/" + file).isFile(), file);
    QCOMPARE(relativeEntries(run + "/work/theirs").filter(QRegularExpression("^[^/]+$")), (QStringList{"bin", "only-here.txt"}));
}

// An installation that fails after the installer's own files still leaves an uninstall
// that starts on a machine without Qt 6 and removes what was installed.
void ReleaseRunsTest::uninstallAfterAFailedInstallation()
{
    const QString run = E2e::newRunFolder("release failed install");
    const QString destination = run + "/dest";
    // A folder where the installer's last library goes fails its own files' item.
    QVERIFY(QDir().mkpath(destination + "/bin/libQtXml.so.4/in-the-way"));
    const char script[] = "! $HIDE sh \"$1\" --quiet --accept-license --destination \"$2\" 2>/dev/null "
                          "&& rm -r \"$2/bin/libQtXml.so.4\" && $HIDE \"$2/bin/uninstall\" --quiet";
    const auto [status, errors] = runWithoutSystemQt(run, {"sh", "-c", script, "sh", m_runFile, destination});
    QVERIFY2(status == 0, qPrintable(errors));
    QVERIFY2(!QFileInfo::exists(destination), qPrintable(relativeEntries(destination).join(' ')));
}

void ReleaseRunsTest::scriptRefusesAReleaseThatCannotInstall()
{
    QProcess script;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("STUDIO_RELEASE_BINARIES", QFileInfo(SETUP_BINARY).path());
    script.setProcessEnvironment(environment);
    script.start("bash", {STUDIO_SOURCE_DIR "/scripts/release.sh", E2e::fixture().payload, Sandbox::root() + "/no-release"});
    QVERIFY(script.waitForFinished(300000));
    const QString errors = QString::fromUtf8(script.readAllStandardError());
    QCOMPARE(script.exitCode(), 1);
    QVERIFY2(errors.contains("release: the installer's own files are missing; every installation from such a release "
                             "would fail:\n  libQt3Support.so.4\n  libQtCore.so.4\n"),
             qPrintable(errors));
    QVERIFY(!QFileInfo::exists(Sandbox::root() + "/no-release/" + releaseName + ".run"));
}

STUDIO_TEST_CLASS(ReleaseRunsTest)
#include "ReleaseRunsTest.moc"
