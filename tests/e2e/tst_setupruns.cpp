#include "common/Sandbox.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <sys/stat.h>

// The installer as a user or a script starts it: the Setup program in a release folder
// beside its Qt library stand-ins, run without a display, inside a private mount
// namespace so that what it writes below /usr/share, /etc and the settings store lands
// in the sandbox's own folders. The functions build on each other in order: the first
// installs, later ones remove, fail and compete with that installation.
class TestSetupRuns : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void quietInstallationFromArchive();
    void headlessRunsEndWithAReason_data();
    void headlessRunsEndWithAReason();
    void quietInstallationFromFileStore();
    void itemFailureAnsweredTerminate();
    void nonRootRunIsRefused();
    void secondInstanceExitsAtOnce();

private:
    struct Outcome
    {
        int status = -1;
        QString errors;
        qint64 milliseconds = 0;
    };
    Outcome runSetup(const QString &program, const QStringList &arguments,
                     const QProcessEnvironment &environment) const;
    QProcessEnvironment headless() const;

    QString m_release;      // Setup, the library stand-ins, and the payload as a file store
    QString m_archive;      // the payload packed as one package archive
    QString m_destination;  // the default destination below /usr/share
    QStringList m_payloadFiles;
};

namespace {

const QStringList libraryStandIns = {
    QStringLiteral("libQt3Support.so.4"), QStringLiteral("libQtCore.so.4"),
    QStringLiteral("libQtGui.so.4"),      QStringLiteral("libQtNetwork.so.4"),
    QStringLiteral("libQtSql.so.4"),      QStringLiteral("libQtSvg.so.4"),
    QStringLiteral("libQtWebKit.so.4"),   QStringLiteral("libQtXml.so.4")};

const QString product = QStringLiteral("Corvane Fenwick Studio for RISC-V");

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(folder.size() + 1);
    files.sort();
    return files;
}

bool copyTree(const QString &from, const QString &to)
{
    for (const QString &file : filesBelow(from)) {
        const QString target = to + QLatin1Char('/') + file;
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(from + QLatin1Char('/') + file, target))
            return false;
    }
    return true;
}

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

QProcessEnvironment TestSetupRuns::headless() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

TestSetupRuns::Outcome TestSetupRuns::runSetup(const QString &program, const QStringList &arguments,
                                               const QProcessEnvironment &environment) const
{
    Outcome outcome;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_release);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        outcome.errors = QStringLiteral("did not end within a minute");
        return outcome;
    }
    outcome.milliseconds = timer.elapsed();
    outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.errors = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

void TestSetupRuns::initTestCase()
{
    QVERIFY2(Sandbox::isInside(), "runs inside the sandbox only");
    const QString root = Sandbox::root();
    m_release = root + QStringLiteral("/release");
    m_archive = root + QStringLiteral("/payload.pkg");
    m_destination = QStringLiteral("/usr/share/corvane_fenwick_studio_for_risc-v_4.52a");
    const QString payload = QStringLiteral(STUDIO_SOURCE_DIR "/demo/payload");
    m_payloadFiles = filesBelow(payload);
    QVERIFY2(!m_payloadFiles.isEmpty(), "demo payload present");

    QVERIFY(QDir().mkpath(m_release));
    QVERIFY(QFile::copy(QStringLiteral(SETUP_BINARY), m_release + QStringLiteral("/Setup")));
    for (const QString &library : libraryStandIns) {
        QFile standIn(m_release + QLatin1Char('/') + library);
        QVERIFY(standIn.open(QIODevice::WriteOnly));
        standIn.write("stand-in for " + library.toUtf8() + '\n');
    }
    QProcess pack;
    pack.start(QStringLiteral(PKGARCHIVE_BINARY), {QStringLiteral("create"), m_archive, payload});
    QVERIFY2(pack.waitForFinished(60000) && pack.exitCode() == 0,
             qPrintable(QString::fromUtf8(pack.readAllStandardError())));
    // The machine may lack the rules folder; the installation offers the rules file
    // pre-selected only where the folder exists.
    QVERIFY(QDir().mkpath(QStringLiteral("/etc/udev/rules.d")));
}

void TestSetupRuns::quietInstallationFromArchive()
{
    const Outcome outcome = runSetup(m_release + QStringLiteral("/Setup"),
                                     {QStringLiteral("--quiet"), QStringLiteral("--accept-license"),
                                      QStringLiteral("--data-file"), m_archive},
                                     headless());
    QVERIFY2(outcome.status == 0, qPrintable(outcome.errors));

    // Exactly these files, and nothing else, below the system folders.
    QStringList expectedShare;
    const QString destinationName = QFileInfo(m_destination).fileName();
    for (const QString &file : m_payloadFiles)
        expectedShare << destinationName + QLatin1Char('/') + file;
    for (const QString &library : libraryStandIns)
        expectedShare << destinationName + QStringLiteral("/bin/") + library;
    expectedShare << destinationName + QStringLiteral("/bin/uninstall")
                  << destinationName + QStringLiteral("/bin/IConf.xml");
    const QStringList mimeTypes = {QStringLiteral("application-x-corvane-fwarchive"),
                                   QStringLiteral("application-x-corvane-fwpackage"),
                                   QStringLiteral("application-x-corvane-fwproject")};
    for (const QString &type : mimeTypes) {
        expectedShare << QStringLiteral("mime/packages/") + type + QStringLiteral(".xml");
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            expectedShare << QStringLiteral("icons/hicolor/%1x%1/mimetypes/%2.png").arg(size).arg(type);
    }
    expectedShare << QStringLiteral("applications/corvane-corvane-fenwick-studio-for-risc-v-4.52a.desktop");
    expectedShare.sort();
    QCOMPARE(filesBelow(Sandbox::upperFolder(QStringLiteral("share"))), expectedShare);
    QCOMPARE(filesBelow(Sandbox::upperFolder(QStringLiteral("etc"))),
             QStringList{QStringLiteral("udev/rules.d/99-vantor.rules")});
    QCOMPARE(filesBelow(Sandbox::root() + QStringLiteral("/xdg")),
             QStringList{QStringLiteral("Corvane/") + product + QStringLiteral(".conf")});

    const QString record = readAll(m_destination + QStringLiteral("/bin/IConf.xml"));
    QVERIFY2(record.startsWith(QStringLiteral("<!DOCTYPE Install>\n<configuration dest_dir=\"") + m_destination
                               + QStringLiteral("\" src_dir=\"") + m_release
                               + QStringLiteral("\" program_folder_dir=\"Corvane/") + destinationName
                               + QStringLiteral("\">\n <InstallConfigurationList ")),
             qPrintable(record.left(400)));
    QVERIFY2(record.contains(QStringLiteral("<InstallArchiveConfigurationItem")), "component items recorded");

    const QString settings = readAll(Sandbox::root() + QStringLiteral("/xdg/Corvane/") + product
                                     + QStringLiteral(".conf"));
    QVERIFY2(settings.contains(QStringLiteral("4.52a\\DestDir=") + m_destination), qPrintable(settings));
    QVERIFY2(settings.contains(QStringLiteral("4.52a\\SrcDir=") + m_release), qPrintable(settings));

    const QFileInfo uninstaller(m_destination + QStringLiteral("/bin/uninstall"));
    QVERIFY2(uninstaller.isExecutable(), "the uninstaller can be started");
    QCOMPARE(uninstaller.size(), QFileInfo(m_release + QStringLiteral("/Setup")).size());
}

void TestSetupRuns::headlessRunsEndWithAReason_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("reasons");

    const QString setup = QStringLiteral("Setup");
    QTest::newRow("unknown option")
        << setup << QStringList{QStringLiteral("--quiet"), QStringLiteral("--bogus")}
        << QStringList{QStringLiteral("Installation Error"),
                       QStringLiteral("Unknown command line option: '--bogus'.")};
    QTest::newRow("copy-files option outside copy-files mode")
        << setup << QStringList{QStringLiteral("-s"), QStringLiteral("--verbose")}
        << QStringList{QStringLiteral("Unknown command line option: '--verbose'.")};
    QTest::newRow("corrupt payload")
        << setup
        << QStringList{QStringLiteral("--quiet"), QStringLiteral("--accept-license"),
                       QStringLiteral("--data-file"), QStringLiteral("corrupt.pkg")}
        << QStringList{QStringLiteral("Installation Error")};
    QTest::newRow("installation without accepting the licence")
        << setup
        << QStringList{QStringLiteral("--quiet"), QStringLiteral("--data-file"), QStringLiteral("payload"),
                       QStringLiteral("--destination"), QStringLiteral("unaccepted")}
        << QStringList{QStringLiteral("License Agreement"),
                       QStringLiteral("The installation is not complete")};
    QTest::newRow("removal waits for a Remove nobody can press")
        << QStringLiteral("uninstall") << QStringList{QStringLiteral("--quiet")}
        << QStringList{QStringLiteral("Start Removal"),
                       QStringLiteral("To start removal of ") + product,
                       QStringLiteral("The installation removal is not complete")};
}

void TestSetupRuns::headlessRunsEndWithAReason()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, reasons);

    QFile corrupt(m_release + QStringLiteral("/corrupt.pkg"));
    QVERIFY(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(QByteArray(4096, 'x'));
    corrupt.close();
    for (QString &argument : arguments) {
        if (argument == QLatin1String("payload"))
            argument = m_archive;
        else if (argument == QLatin1String("unaccepted"))
            argument = Sandbox::root() + QStringLiteral("/unaccepted");
    }
    const QString path = program == QLatin1String("uninstall")
                             ? m_destination + QStringLiteral("/bin/uninstall")
                             : m_release + QLatin1Char('/') + program;
    const QStringList before = filesBelow(m_destination);

    const Outcome outcome = runSetup(path, arguments, headless());
    QVERIFY2(outcome.status == 1, qPrintable(QStringLiteral("status %1: %2").arg(outcome.status).arg(outcome.errors)));
    QVERIFY2(outcome.milliseconds < 15000, "ends within seconds");
    for (const QString &reason : reasons)
        QVERIFY2(outcome.errors.contains(reason), qPrintable(outcome.errors));
    QCOMPARE(filesBelow(m_destination), before);
    QVERIFY2(!QFileInfo::exists(Sandbox::root() + QStringLiteral("/unaccepted")), "nothing installed");
}

void TestSetupRuns::quietInstallationFromFileStore()
{
    // The same payload as plain folders beside Setup, installed to a chosen folder.
    const QString store = Sandbox::root() + QStringLiteral("/store");
    QVERIFY(QDir().mkpath(store));
    QVERIFY(QFile::copy(m_release + QStringLiteral("/Setup"), store + QStringLiteral("/Setup")));
    for (const QString &library : libraryStandIns)
        QVERIFY(QFile::copy(m_release + QLatin1Char('/') + library, store + QLatin1Char('/') + library));
    QVERIFY(copyTree(QStringLiteral(STUDIO_SOURCE_DIR "/demo/payload"), store));
    const QString destination = Sandbox::root() + QStringLiteral("/from-store");

    const Outcome outcome = runSetup(store + QStringLiteral("/Setup"),
                                     {QStringLiteral("-s"), QStringLiteral("--accept-license"),
                                      QStringLiteral("--destination"), destination},
                                     headless());
    QVERIFY2(outcome.status == 0, qPrintable(outcome.errors));
    const QStringList installed = filesBelow(destination);
    for (const QString &file : m_payloadFiles)
        QVERIFY2(installed.contains(file), qPrintable(file));
    QVERIFY2(installed.contains(QStringLiteral("bin/uninstall")), "uninstaller copied");
    QVERIFY2(readAll(destination + QStringLiteral("/bin/IConf.xml")).contains(QStringLiteral("src_dir=\"") + store + QLatin1Char('"')),
             "the record names the file store as source");
}

void TestSetupRuns::itemFailureAnsweredTerminate()
{
    // A file where the help folder belongs makes one component fail; nobody answers,
    // so the question's default, terminate, ends the run.
    const QString destination = Sandbox::root() + QStringLiteral("/blocked");
    QVERIFY(QDir().mkpath(destination));
    QFile blocker(destination + QStringLiteral("/html"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const Outcome outcome = runSetup(m_release + QStringLiteral("/Setup"),
                                     {QStringLiteral("--quiet"), QStringLiteral("--accept-license"),
                                      QStringLiteral("--data-file"), m_archive,
                                      QStringLiteral("--destination"), destination},
                                     headless());
    QVERIFY2(outcome.status == 1, qPrintable(outcome.errors));
    QVERIFY2(outcome.errors.contains(QStringLiteral("Help Files Installation Failed")), qPrintable(outcome.errors));
    QVERIFY2(outcome.errors.contains(QStringLiteral("Installation has been cancelled by user.")),
             qPrintable(outcome.errors));
    const QString record = readAll(destination + QStringLiteral("/bin/IConf.xml"));
    QVERIFY2(record.startsWith(QStringLiteral("<!DOCTYPE Install>")), "the record is written after the cancelled run");
}

void TestSetupRuns::nonRootRunIsRefused()
{
    // Switching to another user needs real root rights, not a user namespace's.
    if (!readAll(QStringLiteral("/proc/self/uid_map")).contains(QStringLiteral("4294967295")))
        QSKIP("switching users needs the tests to run as root");
    // An unprivileged user needs to reach the program and a temporary folder of its own.
    for (const QString &folder : {Sandbox::root(), m_release})
        QVERIFY(QFile::setPermissions(folder, QFile::permissions(folder) | QFile::ReadOther | QFile::ExeOther));
    const QString scratch = Sandbox::root() + QStringLiteral("/nobody-tmp");
    QVERIFY(QDir().mkpath(scratch));
    QVERIFY(::chmod(QFile::encodeName(scratch).constData(), 01777) == 0);
    QProcessEnvironment environment = headless();
    environment.insert(QStringLiteral("TMPDIR"), scratch);
    environment.insert(QStringLiteral("HOME"), scratch);

    const Outcome refused = runSetup(QStringLiteral("setpriv"),
                                     {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                      QStringLiteral("--clear-groups"), m_release + QStringLiteral("/Setup"),
                                      QStringLiteral("--quiet"), QStringLiteral("--accept-license"),
                                      QStringLiteral("--data-file"), m_archive},
                                     environment);
    QVERIFY2(refused.status == 1, qPrintable(refused.errors));
    QVERIFY2(refused.errors.contains(QStringLiteral("The installer must be run as root.")), qPrintable(refused.errors));

    // In user mode the same user installs the product below its own home; the desktop
    // items still aim at the system folders, which this user may not write, so the
    // unattended run ends at the first of them after the components are in place.
    const Outcome userMode = runSetup(QStringLiteral("setpriv"),
                                      {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                       QStringLiteral("--clear-groups"), m_release + QStringLiteral("/Setup"),
                                       QStringLiteral("--quiet"), QStringLiteral("--accept-license"),
                                       QStringLiteral("--user-mode-install"), QStringLiteral("--data-file"),
                                       m_archive},
                                      environment);
    QVERIFY2(userMode.status == 1, qPrintable(userMode.errors));
    QVERIFY2(userMode.errors.contains(QStringLiteral(".fwProject Mime Type Installation Failed")),
             qPrintable(userMode.errors));
    const QString userDestination = scratch + QStringLiteral("/.local/share/corvane_fenwick_studio_for_risc-v_4.52a");
    QVERIFY2(QFileInfo::exists(userDestination + QStringLiteral("/bin/fwStudio")), "installed below the user's home");
    QVERIFY2(QFileInfo::exists(userDestination + QStringLiteral("/bin/IConf.xml")), "record kept beside it");
    QCOMPARE(QFileInfo(userDestination + QStringLiteral("/bin/fwStudio")).ownerId(), 65534u);
}

void TestSetupRuns::secondInstanceExitsAtOnce()
{
    const QString scratch = Sandbox::root() + QStringLiteral("/instances");
    QVERIFY(QDir().mkpath(scratch));
    QProcessEnvironment environment = headless();
    environment.insert(QStringLiteral("TMPDIR"), scratch);
    // A display of its own: the first installer shows its welcome page and waits.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess first;
    first.setProcessEnvironment(environment);
    first.setWorkingDirectory(m_release);
    first.start(m_release + QStringLiteral("/Setup"), {QStringLiteral("--data-file"), m_archive});
    QVERIFY(first.waitForStarted());
    QVERIFY2(QTest::qWaitFor([&]() { return !QDir(scratch).entryList({QStringLiteral("*.lock")}, QDir::Files).isEmpty(); },
                             20000),
             "the first installer holds its lock");

    const Outcome second = runSetup(m_release + QStringLiteral("/Setup"), {QStringLiteral("--data-file"), m_archive},
                                    environment);
    const bool firstStillRunning = first.state() == QProcess::Running;
    first.kill();
    first.waitForFinished();
    QVERIFY2(second.status == 0, qPrintable(second.errors));
    QVERIFY2(second.milliseconds < 10000, "the second installer ends at once");
    QVERIFY2(firstStillRunning, "the first installer keeps waiting on its page");
}

STUDIO_SANDBOXED_TEST_MAIN(QCoreApplication, TestSetupRuns)

#include "tst_setupruns.moc"
