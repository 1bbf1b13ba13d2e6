#include "common/ArchiveFixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <utime.h>

namespace {

struct ToolRun
{
    int exitCode = -1; // -2: crashed or hung
    QByteArray out, err;
};

ToolRun runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(PKGARCHIVE_BINARY), arguments);
    const bool finished = process.waitForFinished(120000);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    const bool normal = finished && process.exitStatus() == QProcess::NormalExit;
    return {normal ? process.exitCode() : -2, process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray describe(const ToolRun &run)
{
    return "exit " + QByteArray::number(run.exitCode) + ", stdout [" + run.out + "], stderr [" + run.err + "]";
}

bool writeFile(const QString &path, const QByteArray &contents, int mode, qint64 time)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size())
        return false;
    file.close();
    const QByteArray name = QFile::encodeName(path);
    struct utimbuf times {time_t(time), time_t(time)};
    return ::chmod(name.constData(), mode_t(mode)) == 0 && ::utime(name.constData(), &times) == 0;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int permissions(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// A small product tree whose sorted walk order differs from creation order and from
// a case-insensitive order.
void makeTree(const QString &root)
{
    writeFile(root + "/lib/z.a", ArchiveFixture::sampleData(5000, 1), 0644, 1600000000);
    writeFile(root + "/Zeta.txt", "upper case sorts first\n", 0600, 1600000001);
    writeFile(root + "/bin/tool", "#!/bin/sh\necho tool\n", 0755, 1600000002);
    writeFile(root + "/bin/.hidden", "hidden files are packed too\n", 0644, 1600000003);
    writeFile(root + "/bin.txt", "", 0444, 1600000004);
    writeFile(root + "/lib/sub/deep.h", "#pragma once\n", 0640, 1600000005);
}

// Packs a fresh tree in `dir` and returns the archive's path.
QString createArchive(const QTemporaryDir &dir, const QStringList &options = {})
{
    makeTree(dir.path() + "/tree");
    const QString archive = dir.path() + "/payload.pkg";
    const ToolRun create = runTool(QStringList{"create", archive, dir.path() + "/tree"} + options);
    return create.exitCode == 0 ? archive : QString::fromLocal8Bit(describe(create));
}

const QStringList treeOrder = {"Zeta.txt", "bin/.hidden", "bin/tool", "bin.txt", "lib/sub/deep.h", "lib/z.a"};

} // namespace

class PackageArchiveToolTest : public QObject
{
    Q_OBJECT

private slots:
    void createAndList_data();
    void createAndList();
    void levelsAndMethods_data();
    void levelsAndMethods();
    void extractRestoresTheTree();
    void extractStopsAtTheFirstFault_data();
    void extractStopsAtTheFirstFault();
    void verifyFindsFaults_data();
    void verifyFindsFaults();
    void appendMakesOneFile();
    void appendRefusesNonArchives();
    void usageErrors_data();
    void usageErrors();
    void helpDescribesEveryCommand();
};

void PackageArchiveToolTest::createAndList_data()
{
    QTest::addColumn<QStringList>("createOptions");
    QTest::newRow("zlib") << QStringList();
    QTest::newRow("bzip2") << QStringList{"--bzip2"};
}

void PackageArchiveToolTest::createAndList()
{
    QFETCH(QStringList, createOptions);
    QTemporaryDir dir;
    const QString archive = createArchive(dir, createOptions);
    QVERIFY2(QFile::exists(archive), qPrintable(archive));

    const ToolRun list = runTool({"list", archive});
    QVERIFY2(list.exitCode == 0, describe(list).constData());
    const QByteArray expected = "100600         23 2020-09-13 12:26:41 Zeta.txt\n"
                                "100644         28 2020-09-13 12:26:43 bin/.hidden\n"
                                "100755         20 2020-09-13 12:26:42 bin/tool\n"
                                "100444          0 2020-09-13 12:26:44 bin.txt\n"
                                "100640         13 2020-09-13 12:26:45 lib/sub/deep.h\n"
                                "100644       5000 2020-09-13 12:26:40 lib/z.a\n";
    QCOMPARE(list.out, expected);
}

void PackageArchiveToolTest::levelsAndMethods_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("streamStart");

    // The zlib header records the level class; bzip2's records the block size.
    QTest::newRow("default level 7 zlib") << QStringList() << QByteArray("\x78\xda", 2);
    QTest::newRow("level 0 zlib") << QStringList{"--level", "0"} << QByteArray("\x78\x01", 2);
    QTest::newRow("level 12 clamps to 9") << QStringList{"--level", "12"} << QByteArray("\x78\xda", 2);
    QTest::newRow("level -4 clamps to 0") << QStringList{"--level", "-4"} << QByteArray("\x78\x01", 2);
    QTest::newRow("bzip2 default block size 7") << QStringList{"--bzip2"} << QByteArray("BZh7");
    QTest::newRow("bzip2 level 0 uses block size 1")
        << QStringList{"--bzip2", "--level", "0"} << QByteArray("BZh1");
}

void PackageArchiveToolTest::levelsAndMethods()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, streamStart);

    QTemporaryDir dir;
    const QString archive = createArchive(dir, options);
    QVERIFY2(QFile::exists(archive), qPrintable(archive));
    const QByteArray bytes = readFile(archive);
    const quint32 method = options.contains("--bzip2") ? 1 : 0;
    QCOMPARE(bytes.left(8), ArchiveFixture::currentHeader(2, method));
    QCOMPARE(bytes.mid(8, streamStart.size()), streamStart);
    const ToolRun verify = runTool({"verify", archive});
    QVERIFY2(verify.exitCode == 0 && verify.out == "ok\n", describe(verify).constData());
}

void PackageArchiveToolTest::extractRestoresTheTree()
{
    QTemporaryDir dir;
    const QString tree = dir.path() + "/tree";
    const QString archive = createArchive(dir);
    QVERIFY2(QFile::exists(archive), qPrintable(archive));
    // A file already in the way is replaced, as a release engineer re-extracting expects.
    QVERIFY(writeFile(dir.path() + "/out/bin/tool", "stale", 0600, 0));

    const ToolRun extract = runTool({"extract", archive, dir.path() + "/out"});
    QVERIFY2(extract.exitCode == 0, describe(extract).constData());
    for (const QString &name : treeOrder) {
        const QString original = tree + "/" + name;
        const QString copy = dir.path() + "/out/" + name;
        QVERIFY2(readFile(copy) == readFile(original), qPrintable(name));
        QCOMPARE(permissions(copy), permissions(original));
        QCOMPARE(QFileInfo(copy).lastModified(), QFileInfo(original).lastModified());
    }
}

void PackageArchiveToolTest::extractStopsAtTheFirstFault_data()
{
    QTest::addColumn<QByteArray>("blockedName"); // a file placed where this folder must go
    QTest::addColumn<QByteArray>("unsafeName");  // a member renamed to this
    QTest::addColumn<QByteArray>("error");       // %1 = output folder
    QTest::addColumn<QStringList>("written");

    QTest::newRow("folder blocked by a file")
        << QByteArray("b") << QByteArray() << QByteArray("cannot create output file %1/b/2")
        << QStringList{"a/1"};
    QTest::newRow("member escaping the folder")
        << QByteArray() << QByteArray("../escaped") << QByteArray("unsafe file name ../escaped")
        << QStringList{"a/1"};
    QTest::newRow("member cut short")
        << QByteArray() << QByteArray() << QByteArray("cannot read file c/3 from archive")
        << QStringList{"a/1", "b/2"};
}

void PackageArchiveToolTest::extractStopsAtTheFirstFault()
{
    QFETCH(QByteArray, blockedName);
    QFETCH(QByteArray, unsafeName);
    QFETCH(QByteArray, error);
    QFETCH(QStringList, written);

    ArchiveFixture fixture;
    fixture.add("a/1", "one");
    fixture.add("b/2", ArchiveFixture::sampleData(100000, 2));
    fixture.add("c/3", "three");
    if (!unsafeName.isEmpty())
        fixture.members()[1].name = unsafeName;
    else if (blockedName.isEmpty())
        fixture.members()[2].storedSize = 50;
    QTemporaryDir dir;
    const QString archive = ArchiveFixture::writeFile(dir.path(), "p.pkg", fixture.build(ArchiveFixture::CurrentVersion2));
    const QString out = dir.path() + "/out/x";
    if (!blockedName.isEmpty())
        QVERIFY(writeFile(out + "/" + blockedName, "in the way", 0644, 0));

    const ToolRun extract = runTool({"extract", archive, out});
    QVERIFY2(extract.exitCode == 1, describe(extract).constData());
    QCOMPARE(extract.err, "pkgarchive: " + error.replace("%1", QFile::encodeName(out)) + "\n");
    for (const QString &name : written)
        QVERIFY2(QFile::exists(out + "/" + name), qPrintable(name + " was written before the fault"));
    QVERIFY2(!QFile::exists(out + "/c/3"), "nothing after the fault is written");
    QVERIFY(!QFile::exists(dir.path() + "/out/escaped"));
}

void PackageArchiveToolTest::verifyFindsFaults_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QByteArray>("fault");

    ArchiveFixture fixture;
    fixture.add("a", ArchiveFixture::sampleData(20000, 5));
    fixture.add("b", ArchiveFixture::sampleData(30000, 6));
    const QByteArray zlibArchive = fixture.build(ArchiveFixture::CurrentVersion2, ArchiveFixture::Zlib);
    const QByteArray bzipArchive = fixture.build(ArchiveFixture::CurrentVersion2, ArchiveFixture::Bzip2);

    QTest::newRow("sound legacy archive") << fixture.build(ArchiveFixture::LegacyPlain) << QByteArray();
    QTest::newRow("zlib payload cut short") << zlibArchive.left(zlibArchive.size() - 100)
                                            << QByteArray("error reading stream");
    QByteArray checksum = zlibArchive;
    checksum[checksum.size() - 1] = char(checksum.at(checksum.size() - 1) ^ 0x55);
    QTest::newRow("zlib checksum wrong") << checksum << QByteArray("error reading from compressed stream");
    QByteArray flipped = bzipArchive;
    flipped[flipped.size() / 2] = char(flipped.at(flipped.size() / 2) ^ 0x10);
    QTest::newRow("bzip2 payload damaged") << flipped << QByteArray("error reading from compressed stream");

    ArchiveFixture forged = fixture;
    forged.members()[1].storedSize = 30001;
    QTest::newRow("member reaching past the stream")
        << forged.build(ArchiveFixture::CurrentVersion2)
        << QByteArray("member b ends at byte 50059 but the stream holds 50058 bytes");
    ArchiveFixture escaping = fixture;
    escaping.members()[0].name = "../../etc/x";
    QTest::newRow("member escaping the folder")
        << escaping.build(ArchiveFixture::CurrentVersion2) << QByteArray("unsafe file name ../../etc/x");
    QTest::newRow("not an archive") << QByteArray("plain text, not an archive")
                                    << QByteArray("unsupported package file format");
}

void PackageArchiveToolTest::verifyFindsFaults()
{
    QFETCH(QByteArray, archive);
    QFETCH(QByteArray, fault);

    QTemporaryDir dir;
    const QString path = ArchiveFixture::writeFile(dir.path(), "payload.pkg", archive);
    const ToolRun verify = runTool({"verify", path});
    if (fault.isEmpty()) {
        QVERIFY2(verify.exitCode == 0 && verify.out == "ok\n" && verify.err.isEmpty(), describe(verify).constData());
    } else {
        QVERIFY2(verify.exitCode == 1, describe(verify).constData());
        QCOMPARE(verify.err, "pkgarchive: " + fault + "\n");
        QVERIFY(!verify.out.contains("ok"));
    }
}

void PackageArchiveToolTest::appendMakesOneFile()
{
    QTemporaryDir dir;
    const QString archive = createArchive(dir, {"--bzip2"});
    QVERIFY2(QFile::exists(archive), qPrintable(archive));
    const QByteArray installerBytes = ArchiveFixture::sampleData(6656, 11);
    QVERIFY(writeFile(dir.path() + "/Setup", installerBytes, 0755, 1600000000));

    const QString out = dir.path() + "/Setup.run";
    const ToolRun append = runTool({"append", dir.path() + "/Setup", archive, out});
    QVERIFY2(append.exitCode == 0, describe(append).constData());
    QCOMPARE(append.out, QByteArray("1a00\n"));
    QCOMPARE(readFile(out), installerBytes + readFile(archive));
    QCOMPARE(permissions(out), 0755);

    const ToolRun list = runTool({"list", out, "--offset", "1A00"});
    QVERIFY2(list.exitCode == 0, describe(list).constData());
    QCOMPARE(list.out.count('\n'), qsizetype(treeOrder.size()));
    const ToolRun verify = runTool({"verify", out, "--offset", "0x1a00"});
    QVERIFY2(verify.exitCode == 0, describe(verify).constData());
    QCOMPARE(runTool({"list", out}).exitCode, 1);
}

void PackageArchiveToolTest::appendRefusesNonArchives()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.path() + "/Setup", "installer", 0755, 0));
    QVERIFY(writeFile(dir.path() + "/payload", "not an archive", 0644, 0));
    const ToolRun append = runTool({"append", dir.path() + "/Setup", dir.path() + "/payload", dir.path() + "/out"});
    QCOMPARE(append.exitCode, 1);
    QCOMPARE(append.err, "pkgarchive: " + QFile::encodeName(dir.path()) + "/payload: unsupported package file format\n");
    QVERIFY2(!QFile::exists(dir.path() + "/out"), "nothing is written");
}

void PackageArchiveToolTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("error");

    QTest::newRow("no command") << QStringList() << QByteArray("no command given; try pkgarchive --help");
    QTest::newRow("unknown command") << QStringList{"pack"} << QByteArray("unknown command pack; try pkgarchive --help");
    QTest::newRow("list without a file") << QStringList{"list"} << QByteArray("usage: pkgarchive list FILE [--offset HEX]");
    QTest::newRow("create with one argument")
        << QStringList{"create", "out"} << QByteArray("usage: pkgarchive create OUT DIR [--bzip2] [--level N]");
    QTest::newRow("unknown option") << QStringList{"list", "x", "--fast"} << QByteArray("unknown option --fast");
    QTest::newRow("offset without value") << QStringList{"list", "x", "--offset"}
                                          << QByteArray("option --offset needs a value");
    QTest::newRow("offset not hexadecimal")
        << QStringList{"list", "x", "--offset", "12g"}
        << QByteArray("invalid offset 12g (a hexadecimal number below 100000000 is expected)");
    QTest::newRow("offset beyond 32 bits")
        << QStringList{"verify", "x", "--offset", "100000000"}
        << QByteArray("invalid offset 100000000 (a hexadecimal number below 100000000 is expected)");
    QTest::newRow("level not a number")
        << QStringList{"create", "out", ".", "--level", "high"}
        << QByteArray("invalid level high (a number from 0 to 9 is expected)");
    QTest::newRow("missing archive") << QStringList{"list", "/nonexistent/payload.pkg"}
                                     << QByteArray("/nonexistent/payload.pkg does not exist");
    QTest::newRow("create from a missing folder") << QStringList{"create", "out.pkg", "/nonexistent/tree"}
                                                  << QByteArray("not a folder: /nonexistent/tree");
}

void PackageArchiveToolTest::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, error);
    const ToolRun run = runTool(arguments);
    QVERIFY2(run.exitCode == 1, describe(run).constData());
    QCOMPARE(run.err, "pkgarchive: " + error + "\n");
    QVERIFY(run.out.isEmpty());
}

void PackageArchiveToolTest::helpDescribesEveryCommand()
{
    for (const QStringList &arguments : {QStringList{"--help"}, QStringList{"verify", "--help"}}) {
        const ToolRun run = runTool(arguments);
        QVERIFY2(run.exitCode == 0, describe(run).constData());
        for (const char *synopsis : {"create OUT DIR [--bzip2] [--level N]", "list FILE [--offset HEX]",
                                     "extract FILE DIR [--offset HEX]", "verify FILE [--offset HEX]",
                                     "append INSTALLER PAYLOAD OUT"})
            QVERIFY2(run.out.contains(synopsis), synopsis);
    }
}

QTEST_GUILESS_MAIN(PackageArchiveToolTest)
#include "tst_packagearchivetool.moc"
