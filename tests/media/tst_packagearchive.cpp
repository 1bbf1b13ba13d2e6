#include "app/core/HException.h"
#include "common/ArchiveFixture.h"
#include "media/archive/PackageArchive.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(ArchiveFixture::Layout)
Q_DECLARE_METATYPE(ArchiveFixture::Method)

namespace {

// Opens `path` and returns the HException text, or "" when it opened.
QByteArray openError(PackageArchive &archive, const QString &path, quint32 offset = 0, quint32 flags = 0)
{
    try {
        archive.open(path, offset, flags);
    } catch (const HException &error) {
        return error.message();
    }
    return QByteArray();
}

QByteArray readError(PackageArchive &archive, const PackageArchiveFile *file, QByteArray *data = nullptr)
{
    try {
        const QByteArray contents = archive.fileData(file);
        if (data)
            *data = contents;
    } catch (const HException &error) {
        return error.message();
    }
    return QByteArray();
}

// Three members whose data spans several discard blocks, plus an empty one.
ArchiveFixture sampleFixture()
{
    ArchiveFixture fixture;
    fixture.add("bin/tool", ArchiveFixture::sampleData(3000, 1)).mode = 0100755;
    fixture.add("doc/readme.txt", "Read me first.\n").time = 1234567890;
    fixture.add("empty", QByteArray()).readOnly = true;
    fixture.add("lib/big.bin", ArchiveFixture::sampleData(70000, 2)).mode = 0100600;
    return fixture;
}

} // namespace

class PackageArchiveTest : public QObject
{
    Q_OBJECT

private slots:
    void opensEveryLayout_data();
    void opensEveryLayout();
    void openFailures_data();
    void openFailures();
    void missingFileNamesThePath();
    void reopeningReplacesAndFailingCloses();
    void emptyArchive_data();
    void emptyArchive();
    void duplicateNames_data();
    void duplicateNames();
    void backwardReadsRestartDecompression_data();
    void backwardReadsRestartDecompression();
    void cutShortMembers_data();
    void cutShortMembers();
    void namesAreLatin1AndEndAtNul();
};

void PackageArchiveTest::opensEveryLayout_data()
{
    QTest::addColumn<ArchiveFixture::Layout>("layout");
    QTest::addColumn<ArchiveFixture::Method>("method");
    QTest::addColumn<quint32>("offset");
    QTest::addColumn<quint32>("version");

    const struct {
        const char *name;
        ArchiveFixture::Layout layout;
        ArchiveFixture::Method method;
        quint32 version;
    } layouts[] = {
        {"legacy plain", ArchiveFixture::LegacyPlain, ArchiveFixture::Zlib, 1},
        {"wrapped legacy", ArchiveFixture::WrappedLegacy, ArchiveFixture::Zlib, 1},
        {"version 1 zlib", ArchiveFixture::CurrentVersion1, ArchiveFixture::Zlib, 1},
        {"version 1 bzip2", ArchiveFixture::CurrentVersion1, ArchiveFixture::Bzip2, 1},
        {"version 2 zlib", ArchiveFixture::CurrentVersion2, ArchiveFixture::Zlib, 2},
        {"version 2 bzip2", ArchiveFixture::CurrentVersion2, ArchiveFixture::Bzip2, 2},
    };
    for (const auto &row : layouts) {
        QTest::addRow("%s at offset 0", row.name) << row.layout << row.method << 0u << row.version;
        QTest::addRow("%s inside a larger file", row.name)
            << row.layout << row.method << 6656u << row.version;
    }
}

void PackageArchiveTest::opensEveryLayout()
{
    QFETCH(ArchiveFixture::Layout, layout);
    QFETCH(ArchiveFixture::Method, method);
    QFETCH(quint32, offset);
    QFETCH(quint32, version);

    QTemporaryDir dir;
    const ArchiveFixture fixture = sampleFixture();
    // Trailing bytes after the archive must not disturb it.
    const QString path = ArchiveFixture::writeFile(dir.path(), "payload",
                                                   fixture.build(layout, method, offset) + "trailing",
                                                   QByteArray(int(offset), 'x'));

    PackageArchive archive;
    const QByteArray error = openError(archive, path, offset);
    QVERIFY2(error.isEmpty(), error.constData());
    QCOMPARE(archive.formatVersion(), version);
    if (layout == ArchiveFixture::CurrentVersion1 || layout == ArchiveFixture::CurrentVersion2)
        QCOMPARE(archive.compressionMethod(), quint32(method));

    const bool legacy = layout != ArchiveFixture::CurrentVersion2;
    QCOMPARE(archive.files().size(), 4);
    ArchiveFixture copy = fixture;
    for (int i = 0; i < copy.members().size(); ++i) {
        const ArchiveFixture::Member &expected = copy.members().at(i);
        const PackageArchiveFile *file = archive.files().at(i);
        QCOMPARE(file->name(), QString::fromLatin1(expected.name));
        QCOMPARE(file->size(), quint32(expected.data.size()));
        QCOMPARE(file->lastModified().toSecsSinceEpoch(), qint64(expected.time));
        const quint32 mode = legacy ? (expected.readOnly ? 0444u : 0666u) : expected.mode;
        QCOMPARE(file->mode(), mode);
        QCOMPARE(archive.findFile(file->name()), file);
        QByteArray data;
        const QByteArray readFailure = readError(archive, file, &data);
        QVERIFY2(readFailure.isEmpty(), readFailure.constData());
        QVERIFY2(data == expected.data, qPrintable("contents differ for " + file->name()));
    }
}

void PackageArchiveTest::openFailures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray unsupported = "unsupported package file format";
    const QByteArray algorithm = "unsupported compression algorithm";
    ArchiveFixture one;
    one.add("a", "alpha");
    const QByteArray v2 = one.version2Image();
    const QByteArray legacy = one.legacyImage();

    QTest::newRow("empty file") << QByteArray() << unsupported;
    QTest::newRow("seven bytes") << QByteArray("\xB1\xC6\xF5\x71\x02\x00\x00", 7) << unsupported;
    QTest::newRow("unknown magic") << QByteArray("PK\x03\x04 not ours at all") << unsupported;
    QTest::newRow("version 3") << ArchiveFixture::currentHeader(3, 0) + ArchiveFixture::zlib(v2)
                               << unsupported;
    QTest::newRow("method 2") << ArchiveFixture::currentHeader(2, 2) + ArchiveFixture::zlib(v2) << algorithm;
    QTest::newRow("method 2 is reported before version 3")
        << ArchiveFixture::currentHeader(3, 2) + ArchiveFixture::zlib(v2) << algorithm;
    QTest::newRow("wrapped stream without legacy magic")
        << ArchiveFixture::le32(0xB231F47A) + ArchiveFixture::le32(1) + ArchiveFixture::le32(0)
               + ArchiveFixture::zlib(v2)
        << unsupported;
    QTest::newRow("version 1 holding a version 2 table")
        << ArchiveFixture::currentHeader(1, 0) + ArchiveFixture::zlib(v2) << unsupported;
    QTest::newRow("version 1 stream shorter than the legacy header")
        << ArchiveFixture::currentHeader(1, 0) + ArchiveFixture::zlib("\xC8\xC3\x52\x41") << unsupported;
    QTest::newRow("inner header of 10 bytes")
        << ArchiveFixture::currentHeader(2, 0) + ArchiveFixture::zlib(v2.left(10)) << QByteArray("bad header");
    QTest::newRow("record cut short")
        << ArchiveFixture::currentHeader(2, 0) + ArchiveFixture::zlib(v2.left(30))
        << QByteArray("bad table of contents");
    QTest::newRow("name cut short")
        << ArchiveFixture::currentHeader(2, 0) + ArchiveFixture::zlib(v2.left(20 + 18))
        << QByteArray("bad table of contents");
    ArchiveFixture overcounted = one;
    overcounted.setStoredCount(3);
    QTest::newRow("count larger than the table")
        << ArchiveFixture::currentHeader(2, 1) + ArchiveFixture::bzip2(overcounted.version2Image())
        << QByteArray("bad table of contents");
    QTest::newRow("plain legacy count larger than the table")
        << overcounted.legacyImage() << QByteArray("bad table of contents");
    QTest::newRow("plain legacy record cut short") << legacy.left(500) << QByteArray("bad table of contents");
    QTest::newRow("header without any stream")
        << ArchiveFixture::currentHeader(2, 0) << QByteArray("error reading stream");
    QByteArray corruptZlib = ArchiveFixture::zlib(v2);
    corruptZlib[0] = char(0x79); // header check bits no longer match
    QTest::newRow("corrupt zlib header") << ArchiveFixture::currentHeader(2, 0) + corruptZlib
                                         << QByteArray("error reading from compressed stream");
    QTest::newRow("bzip2 signature missing")
        << ArchiveFixture::currentHeader(2, 1) + QByteArray("XZh9") + ArchiveFixture::bzip2(v2).mid(4)
        << QByteArray("error reading from compressed stream");
    QTest::newRow("zlib where bzip2 is announced")
        << ArchiveFixture::currentHeader(2, 1) + ArchiveFixture::zlib(v2)
        << QByteArray("error reading from compressed stream");
}

void PackageArchiveTest::openFailures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);

    QTemporaryDir dir;
    const QString path = ArchiveFixture::writeFile(dir.path(), "payload", bytes);
    PackageArchive archive;
    QCOMPARE(openError(archive, path), expected);
    QVERIFY2(!archive.isOpen() && archive.files().isEmpty(), "a failed open leaves the archive closed");
}

void PackageArchiveTest::missingFileNamesThePath()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/no such payload";
    PackageArchive archive;
    QCOMPARE(openError(archive, path), QFile::encodeName(path) + " does not exist");

    // An offset past the end of an existing file finds no header there.
    ArchiveFixture fixture;
    fixture.add("a", "alpha");
    const QString real = ArchiveFixture::writeFile(dir.path(), "payload",
                                                   fixture.build(ArchiveFixture::CurrentVersion2));
    QCOMPARE(openError(archive, real, 100000), QByteArray("unsupported package file format"));
    // The constructor opens at offset 0 and throws the same texts.
    try {
        PackageArchive constructed(path);
        QFAIL("a missing file must throw from the constructor");
    } catch (const HException &error) {
        QCOMPARE(error.message(), QFile::encodeName(path) + " does not exist");
    }
}

void PackageArchiveTest::reopeningReplacesAndFailingCloses()
{
    QTemporaryDir dir;
    ArchiveFixture first;
    first.add("first/a", "A");
    first.add("first/b", "B");
    ArchiveFixture second;
    second.add("second/c", "C");
    const QString firstPath = ArchiveFixture::writeFile(dir.path(), "one", first.build(ArchiveFixture::CurrentVersion2));
    const QString secondPath = ArchiveFixture::writeFile(dir.path(), "two", second.build(ArchiveFixture::LegacyPlain));
    const QString brokenPath = ArchiveFixture::writeFile(dir.path(), "broken", "garbage!garbage!");

    PackageArchive archive;
    QCOMPARE(openError(archive, firstPath, 0, PackageArchive::IndexByName), QByteArray());
    QCOMPARE(archive.files().size(), 2);
    QCOMPARE(openError(archive, secondPath), QByteArray());
    QCOMPARE(archive.files().size(), 1);
    QVERIFY(!archive.findFile("first/a"));
    QCOMPARE(archive.fileData(archive.findFile("second/c")), QByteArray("C"));

    QCOMPARE(openError(archive, brokenPath), QByteArray("unsupported package file format"));
    QVERIFY(!archive.isOpen() && archive.files().isEmpty() && !archive.findFile("second/c"));
}

void PackageArchiveTest::emptyArchive_data()
{
    QTest::addColumn<ArchiveFixture::Layout>("layout");
    QTest::addColumn<ArchiveFixture::Method>("method");
    QTest::newRow("version 2 zlib") << ArchiveFixture::CurrentVersion2 << ArchiveFixture::Zlib;
    QTest::newRow("version 2 bzip2") << ArchiveFixture::CurrentVersion2 << ArchiveFixture::Bzip2;
    QTest::newRow("legacy plain") << ArchiveFixture::LegacyPlain << ArchiveFixture::Zlib;
    QTest::newRow("wrapped legacy") << ArchiveFixture::WrappedLegacy << ArchiveFixture::Zlib;
}

void PackageArchiveTest::emptyArchive()
{
    QFETCH(ArchiveFixture::Layout, layout);
    QFETCH(ArchiveFixture::Method, method);
    QTemporaryDir dir;
    const QString path = ArchiveFixture::writeFile(dir.path(), "empty", ArchiveFixture().build(layout, method));
    PackageArchive archive;
    QCOMPARE(openError(archive, path, 0, PackageArchive::IndexByName), QByteArray());
    QVERIFY(archive.isOpen() && archive.files().isEmpty() && !archive.findFile(QString()));
}

void PackageArchiveTest::duplicateNames_data()
{
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("table order: the first wins") << 0u << QByteArray("first");
    QTest::newRow("index by name: the last wins") << quint32(PackageArchive::IndexByName) << QByteArray("third");
}

void PackageArchiveTest::duplicateNames()
{
    QFETCH(quint32, flags);
    QFETCH(QByteArray, expected);

    ArchiveFixture fixture;
    fixture.add("dup", "first");
    fixture.add("b", "bee");
    fixture.add("dup", "second");
    fixture.add("a", "ay");
    fixture.add("dup", "third");
    fixture.add("dupe", "other");
    QTemporaryDir dir;
    const QString path = ArchiveFixture::writeFile(dir.path(), "dup", fixture.build(ArchiveFixture::CurrentVersion2));
    PackageArchive archive;
    QCOMPARE(openError(archive, path, 0, flags), QByteArray());

    QCOMPARE(archive.fileData(archive.findFile("dup")), expected);
    QCOMPARE(archive.fileData(archive.findFile("dupe")), QByteArray("other"));
    QVERIFY2(!archive.findFile("DUP") && !archive.findFile("du"), "lookups are exact and case-sensitive");
    // The table keeps every member in its own order whatever the lookup mode.
    QCOMPARE(archive.files().size(), 6);
    QCOMPARE(archive.fileData(archive.files().at(2)), QByteArray("second"));
}

void PackageArchiveTest::backwardReadsRestartDecompression_data()
{
    emptyArchive_data();
}

void PackageArchiveTest::backwardReadsRestartDecompression()
{
    QFETCH(ArchiveFixture::Layout, layout);
    QFETCH(ArchiveFixture::Method, method);

    ArchiveFixture fixture;
    fixture.add("a", ArchiveFixture::sampleData(40000, 7));
    fixture.add("b", ArchiveFixture::sampleData(1000, 8));
    fixture.add("c", ArchiveFixture::sampleData(50000, 9));
    QTemporaryDir dir;
    const QString path = ArchiveFixture::writeFile(dir.path(), "p", fixture.build(layout, method, 0));
    PackageArchive archive;
    QCOMPARE(openError(archive, path), QByteArray());

    // c lies after b and a; each later read goes backwards.
    for (const char *name : {"c", "b", "a", "a", "c", "b"})
        QVERIFY2(archive.fileData(archive.findFile(name)) == fixture.members().at(*name - 'a').data, name);
}

void PackageArchiveTest::cutShortMembers_data()
{
    QTest::addColumn<ArchiveFixture::Layout>("layout");
    QTest::addColumn<ArchiveFixture::Method>("method");
    QTest::addColumn<qint64>("storedSize");
    QTest::addColumn<qint64>("storedPosition");

    QTest::newRow("zlib: size one byte too large")
        << ArchiveFixture::CurrentVersion2 << ArchiveFixture::Zlib << qint64(101) << qint64(-1);
    QTest::newRow("bzip2: size near 4 GiB")
        << ArchiveFixture::CurrentVersion2 << ArchiveFixture::Bzip2 << qint64(0xFFFFFFF0) << qint64(-1);
    QTest::newRow("legacy plain: position past the end")
        << ArchiveFixture::LegacyPlain << ArchiveFixture::Zlib << qint64(-1) << qint64(0x7FFFFFFF);
    QTest::newRow("wrapped legacy: size one byte too large")
        << ArchiveFixture::WrappedLegacy << ArchiveFixture::Zlib << qint64(101) << qint64(-1);
}

void PackageArchiveTest::cutShortMembers()
{
    QFETCH(ArchiveFixture::Layout, layout);
    QFETCH(ArchiveFixture::Method, method);
    QFETCH(qint64, storedSize);
    QFETCH(qint64, storedPosition);

    ArchiveFixture fixture;
    fixture.add("good", "fine");
    ArchiveFixture::Member &forged = fixture.add("dir/forged", QByteArray(100, 'f'));
    forged.storedSize = storedSize;
    forged.storedPosition = storedPosition;
    QTemporaryDir dir;
    const QString path = ArchiveFixture::writeFile(dir.path(), "p", fixture.build(layout, method));
    PackageArchive archive;
    QCOMPARE(openError(archive, path), QByteArray());
    QCOMPARE(readError(archive, archive.findFile("dir/forged")),
             QByteArray("cannot read file dir/forged from archive"));
    // The archive stays usable: an earlier member is found again by restarting.
    QCOMPARE(archive.fileData(archive.findFile("good")), QByteArray("fine"));
}

void PackageArchiveTest::namesAreLatin1AndEndAtNul()
{
    ArchiveFixture fixture;
    fixture.add("caf\xE9/men\xFC.txt", "latin");
    fixture.add(QByteArray("cut\0hidden", 10), "nul");
    QTemporaryDir dir;
    for (const auto layout : {ArchiveFixture::CurrentVersion2, ArchiveFixture::LegacyPlain}) {
        const QString path = ArchiveFixture::writeFile(dir.path(), "p", fixture.build(layout));
        PackageArchive archive;
        QCOMPARE(openError(archive, path), QByteArray());
        QCOMPARE(archive.files().at(0)->name(), QString::fromUtf8("caf\u00e9/men\u00fc.txt"));
        QCOMPARE(archive.files().at(1)->name(), QStringLiteral("cut"));
        QCOMPARE(archive.fileData(archive.findFile("cut")), QByteArray("nul"));
    }
}

QTEST_GUILESS_MAIN(PackageArchiveTest)
#include "tst_packagearchive.moc"
