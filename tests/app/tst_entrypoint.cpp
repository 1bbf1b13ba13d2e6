#include "app/console/ConsoleLicenseDialogue.h"
#include "app/entry/StartupOptions.h"
#include "media/archive/PackageArchive.h"
#include "media/archive/PackageArchiveWriter.h"
#include "resources/LicenseText.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

struct Member
{
    QString name;
    QByteArray contents;
    quint32 mode;
    qint64 time;
};

const QList<Member> &payloadMembers()
{
    static const QList<Member> members{
        {"bin/tool", "#!/bin/sh\necho tool\n", 0755, 1000000000},
        {"doc/readme.txt", "Read me first.\n", 0644, 1100000000},
        {"samples/deep/nested/main.c", "int main() { return 0; }\n", 0600, 1200000000},
        {"shared/notes.txt", "group writable\n", 0666, 1300000000},
        {"empty.dat", "", 0444, 1400000000},
    };
    return members;
}

struct SetupRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The working folder holds the installer files Setup copies ("./Setup", ...).
SetupRun runSetup(const QStringList &arguments, const QString &workingFolder,
                  const QByteArray &input = QByteArray())
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(SETUP_BINARY), arguments);
    SetupRun run;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString writeArchive(const QString &path, const QList<Member> &members)
{
    PackageArchive archive;
    PackageArchiveWriter writer(archive);
    for (const Member &member : members)
        writer.addContents(member.name, member.contents, member.mode,
                           QDateTime::fromSecsSinceEpoch(member.time, Qt::UTC));
    writer.write(path);
    return path;
}

bool writeFile(const QString &path, const QByteArray &contents, int mode = 0644)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        return false;
    file.close();
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

int permissionBits(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray cleared() { return '\r' + QByteArray(79, ' ') + '\r'; }

QByteArray licenceOutput()
{
    ConsoleLicenseDialogue dialogue(80, 25);
    QByteArray text;
    for (const QString &line : dialogue.lines(licenseText()))
        text += line.toUtf8() + '\n';
    return text;
}

const char question[] = "Do you accept the agreement? [yes/no] ";
const QString setupName = QFileInfo(QStringLiteral(SETUP_BINARY)).fileName();

QByteArray visible(QByteArray bytes) { return bytes.replace('\r', "<CR>"); }

// "release" holds the installer and the named installer files; the payload lies beside it.
bool prepareRelease(const QTemporaryDir &folder, const QStringList &files = {})
{
    for (const QString &name : QStringList{setupName} + files)
        if (!writeFile(folder.filePath("release/" + name), name.toUtf8(), 0755))
            return false;
    writeArchive(folder.filePath(QStringLiteral("payload.pkg")), payloadMembers());
    return true;
}

} // namespace

class tst_EntryPoint : public QObject
{
    Q_OBJECT

private slots:
    void optionScan_data();
    void optionScan();
    void verboseCopiesInstallerFilesAndMembers();
    void barAndExistingMember();
    void licenceAnswers_data();
    void licenceAnswers();
};

void tst_EntryPoint::optionScan_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("expectedExit");
    QTest::addColumn<QByteArray>("expectedOut");
    QTest::addColumn<QByteArray>("expectedErr");
    QTest::addColumn<bool>("destinationMade");

    const QByteArray help = StartupOptions::helpText();
    QTest::newRow("help after other options")
        << QStringList{"--verbose", "--copy-files-to", "@DEST@", "--accept-license", "--help"} << 1
        << QByteArray() << help << false;
    QTest::newRow("help ends the scan before a missing value")
        << QStringList{"--help", "--data-file"} << 1 << QByteArray() << help << false;
    QTest::newRow("help taken as the data file name")
        << QStringList{"--copy-files-to", "@DEST@", "--accept-license", "--hide-progress",
                       "--data-file", "--help"}
        << 1 << QByteArray() << QByteArray("error: --help does not exist\n") << true;
    QTest::newRow("a later occurrence replaces the earlier value")
        << QStringList{"--copy-files-to", "relative", "--accept-license", "--hide-progress",
                       "--copy-files-to", "@DEST@"}
        << 0 << QByteArray() << QByteArray() << true;
    QTest::newRow("unknown arguments are passed over")
        << QStringList{"--quiet", "--copy-files-to", "@DEST@", "-x", "--accept-license",
                       "--hide-progress", "stray"}
        << 0 << QByteArray() << QByteArray() << true;
    QTest::newRow("destination as the last argument")
        << QStringList{"--accept-license", "--copy-files-to"} << 1 << QByteArray()
        << QByteArray("error: argument expected\n") << false;
    QTest::newRow("relative destination fails before the licence, bar line cleared")
        << QStringList{"--copy-files-to", "out"} << 1 << cleared()
        << QByteArray("error: destination directory must be an absolute path\n") << false;
    QTest::newRow("empty destination is refused rather than taken as the root")
        << QStringList{"--copy-files-to", "", "--accept-license", "--hide-progress"} << 1 << QByteArray()
        << QByteArray("error: destination directory must be an absolute path\n") << false;
    QTest::newRow("relative destination with the bar hidden prints nothing")
        << QStringList{"--copy-files-to", "out", "--hide-progress"} << 1 << QByteArray()
        << QByteArray("error: destination directory must be an absolute path\n") << false;
    const QStringList quiet{"--accept-license", "--hide-progress", "--copy-files-to"};
    QTest::newRow("missing data file") << quiet + QStringList{"@DEST@", "--data-file", "@TMP@/absent"}
        << 1 << QByteArray() << QByteArray("error: @TMP@/absent does not exist\n") << true;
    QTest::newRow("data file is not an archive")
        << quiet + QStringList{"@DEST@", "--data-file", "@TMP@/blocker"} << 1 << QByteArray()
        << QByteArray("error: unsupported package file format\n") << true;
    QTest::newRow("bin folder cannot be made under a file")
        << quiet + QStringList{"@TMP@/blocker/dest"} << 1 << QByteArray()
        << QByteArray("error: cannot mkdir @TMP@/blocker/dest/bin\n") << false;
    QTest::newRow("installer file cannot be copied over a folder")
        << quiet + QStringList{"@TMP@/inway"} << 1 << QByteArray()
        << "error: cannot copy ./" + QFile::encodeName(setupName) + " to @TMP@/inway/bin\n" << false;
    // Setup.bin is the archive after 6656 bytes, short.bin after 16.
    const QByteArray unsupported("error: unsupported package file format\n");
    const auto offset = [&](const char *file, const char *value) {
        return quiet + QStringList{"@DEST@", "--data-file", QString("@TMP@/") + file, "--data-offset", value};
    };
    QTest::newRow("offset 1A00 is byte 6656")
        << offset("Setup.bin", "1A00") << 0 << QByteArray() << QByteArray() << true;
    QTest::newRow("decimal offset text is read as hexadecimal")
        << offset("Setup.bin", "6656") << 1 << QByteArray() << unsupported << true;
    QTest::newRow("unparsable offset reads as 0")
        << offset("Setup.bin", "zz") << 1 << QByteArray() << unsupported << true;
    QTest::newRow("partly numeric offset reads as 0")
        << offset("plain.pkg", "1A00xyz") << 0 << QByteArray() << QByteArray() << true;
    QTest::newRow("offset beyond 32 bits reads as 0")
        << offset("plain.pkg", "100000000") << 0 << QByteArray() << QByteArray() << true;
    QTest::newRow("offset beyond the file end")
        << offset("short.bin", "FFFF") << 1 << QByteArray() << unsupported << true;
}

void tst_EntryPoint::optionScan()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, expectedExit);
    QFETCH(QByteArray, expectedOut);
    QFETCH(QByteArray, expectedErr);
    QFETCH(bool, destinationMade);

    QTemporaryDir folder;
    const QString destination = folder.filePath(QStringLiteral("dest"));
    arguments.replaceInStrings(QStringLiteral("@DEST@"), destination);
    arguments.replaceInStrings(QStringLiteral("@TMP@"), folder.path());
    expectedErr.replace("@TMP@", QFile::encodeName(folder.path()));
    QVERIFY(writeFile(folder.filePath(setupName), "installer", 0755));
    QVERIFY(writeFile(folder.filePath("blocker"), "a file, not a folder or an archive"));
    QVERIFY(QDir().mkpath(folder.filePath("inway/bin/") + setupName));
    const QByteArray archive = readFile(writeArchive(folder.filePath("plain.pkg"), payloadMembers()));
    QByteArray junk;
    for (int i = 0; i < 6656; ++i)
        junk += char('A' + i % 26);
    QVERIFY(writeFile(folder.filePath("Setup.bin"), junk + archive));
    QVERIFY(writeFile(folder.filePath("short.bin"), junk.left(16) + archive));

    const SetupRun run = runSetup(arguments, folder.path());
    QVERIFY2(run.exitCode == expectedExit, qPrintable(QString::number(run.exitCode) + run.err));
    QVERIFY2(run.err == expectedErr, run.err.constData());
    QVERIFY2(run.out == expectedOut, qPrintable(visible(run.out)));
    QCOMPARE(QFileInfo::exists(destination + QStringLiteral("/bin")), destinationMade);
    if (expectedExit == 0 && arguments.contains("--data-file"))
        QCOMPARE(readFile(destination + "/doc/readme.txt"), QByteArray("Read me first.\n"));
    QVERIFY2(!QFileInfo::exists(folder.filePath(QStringLiteral("out"))),
             "a relative destination was created");
}

void tst_EntryPoint::verboseCopiesInstallerFilesAndMembers()
{
    QTemporaryDir folder;
    QVERIFY(prepareRelease(folder, {"libQtCore.so.4", "MoxUnInstall.exe", "unlisted.txt"}));
    const QString destination = folder.filePath(QStringLiteral("dest"));

    const SetupRun run = runSetup({"--copy-files-to", destination, "--data-file", "../payload.pkg",
                                   "--accept-license", "--hide-progress", "--verbose"},
                                  folder.filePath("release"));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QByteArray expected;
    for (const QString &name : {setupName, QStringLiteral("libQtCore.so.4"), QStringLiteral("MoxUnInstall.exe")})
        expected += QFile::encodeName(destination + QStringLiteral("/bin/") + name) + '\n';
    for (const Member &member : payloadMembers())
        expected += QFile::encodeName(destination + '/' + member.name) + '\n';
    QCOMPARE(run.out, expected);
    QCOMPARE(run.err, QByteArray());

    QCOMPARE(readFile(destination + QStringLiteral("/bin/libQtCore.so.4")), QByteArray("libQtCore.so.4"));
    QVERIFY(!QFileInfo::exists(destination + QStringLiteral("/bin/unlisted.txt")));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    QCOMPARE(permissionBits(destination + QStringLiteral("/bin/") + setupName), 0755 & ~int(mask));
    for (const Member &member : payloadMembers()) {
        const QString path = destination + '/' + member.name;
        QCOMPARE(readFile(path), member.contents);
        QVERIFY2(permissionBits(path) == int(member.mode), qPrintable(member.name));
        QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), member.time);
    }
}

// Ten installer files, one present, and five members: a draw at step 0 and one per entry,
// the last at 100 %, then the completion line. A second run stops at an existing member.
void tst_EntryPoint::barAndExistingMember()
{
    QTemporaryDir folder;
    QVERIFY(prepareRelease(folder));
    const QString destination = folder.filePath(QStringLiteral("dest"));
    const QStringList arguments{"--copy-files-to", destination, "--data-file", "../payload.pkg",
                                "--accept-license"};
    SetupRun run = runSetup(arguments, folder.filePath("release"));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QByteArray draw("\rCopying files [");
    QCOMPARE(int(run.out.count(draw)), 10 + int(payloadMembers().size()) + 1);
    QVERIFY2(run.out.endsWith(draw + QByteArray(57, '*') + "] 100% " + cleared()
                              + "Copying files completed\n"),
             qPrintable(visible(run.out.right(300))));
    QVERIFY2(run.out.contains(draw + QByteArray(3, '*') + QByteArray(54, '.') + "]   6% "),
             "the first installer file did not advance the bar by one step");

    const QString existing = destination + QStringLiteral("/doc/readme.txt");
    QVERIFY(QDir(destination).removeRecursively());
    QVERIFY(writeFile(existing, "the user's own notes", 0600));
    run = runSetup(arguments, folder.filePath("release"));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, "error: cannot overwrite file " + QFile::encodeName(existing) + '\n');
    QVERIFY2(run.out.endsWith(cleared()), qPrintable(visible(run.out.right(200))));
    QCOMPARE(readFile(existing), QByteArray("the user's own notes"));
    // What was copied before the conflict stays; nothing after it is written.
    QVERIFY(QFileInfo::exists(destination + QStringLiteral("/bin/tool")));
    QVERIFY(!QFileInfo::exists(destination + QStringLiteral("/samples")));
}

void tst_EntryPoint::licenceAnswers_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expectedDialogue");
    QTest::addColumn<bool>("accepted");

    const QByteArray q(question);
    const QByteArray acceptedLine("License agreement accepted\n");
    QTest::newRow("yes") << QByteArray("yes\n") << q + "yes\n" + acceptedLine << true;
    QTest::newRow("YES in capitals") << QByteArray("YES\n") << q + "YES\n" + acceptedLine << true;
    QTest::newRow("a lone y asks again")
        << QByteArray("y\nyes\n") << q + "y\n" + q + "yes\n" + acceptedLine << true;
    QTest::newRow("surrounding spaces ask again")
        << QByteArray(" yes\nyes \nno\n") << q + " yes\n" + q + "yes \n" + q + "no\n" << false;
    QTest::newRow("end of input declines") << QByteArray() << q + "\n" << false;
    QTest::newRow("yes without a line end then end of input declines")
        << QByteArray("yes") << q + "yes" + q + "\n" << false;
    QTest::newRow("an over-long line is read in pieces")
        << QByteArray(70, 'x') + "\nyes\n"
        << q + QByteArray(63, 'x') + q + QByteArray(7, 'x') + "\n" + q + "yes\n" + acceptedLine << true;
}

void tst_EntryPoint::licenceAnswers()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expectedDialogue);
    QFETCH(bool, accepted);

    QTemporaryDir folder;
    const QString destination = folder.filePath(QStringLiteral("dest"));
    const SetupRun run = runSetup({"--copy-files-to", destination, "--hide-progress"}, folder.path(), input);

    const QByteArray expectedOut = licenceOutput() + expectedDialogue;
    QVERIFY2(run.out == expectedOut, qPrintable("output ends with:\n" + run.out.right(300)));
    if (accepted) {
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(QFileInfo(destination + QStringLiteral("/bin")).isDir());
    } else {
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QByteArray("error: License agreement not accepted\n"));
        QVERIFY2(!QFileInfo::exists(destination), "the destination was made before acceptance");
    }
}

QTEST_GUILESS_MAIN(tst_EntryPoint)
#include "tst_entrypoint.moc"
