#include "app/core/HException.h"
#include "common/ArchiveFixture.h"
#include "media/archive/PackageArchive.h"
#include "media/archive/PackageArchiveWriter.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <utime.h>

namespace {

bool writeFile(const QString &path, const QByteArray &contents, int mode = 0644, qint64 time = 1400000000)
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

QStringList names(const QList<PackageArchiveFile> &members)
{
    QStringList result;
    for (const PackageArchiveFile &member : members)
        result.append(member.name());
    return result;
}

QByteArray writeError(PackageArchiveWriter &writer, const QString &path)
{
    try {
        writer.write(path);
    } catch (const HException &error) {
        return error.message();
    }
    return QByteArray();
}

// Puts a marker before the archive and skips it again when reading, the way a
// derived archive could carry its own prefix.
class PrefixedArchive : public PackageArchive
{
public:
    void writePrefix(FILE *stream) override { std::fwrite("PREFIX!!", 1, 8, stream); }
    void readPrefix(FILE *stream) override
    {
        char marker[8];
        if (std::fread(marker, 1, 8, stream) != 8 || QByteArray(marker, 8) != "PREFIX!!")
            throw HException("prefix missing");
    }
};

} // namespace

class PackageArchiveWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void walksFoldersInSortedOrder();
    void roundTrip_data();
    void roundTrip();
    void failuresLeaveNoArchive_data();
    void failuresLeaveNoArchive();
    void prefixHooks();
};

void PackageArchiveWriterTest::walksFoldersInSortedOrder()
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/tree";
    for (const char *name : {"c.txt", "c/d", "a", "B", ".hidden", "c/b/z", "c/a b"})
        QVERIFY(writeFile(root + "/" + name, name));
    QVERIFY(QDir().mkpath(root + "/empty/folder"));

    PackageArchive archive;
    PackageArchiveWriter writer(archive);
    writer.addFolder(root);
    // Entries sort by character code within each folder; a folder's files come where
    // the folder's own name sorts, before "c.txt". Empty folders leave no trace.
    QCOMPARE(names(writer.members()),
             QStringList({".hidden", "B", "a", "c/a b", "c/b/z", "c/d", "c.txt"}));
    for (const PackageArchiveFile &member : writer.members()) {
        QCOMPARE(member.kind(), PackageArchiveFile::DiskFile);
        QCOMPARE(member.sourcePath(), root + "/" + member.name());
    }
}

void PackageArchiveWriterTest::roundTrip_data()
{
    QTest::addColumn<quint32>("method");
    QTest::addColumn<int>("level");
    QTest::newRow("zlib, default level") << 0u << -1;
    QTest::newRow("zlib, stored") << 0u << 0;
    QTest::newRow("zlib, level 9") << 0u << 9;
    QTest::newRow("bzip2, default level") << 1u << -1;
}

void PackageArchiveWriterTest::roundTrip()
{
    QFETCH(quint32, method);
    QFETCH(int, level);

    const struct {
        const char *name;
        QByteArray data;
        quint32 mode;
        qint64 time;
    } expected[] = {
        {"bin/run", "#!/bin/sh\n", 0100755, 1400000001},
        {"lib/big", ArchiveFixture::sampleData(300000, 3), 0100600, 1400000002},
        {"lib/none", QByteArray(), 0100444, 1400000003},
        {"extra/from-memory", "in memory", 0100640, 1400000004}, // added from memory below
    };
    QTemporaryDir dir;
    const QString root = dir.path() + "/tree";
    for (int i = 0; i < 3; ++i)
        QVERIFY(writeFile(root + "/" + expected[i].name, expected[i].data, expected[i].mode & 0777, expected[i].time));

    PackageArchive archive;
    PackageArchiveWriter writer(archive);
    writer.setCompressionMethod(method);
    if (level >= 0)
        writer.setLevel(level);
    writer.addFolder(root);
    writer.addContents("extra/from-memory", "in memory", 0100640, QDateTime::fromSecsSinceEpoch(1400000004, Qt::UTC));
    const QString path = dir.path() + "/out.pkg";
    const QByteArray error = writeError(writer, path);
    QVERIFY2(error.isEmpty(), error.constData());

    PackageArchive reader;
    reader.open(path, 0, PackageArchive::IndexByName);
    QCOMPARE(reader.formatVersion(), 2u);
    QCOMPARE(reader.compressionMethod(), method);
    const QList<const PackageArchiveFile *> files = reader.files();
    QCOMPARE(files.size(), 4);

    // Data follows the table in table order, without gaps.
    quint32 expectedPosition = 20;
    for (const PackageArchiveFile *file : files)
        expectedPosition += 18 + quint32(file->name().size());
    for (const PackageArchiveFile *file : files) {
        QCOMPARE(file->dataPosition(), expectedPosition);
        expectedPosition += file->size();
    }

    for (const auto &member : expected) {
        const PackageArchiveFile *file = reader.findFile(member.name);
        QVERIFY2(file, member.name);
        QCOMPARE(file->mode(), member.mode);
        QCOMPARE(file->lastModified().toSecsSinceEpoch(), member.time);
        QVERIFY2(reader.fileData(file) == member.data, member.name);
    }
}

void PackageArchiveWriterTest::failuresLeaveNoArchive_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("expected"); // %1 = temporary folder
    QTest::newRow("source removed after it was added") << "removed" << "cannot read input file %1/tree/f";
    QTest::newRow("source shrank after it was added") << "shrank" << "cannot read input file %1/tree/f";
    QTest::newRow("unknown compression method") << "method" << "unsupported compression algorithm";
    QTest::newRow("output folder missing") << "folder" << "cannot create archive file %1/missing/out.pkg";
}

void PackageArchiveWriterTest::failuresLeaveNoArchive()
{
    QFETCH(QString, fault);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(writeFile(dir.path() + "/tree/f", ArchiveFixture::sampleData(5000, 1)));
    PackageArchive archive;
    PackageArchiveWriter writer(archive);
    writer.addFolder(dir.path() + "/tree");
    QString out = dir.path() + "/out.pkg";
    if (fault == "removed")
        QVERIFY(QFile::remove(dir.path() + "/tree/f"));
    else if (fault == "shrank")
        QVERIFY(writeFile(dir.path() + "/tree/f", "short"));
    else if (fault == "method")
        writer.setCompressionMethod(2);
    else
        out = dir.path() + "/missing/out.pkg";

    QCOMPARE(QString::fromUtf8(writeError(writer, out)), QString(expected).replace("%1", dir.path()));
    QVERIFY2(!QFile::exists(out), "a failed write leaves no half archive behind");
}

void PackageArchiveWriterTest::prefixHooks()
{
    QTemporaryDir dir;
    PrefixedArchive archive;
    PackageArchiveWriter writer(archive);
    writer.addContents("a", "alpha", 0100644, QDateTime::fromSecsSinceEpoch(1, Qt::UTC));
    const QString path = dir.path() + "/prefixed.pkg";
    QCOMPARE(writeError(writer, path), QByteArray());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(8), QByteArray("PREFIX!!"));
    QCOMPARE(file.read(8), ArchiveFixture::currentHeader(2, 0));

    PrefixedArchive reader;
    reader.open(path);
    QCOMPARE(reader.fileData(reader.findFile("a")), QByteArray("alpha"));
    QVERIFY_THROWS_EXCEPTION(HException, PackageArchive{path}); // not an archive without the hook
}

QTEST_GUILESS_MAIN(PackageArchiveWriterTest)
#include "tst_packagearchivewriter.moc"
