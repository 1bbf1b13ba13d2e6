#include "E2eSupport.h"

#include "common/Sandbox.h"
#include "common/TestMain.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// Setup as scripts start it, without a display. Each run gets a mount namespace of its own,
// so the manifest of its upper folders is exactly what it wrote. A failure row's standard
// error is compared whole with its section of headless.golden.txt.
class QuietRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void quietInstallation_data();
    void quietInstallation();
    void headlessRuns_data();
    void headlessRuns();
    void eightStartedAtOnce();
};

void QuietRunsTest::quietInstallation_data()
{
    QTest::addColumn<bool>("fromFileStore");
    QTest::newRow("package archive into the default folder") << false;
    QTest::newRow("file store into a chosen folder") << true;
}

void QuietRunsTest::quietInstallation()
{
    QFETCH(bool, fromFileStore);
    const E2e::Fixture &fixture = E2e::fixture();
    const QString run = E2e::newRunFolder(QString::fromLatin1(QTest::currentDataTag()));
    QString source = fixture.release;
    QString destination = E2e::defaultDestination;
    QStringList arguments{"--quiet", "--accept-license", "--data-file", fixture.archive};
    if (fromFileStore) {
        // The payload as folders beside Setup. The destination has a space to escape in the
        // menu entry and the default's last segment, which names the program folder.
        source = Sandbox::root() + "/store";
        QVERIFY(E2e::copyTree(fixture.release, source) && E2e::copyTree(fixture.payload, source));
        destination = run + "/Fenwick Studio/corvane_fenwick_studio_for_risc-v_4.52a";
        arguments = QStringList{"-s", "--accept-license", "--destination", destination};
    }
    const auto [status, errors] = E2e::runIsolated(run, QStringList{source + "/Setup"} + arguments);
    QVERIFY2(status == 0, qPrintable(errors));
    QCOMPARE(errors, QString());
    QCOMPARE(QDir(run + "/home").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());

    // Seen from the default destination and the release folder, both runs hold and register
    // exactly the same; only the record lists the files in another order (a file store
    // walks its folders ignoring case), so the store run's lists are left out.
    const QStringList entries = E2e::installedManifest(run, destination, source);
    static const QRegularExpression fileList(" files=\"[^\"]*\"");
    if (fromFileStore)
        QCOMPARE(QStringList(entries).replaceInStrings(fileList, QString()),
                 E2e::goldenManifest().replaceInStrings(fileList, QString()));
    else
        QCOMPARE(entries, E2e::goldenManifest(entries));
    // The desktop databases were refreshed before the run ended: the types and the menu entry are known.
    for (const char *type : {"fwarchive", "fwpackage", "fwproject"})
        QVERIFY2(QFileInfo::exists(run + "/share/mime/application/x-corvane-" + type + ".xml"), type);
    QVERIFY(E2e::readFile(run + "/share/applications/mimeinfo.cache").contains("corvane-corvane-fenwick-studio"));
}

void QuietRunsTest::headlessRuns_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("written"); // folders with the number of new or changed files
    QTest::addColumn<QStringList>("goneOrChanged");

    const QStringList quiet = {"--quiet", "--accept-license", "--data-file", "@PAYLOAD@"};
    const QStringList none;
    QTest::newRow("unknown option") << "Setup" << QStringList{"--quiet", "--bogus"} << 1 << none << none;
    QTest::newRow("a data offset that is not hexadecimal")
        << "Setup" << quiet + QStringList{"--data-offset", "zz"} << 1 << none << none;
    QTest::newRow("a data file that does not exist")
        << "Setup" << QStringList{"--quiet", "--accept-license", "--data-file", "@MISSING@"} << 1 << none << none;
    QTest::newRow("an empty data file name") << "Setup" << QStringList{"--quiet", "--data-file", ""} << 1 << none << none;
    QTest::newRow("a data file option without its value") << "Setup" << QStringList{"-s", "--data-file"} << 1 << none
                                                          << none;
    QTest::newRow("corrupt payload")
        << "Setup" << QStringList{"--quiet", "--accept-license", "--data-file", "@CORRUPT@"} << 1 << none << none;
    QTest::newRow("licence not accepted")
        << "Setup" << QStringList{"--quiet", "--data-file", "@PAYLOAD@", "--destination", "@DEST@"} << 1 << none
        << none;
    // The MIME packages, their icons and the rules file stay: other programs may rely on them.
    QTest::newRow("a quiet removal") << "uninstall" << QStringList{"--quiet"} << 0 << none
        << QStringList{"dest/bin 15", "dest/gcc 2", "dest/html 3", "dest/include 2", "dest/lib 2", "dest/llvm 2",
                       "dest/samples 3", "dest/source 2", "dest/targets 2", "etc/xdg 1", "share/applications 1"};
    QTest::newRow("a quiet run over an earlier installation upgrades it")
        << "upgrade" << QStringList{"--quiet", "--accept-license", "--data-file", "@VARIANT@", "--destination", "@DEST@"}
        << 0 << QStringList{"dest/bin 1", "dest/gcc 2"}
        << QStringList{"dest/bin 1", "dest/gcc 1", "dest/samples 1"};
    QTest::newRow("item failure in a run nobody answers")
        << "Setup" << quiet + QStringList{"--destination", "@DEST@"} << 1
        << QStringList{"dest/bin 15", "dest/gcc 2", "etc/xdg 1"} << none;
    QTest::newRow("a user without root rights is refused") << "nobody" << quiet << 1 << none << none;
    // The product (33 files), its menu entry, icons (21) and MIME packages (3); no rules file.
    QTest::newRow("user mode installs below the home of a user without root rights")
        << "nobody" << quiet + QStringList{"--user-mode-install"} << 0 << QStringList{"home/.config 1", "home/.local 58"}
        << none;
    QTest::newRow("user mode under sudo is refused") << "sudo" << quiet + QStringList{"--user-mode-install"} << 1
                                                     << none << none;
    QTest::newRow("its owner removes a user-mode installation without root")
        << "nobody removes" << QStringList{"--quiet"} << 0 << none
        << QStringList{"home/.config 1", "home/.local 34"};
    // As before upgrades: nobody can answer the first overwrite question.
    QTest::newRow("--no-upgrade installs over an earlier installation, stopping at a question")
        << "upgrade" << QStringList{"--quiet", "--accept-license", "--no-upgrade", "--data-file", "@VARIANT@",
                                    "--destination", "@DEST@"}
        << 1 << QStringList{"dest/bin 1", "dest/gcc 1"} << QStringList{"dest/bin 1"};
    QTest::newRow("a second instance hands over to the first") << "second" << QStringList() << 0 << none << none;
    QTest::newRow("a quiet second instance fails") << "second" << quiet << 1 << none << none;
    // Hostile or mistaken input: refused at once, with nothing written anywhere.
    for (const char *destination : {"", "rel/dir", "/", "//."})
        QTest::addRow("destination '%s' refused", destination)
            << "Setup" << quiet + QStringList{"--destination", destination} << 1 << none << none;
    for (const char *payload : {"@FIFO@", "@RUN@", "@DAMAGED@", "@HUGE@", "@EMPTY@"})
        QTest::addRow("payload %s refused", payload)
            << "Setup" << QStringList{"--quiet", "--accept-license", "--data-file", payload} << 1 << none << none;
    // Opened by its bytes: the run gets as far as the help folder, as with any payload.
    QTest::newRow("a payload named with bytes that are not UTF-8")
        << "latin1" << QStringList{"--quiet", "--accept-license", "--destination", "@DEST@", "--data-file"} << 1
        << QStringList{"dest/bin 15", "dest/gcc 2", "etc/xdg 1"} << none;
    QTest::newRow("a member named with an escape sequence") << "Setup" << QStringList{"--quiet", "--accept-license",
        "--data-file", "@EVIL@", "--destination", "@DEST@"} << 1 << none << none;
}

namespace {

// The payload a row names: made only for the row that uses it.
QString hostilePayload(const QString &token, const QString &run)
{
    const QString name = token.mid(1, token.size() - 2).toLower(), path = run + "/" + name + ".pkg";
    QByteArray bytes;
    if (token == QLatin1String("@FIFO@")) {
        ::mkfifo(QFile::encodeName(path).constData(), 0600); // would block an open for ever
        return path;
    } else if (token == QLatin1String("@RUN@")) {
        return run;
    } else if (token == QLatin1String("@VARIANT@")) {
        // The next version: a file changed, one added, one no longer there.
        return E2e::packedVariant(run, name, [](const QString &folder) {
            QFile changed(folder + "/gcc/README.txt"), added(folder + "/gcc/NEWS.txt");
            return changed.open(QIODevice::Append) && changed.write("Now with more.\n") > 0
                   && added.open(QIODevice::WriteOnly) && added.write("News\n") > 0
                   && QFile::remove(folder + "/samples/README.txt");
        });
    } else if (token == QLatin1String("@DAMAGED@")) {
        bytes = E2e::readFile(E2e::fixture().archive);
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55); // inside some member's data
    } else if (token == QLatin1String("@HUGE@") || token == QLatin1String("@EMPTY@")) {
        bytes = E2e::announcingArchive(token == QLatin1String("@HUGE@") ? 40000000 : 0);
    } else {
        // The demo payload and, in a folder no component installs, a name nothing may take.
        return E2e::packedVariant(run, name, [](const QString &folder) {
            return QDir().mkpath(folder + "/nowhere") && QFile(folder + "/nowhere/red\x1b[31mtext").open(QIODevice::WriteOnly);
        });
    }
    return E2e::writeFile(path, bytes) ? path : QString();
}

} // namespace

void QuietRunsTest::headlessRuns()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QStringList, written);
    QFETCH(QStringList, goneOrChanged);

    const E2e::Fixture &fixture = E2e::fixture();
    const QString run = E2e::newRunFolder(QString::fromLatin1(QTest::currentDataTag()));
    // A plain run's destination holds a file where the help folder belongs; only a run
    // that gets as far as that component notices.
    const QString destination = run + "/dest";
    QVERIFY(QDir().mkpath(destination));
    if (program == QLatin1String("Setup") || program == QLatin1String("latin1"))
        QVERIFY(QFile(destination + "/html").open(QIODevice::WriteOnly));

    QStringList command{fixture.release + "/Setup"};
    QProcessEnvironment environment;
    QProcess first;
    if (program == QLatin1String("uninstall") || program == QLatin1String("upgrade")) {
        const auto [installed, errors] = E2e::runIsolated(
            run, command + QStringList{"-s", "--accept-license", "--data-file", fixture.archive, "--destination", destination});
        QVERIFY2(installed == 0, qPrintable(errors));
        if (program == QLatin1String("uninstall"))
            command = QStringList{destination + "/bin/uninstall"};
    } else if (program.startsWith(QLatin1String("nobody"))) {
        // Switching to another user needs real root rights, not a user namespace's.
        if (!E2e::readFile("/proc/self/uid_map").contains("4294967295"))
            QSKIP("switching users needs the tests to run as root");
        for (const char *folder : {"", "/home", "/tmp"})
            QVERIFY(::chmod(QFile::encodeName(run + folder).constData(), 01777) == 0);
        QVERIFY(::chown(QFile::encodeName(run + "/run").constData(), 65534, 65534) == 0);
        const QStringList asNobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        environment = E2e::runEnvironment(run); // without XDG_RUNTIME_DIR: the lock's folder is a temporary one
        environment.remove("XDG_RUNTIME_DIR");
        command = asNobody + command;
        if (program == QLatin1String("nobody removes")) {
            const auto [installed, errors] = E2e::runIsolated(
                run, command + QStringList{"-s", "--accept-license", "--user-mode-install", "--data-file", fixture.archive});
            QVERIFY2(installed == 0, qPrintable(errors));
            command = asNobody + QStringList{run + "/home/.local/share/corvane_fenwick_studio_for_risc-v_4.52a/bin/uninstall"};
        }
    } else if (program == QLatin1String("sudo")) {
        environment = E2e::runEnvironment(run);
        environment.remove("XDG_RUNTIME_DIR"); // as sudo leaves it: Qt's complaint is not ours to print
        environment.insert("SUDO_UID", "65534");
        environment.insert("SUDO_GID", "65534");
    } else if (program == QLatin1String("latin1")) {
        const QByteArray name = QFile::encodeName(run) + "/payload-\xe9.pkg";
        QVERIFY(::link(QFile::encodeName(fixture.archive).constData(), name.constData()) == 0);
        command = QStringList{"sh", "-c", "exec \"$@\" \"$(printf 'payload-\\351.pkg')\"", "sh"} + command;
    } else if (program == QLatin1String("second")) {
        // A display of its own: the first installer shows its welcome page and waits.
        const QString firstRun = E2e::newRunFolder(QString::fromLatin1(QTest::currentDataTag()) + " first");
        for (const QString &stale : QDir(E2e::rootLockFolder).entryList({"*.lock"}))
            QVERIFY(QFile::remove(E2e::rootLockFolder + '/' + stale));
        environment = E2e::runEnvironment(firstRun);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        E2e::runIsolated(firstRun, command, environment, &first);
        environment.insert("TMPDIR", run + "/tmp"); // the lock must not depend on it
        QVERIFY2(QTest::qWaitFor([&] { return !QDir(E2e::rootLockFolder).entryList({"*.lock"}).isEmpty(); }, 30000),
                 "the first installer holds its lock");
    }
    for (QString &argument : arguments) {
        if (argument.size() > 2 && argument.startsWith('@') && argument.endsWith('@') && argument != "@PAYLOAD@"
            && argument != "@CORRUPT@" && argument != "@DEST@" && argument != "@MISSING@")
            argument = hostilePayload(argument, run);
    }
    arguments.replaceInStrings("@PAYLOAD@", fixture.archive);
    arguments.replaceInStrings("@CORRUPT@", fixture.release + "/libQtCore.so.4"); // not an archive
    arguments.replaceInStrings("@DEST@", destination);
    arguments.replaceInStrings("@MISSING@", run + "/no-such.pkg");
    const E2e::Pairs roots = {{"dest", destination}, {"etc", run + "/etc"}, {"home", run + "/home"},
                              {"share", run + "/share"}, {"xdg", run + "/xdg"}};
    const QStringList before = E2e::manifest(roots);

    const auto [exitStatus, errors] = E2e::runIsolated(run, command + arguments, environment);
    const bool firstWaits = first.state() == QProcess::Running;
    first.close();
    QVERIFY2(exitStatus == status, qPrintable(QString("status %1: %2").arg(exitStatus).arg(errors)));
    QVERIFY2(program != QLatin1String("second") || firstWaits, "the first installer keeps waiting on its page");
    const QString shownErrors = E2e::shown(errors);
    QCOMPARE(shownErrors.split('\n'),
             E2e::goldenSection("headless.golden.txt", QTest::currentDataTag(), shownErrors).split('\n'));
    const QStringList after = E2e::manifest(roots);
    QCOMPARE(E2e::writtenFiles(before, after).join(", "), written.join(", "));
    QCOMPARE(E2e::writtenFiles(after, before).join(", "), goneOrChanged.join(", "));
    const QStringList leftInTmp = QDir(run + "/tmp").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QVERIFY2(leftInTmp.isEmpty(), qPrintable(leftInTmp.join(", "))); // nothing of ours stays
}

// Released at the same instant into one destination: the lock lets exactly one through.
void QuietRunsTest::eightStartedAtOnce()
{
    const QString run = E2e::newRunFolder("eight at once");
    const QString destination = run + E2e::defaultDestination.mid(10); // the same last name: the program folder's
    const char script[] =
        "for i in 1 2 3 4 5 6 7 8; do\n"
        "  ( while [ ! -e \"$R/go\" ]; do :; done\n"
        "    \"$@\" 2> \"$R/errors$i\"; echo $? > \"$R/status$i\" ) &\n"
        "done\n"
        "sleep 1; touch \"$R/go\"; wait\n";
    const auto [status, errors] = E2e::runIsolated(
        run, {"sh", "-c", script, "sh", E2e::fixture().release + "/Setup", "--quiet", "--accept-license", "--data-file",
              E2e::fixture().archive, "--destination", destination});
    QVERIFY2(status == 0, qPrintable(errors));
    QStringList outcomes;
    for (int i = 1; i <= 8; ++i)
        outcomes << QString::fromUtf8(E2e::readFile(run + "/status" + QString::number(i)).trimmed() + ' '
                                      + E2e::readFile(run + "/errors" + QString::number(i)).trimmed());
    outcomes.sort();
    QCOMPARE(outcomes, QStringList{"0 "} + QStringList(7, "1 Another installer of Corvane Fenwick Studio for RISC-V "
                                                          "4.52a is running."));
    const QStringList installed = E2e::installedManifest(run, destination, E2e::fixture().release);
    QCOMPARE(installed, E2e::goldenManifest());
}

STUDIO_TEST_CLASS(QuietRunsTest)
#include "QuietRunsTest.moc"
