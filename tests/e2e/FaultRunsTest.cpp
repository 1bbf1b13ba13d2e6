#include "E2eSupport.h"

#include "common/TestMain.h"

#include <QDir>
#include <QDirIterator>
#include <QtTest>

#include <sys/stat.h>

// Faults a careful administrator plants around a quiet installation: links where the
// installer writes, a run killed half way, a full disk, a memory limit, a stale lock.
// Each row checks status, standard error (its section of headless.golden.txt) and what
// is left on disk, inside the destination and out of it.
class FaultRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void faults_data();
    void faults();
};

namespace {

const QString desktopEntry = QStringLiteral("share/applications/corvane-corvane-fenwick-studio-for-risc-v-4.52a.desktop");
const QByteArray victimText("belongs to someone else\n");

QStringList quietInstall(const QString &payload, const QString &destination)
{
    return {E2e::fixture().release + "/Setup", "--quiet", "--accept-license", "--data-file", payload,
            "--destination", destination};
}

// The command as a shell prefix runs it: a memory limit, a small disk.
QStringList wrapped(const QString &prefix, const QStringList &command)
{
    return QStringList{"sh", "-c", prefix + " && exec \"$@\"", "sh"} + command;
}

} // namespace

void FaultRunsTest::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("written"); // folders with the number of new files

    const QStringList whole = {"dest/bin 15", "dest/gcc 2", "dest/html 3", "dest/include 2", "dest/lib 2", "dest/llvm 2",
                               "dest/samples 3", "dest/source 2", "dest/targets 2", "etc/udev 1", "etc/xdg 1",
                               "share/applications 1", "share/icons 21", "share/mime 3"};
    QStringList withoutRules = whole;
    withoutRules.removeAll("etc/udev 1");
    // A link at a final name is replaced by the file; a linked folder stops the item. Whatever
    // the link pointed to is left as it was.
    for (const char *file : {"dest/bin/uninstall", "dest/bin/libQtCore.so.4", "dest/bin/IConf.xml",
                             "dest/gcc/README.txt", "share/mime/packages/application-x-corvane-fwarchive.xml",
                             "share/icons/hicolor/16x16/mimetypes/application-x-corvane-fwarchive.png"})
        QTest::addRow("a link at %s", file) << "link " + QString::fromLatin1(file) << 0 << whole;
    QTest::newRow("a link at the desktop entry") << "link " + desktopEntry << 0 << whole;
    // A rules file already there, wherever the link leads, leaves the item unselected.
    QTest::newRow("a link at the rules file") << "kept link etc/udev/rules.d/99-vantor.rules" << 0 << withoutRules;
    QTest::newRow("a linked folder inside the destination") << "kept link dest/gcc" << 1
                                                            << QStringList{"dest/bin 15", "etc/xdg 1"};
    QTest::newRow("killed in a large member, a stale lock, then run again")
        << "killed" << 0 << QStringList(whole).replaceInStrings("dest/gcc 2", "dest/gcc 3");
    QTest::newRow("the disk is full when the record is written") << "disk full" << 1 << whole.mid(1); // bin a disk of its own
    QTest::newRow("the disk fills up in a large member") << "disk full in a member" << 1 << QStringList{"etc/xdg 1"};
    QTest::newRow("a removal whose record cannot be read") << "unreadable record" << 1 << QStringList();
    QTest::newRow("40 million members under a memory limit") << "memory limit" << 1 << QStringList();
    QTest::newRow("a world-writable member") << "loose mode" << 0 << whole;
}

void FaultRunsTest::faults()
{
    QFETCH(QString, fault);
    QFETCH(int, status);
    QFETCH(QStringList, written);
    const QString run = E2e::newRunFolder(QString::fromLatin1(QTest::currentDataTag()));
    const QString destination = run + "/dest";
    const E2e::Pairs roots = {{"dest", destination}, {"etc", run + "/etc"}, {"share", run + "/share"},
                              {"xdg", run + "/xdg"}};
    QStringList command = quietInstall(E2e::fixture().archive, destination);
    QStringList before = E2e::manifest(roots);
    const QString link = run + '/' + fault.section(' ', -1);

    if (fault.contains(QLatin1String("link "))) {
        QVERIFY(QDir().mkpath(run + "/victim-folder") && QDir().mkpath(QFileInfo(link).path())
                && E2e::writeFile(run + "/victim", victimText));
        QVERIFY(QFile::link(run + (status ? "/victim-folder" : "/victim"), link));
    } else if (fault == QLatin1String("killed")) {
        // Zeros inflate fast enough to be written for a good while.
        command = quietInstall(E2e::packedVariant(run, "variant", [](const QString &folder) {
                                   QFile big(folder + "/gcc/big.bin");
                                   return big.open(QIODevice::WriteOnly) && big.resize(qint64(512) << 20);
                               }),
                               destination);
        QProcess killed;
        E2e::runIsolated(run, command, {}, &killed);
        // The member is written without a name: it is seen among the installer's open files.
        const QString openFiles = QString("/proc/%1/fd").arg(killed.processId());
        const auto bytesWritten = [&] {
            for (const QFileInfo &entry : QDir(openFiles).entryInfoList(QDir::Files | QDir::System)) {
                // Seen from here the path may carry the folders above a chroot in front.
                if (entry.symLinkTarget().contains(destination + "/gcc/"))
                    return QFileInfo(entry.filePath()).size();
            }
            return qint64(0);
        };
        QVERIFY2(QTest::qWaitFor([&] { return bytesWritten() > 0; }, 60000), "the large member is written");
        QVERIFY(bytesWritten() < (qint64(512) << 20));
        killed.kill();
        QVERIFY(killed.waitForFinished());
        // The killed run's lock names a process that has gone; emptied, it must not count either.
        const QStringList locks = QDir(E2e::rootLockFolder).entryList({"*.lock"});
        QCOMPARE(locks.size(), 1);
        QVERIFY(QFile(E2e::rootLockFolder + '/' + locks.first()).resize(0));
    } else if (fault == QLatin1String("disk full")) {
        // Room for the program folder's files, not for the record after them.
        const qint64 pages = (QFileInfo(E2e::fixture().release + "/Setup").size() + 4095) / 4096 + 13;
        QVERIFY(QDir().mkpath(destination + "/bin"));
        command = wrapped(QString("mount -t tmpfs -o size=%1,mode=0755 tmpfs '%2/bin'").arg(pages * 4096).arg(destination),
                          command);
    } else if (fault == QLatin1String("disk full in a member")) {
        QVERIFY(QDir().mkpath(destination));
        const qint64 room = QFileInfo(E2e::fixture().release + "/Setup").size() + (qint64(1) << 20);
        command = wrapped(QString("mount -t tmpfs -o size=%1,mode=0755 tmpfs '%2'").arg(room).arg(destination),
                          quietInstall(E2e::packedVariant(run, "variant", [](const QString &folder) {
                                           QFile big(folder + "/bin/big.bin");
                                           return big.open(QIODevice::WriteOnly) && big.resize(qint64(4) << 20);
                                       }),
                                       destination));
    } else if (fault == QLatin1String("unreadable record")) {
        const auto [installed, errors] = E2e::runIsolated(run, command);
        QVERIFY2(installed == 0, qPrintable(errors));
        QVERIFY(QFile::remove(destination + "/bin/IConf.xml") && QDir().mkdir(destination + "/bin/IConf.xml"));
        before = E2e::manifest(roots);
        command = QStringList{destination + "/bin/uninstall", "--quiet"};
    } else if (fault == QLatin1String("memory limit")) {
        QVERIFY(E2e::writeFile(run + "/huge.pkg", E2e::announcingArchive(40000000)));
        command = wrapped("ulimit -v 2097152", quietInstall(run + "/huge.pkg", destination));
    } else if (fault == QLatin1String("loose mode")) {
        command = quietInstall(E2e::packedVariant(run, "variant", [](const QString &folder) {
                                   return ::chmod(QFile::encodeName(folder + "/gcc/README.txt").constData(), 0666) == 0;
                               }),
                               destination);
    }
    const auto [exitStatus, errors] = E2e::runIsolated(run, command);
    QVERIFY2(exitStatus == status, qPrintable(QString("status %1: %2").arg(exitStatus).arg(errors)));
    QCOMPARE(E2e::shown(errors).split('\n'),
             E2e::goldenSection("headless.golden.txt", QTest::currentDataTag(), E2e::shown(errors)).split('\n'));
    const QStringList after = E2e::manifest(roots);
    QCOMPARE(E2e::writtenFiles(before, after).join(", "), written.join(", "));
    QDirIterator partials(destination, {"*.partial"}, QDir::Hidden | QDir::Files, QDirIterator::Subdirectories);
    QVERIFY2(!partials.hasNext(), qPrintable(partials.next()));

    if (fault == QLatin1String("killed")) {
        QCOMPARE(QDir(destination + "/gcc").entryList(QDir::Hidden | QDir::Files, QDir::Name),
                 QStringList({"README.txt", "big.bin"}));
        QCOMPARE(QFileInfo(destination + "/gcc/big.bin").size(), qint64(512) << 20);
    } else if (fault == QLatin1String("loose mode")) {
        QVERIFY(E2e::describe(destination + "/gcc/README.txt").startsWith("file 0644 "));
    } else if (fault.contains(QLatin1String("link "))) {
        const bool kept = fault.startsWith(QLatin1String("kept"));
        QCOMPARE(E2e::readFile(run + "/victim"), victimText);
        QCOMPARE(QDir(run + "/victim-folder").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(QFileInfo(link).isSymLink(), kept);
        QVERIFY2(kept || E2e::describe(link).startsWith("file 0"), qPrintable(E2e::describe(link)));
    }
}

STUDIO_TEST_CLASS(FaultRunsTest)
#include "FaultRunsTest.moc"
