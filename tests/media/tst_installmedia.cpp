// Both kinds of installation media over one fixture tree.

#include "common/ArchiveFixture.h"
#include "common/PagesTestSupport.h"

#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "app/queries/UserQueries.h"
#include "media/install/FileStoreInstallMedia.h"
#include "media/install/PackageArchiveInstallMedia.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <memory>

namespace {

struct FixtureFile
{
    const char *name;
    int size;
    bool hidden; // left out of the file store's listing and of the archive
};

// Listed in the file store's walk order (depth first, names ignoring case), which is
// also the order the archive's table of contents gets, so both media list alike.
const FixtureFile fixture[] = {
    {"bin/99-vantor.rules", 40, false},
    {"bin/Setup", 300, false},
    {"doc/.cache/old.txt", 11, true},
    {"doc/.hidden", 7, true},
    {"doc/a.txt", 100, false},
    {"doc/B.txt", 1500, false},
    {"doc/sub/b.txt", 2000, false},
    {"docs/c.txt", 30, false},
};

const QDateTime fixtureTime = QDateTime::fromSecsSinceEpoch(1600000000);

QByteArray contentsOf(const FixtureFile &file)
{
    QByteArray bytes(file.size, '\0');
    for (int index = 0; index < file.size; ++index)
        bytes[index] = char('a' + (index + int(qstrlen(file.name))) % 26);
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes, const QDateTime &time)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return file.open(QIODevice::ReadWrite)
        && file.setFileTime(time, QFileDevice::FileModificationTime);
}

bool makeStore(const QString &root)
{
    for (const FixtureFile &file : fixture) {
        if (!writeFile(root + '/' + file.name, contentsOf(file), fixtureTime))
            return false;
    }
    return true;
}

// A current-format archive of the fixture's visible files, in walk order.
QByteArray archiveBytes(quint32 method = ArchiveFixture::Zlib)
{
    ArchiveFixture archive;
    for (const FixtureFile &file : fixture) {
        if (file.hidden)
            continue;
        ArchiveFixture::Member &member = archive.add(file.name, contentsOf(file));
        member.time = quint32(fixtureTime.toSecsSinceEpoch());
    }
    if (method > ArchiveFixture::Bzip2) {
        // The method field names a compression nobody knows; the rest never gets read.
        return ArchiveFixture::currentHeader(2, method)
            + ArchiveFixture::compress(archive.version2Image(), ArchiveFixture::Zlib);
    }
    return archive.build(ArchiveFixture::CurrentVersion2, ArchiveFixture::Method(method));
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const FixtureFile *find(const QString &name)
{
    for (const FixtureFile &file : fixture)
        if (name == QLatin1String(file.name))
            return &file;
    return nullptr;
}

// Both media, built over the same fixture in one temporary folder.
class MediaFixture
{
public:
    MediaFixture()
    {
        m_ok = m_folder.isValid() && makeStore(m_folder.filePath("store"))
            && writeBytes(m_folder.filePath("payload.dat"), archiveBytes())
            && writeBytes(m_folder.filePath("payload-bz2.dat"), archiveBytes(ArchiveFixture::Bzip2));
    }
    bool isValid() const { return m_ok; }
    QString path(const QString &name) const { return m_folder.filePath(name); }

    std::unique_ptr<InstallMedia> media(const QString &kind) const
    {
        if (kind == QLatin1String("store"))
            return std::make_unique<FileStoreInstallMedia>(path("store"));
        const QString payload = kind == QLatin1String("archive") ? "payload.dat" : "payload-bz2.dat";
        return std::make_unique<PackageArchiveInstallMedia>(path(payload), 0);
    }

private:
    QTemporaryDir m_folder;
    bool m_ok = false;
};

// The signals of one installFiles call, in the order they came.
struct SignalLog
{
    explicit SignalLog(InstallMedia &media)
    {
        QObject::connect(&media, &InstallMedia::extractingFile, [this](const QString &name) { events << "extracting " + name; });
        QObject::connect(&media, &InstallMedia::extractedFile,
                         [this](uint64_t bytes) { events << "extracted " + QString::number(bytes); });
    }
    QStringList events;
};

QString failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const InstallException &error) {
        return error.message();
    }
    return QString();
}

} // namespace

class tst_InstallMedia : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetQueryPolicies(); }

    void listFiles_data();
    void listFiles();
    void totalSize_data();
    void totalSize();
    void storeRootIsExpandedOnceAtConstruction();
    void installFiles_data();
    void installFiles();
    void declinedFileIsCountedButLeftAlone_data();
    void declinedFileIsCountedButLeftAlone();
    void missingName_data();
    void missingName();
    void destinationFolderCannotBeCreated_data();
    void destinationFolderCannotBeCreated();
    void archiveExtractionFailureIsPassedOn();
    void archiveNameClimbingOutIsRefused();
    void archiveOpenFailure_data();
    void archiveOpenFailure();
    void archiveAtOffset_data();
    void archiveAtOffset();
};

void tst_InstallMedia::listFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("names");

    for (const char *kind : {"store", "archive"}) {
        const QByteArray tag(kind);
        QTest::newRow(tag + ": folder with a sub-folder, names ignoring case")
            << kind << "doc" << QStringList{"a.txt", "B.txt", "sub/b.txt"};
        QTest::newRow(tag + ": a folder whose name extends another's is not inside it")
            << kind << "docs" << QStringList{"c.txt"};
        QTest::newRow(tag + ": nested folder") << kind << "doc/sub" << QStringList{"b.txt"};
        QTest::newRow(tag + ": folder the media does not hold") << kind << "gcc" << QStringList{};
        QTest::newRow(tag + ": file name instead of a folder") << kind << "bin/Setup"
                                                               << QStringList{};
    }
}

void tst_InstallMedia::listFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, folder);
    QFETCH(QStringList, names);
    const MediaFixture fixture;
    QVERIFY(fixture.isValid());
    const auto media = fixture.media(kind);

    uint64_t totalSize = 12345; // must be reset, not added to
    const QStringList listed = media->listFiles(folder, totalSize);
    QCOMPARE(listed, names);
    uint64_t expectedSize = 0;
    for (const QString &name : names)
        expectedSize += uint64_t(find(folder + '/' + name)->size);
    QCOMPARE(totalSize, expectedSize);
}

void tst_InstallMedia::totalSize_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("file store") << "store";
    QTest::newRow("package archive") << "archive";
}

void tst_InstallMedia::totalSize()
{
    QFETCH(QString, kind);
    const MediaFixture fixture;
    QVERIFY(fixture.isValid());
    uint64_t visible = 0;
    for (const FixtureFile &file : ::fixture)
        visible += file.hidden ? 0 : uint64_t(file.size);
    QCOMPARE(fixture.media(kind)->totalSize(), visible);
}

void tst_InstallMedia::storeRootIsExpandedOnceAtConstruction()
{
    const MediaFixture fixture;
    QVERIFY(fixture.isValid());
    setVariable("MediaTestRoot", fixture.path("store"));
    FileStoreInstallMedia media("$(MediaTestRoot)");
    setVariable("MediaTestRoot", fixture.path("elsewhere"));
    QCOMPARE(media.root(), fixture.path("store"));
    uint64_t totalSize = 0;
    QCOMPARE(media.listFiles("docs", totalSize), QStringList{"c.txt"});
}

void tst_InstallMedia::installFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("installed");

    for (const char *kind : {"store", "archive", "bzip2 archive"}) {
        const QByteArray tag(kind);
        QTest::newRow(tag + ": three files, one in a sub-folder")
            << kind << "doc" << QStringList{"a.txt", "B.txt", "sub/b.txt"}
            << QStringList{"extracting a.txt", "extracted 100", "extracting B.txt",
                           "extracted 1600", "extracting sub/b.txt", "extracted 3600"}
            << QStringList{"a.txt", "B.txt", "sub/b.txt"};
        QTest::newRow(tag + ": empty list sends nothing")
            << kind << "doc" << QStringList{} << QStringList{} << QStringList{};
    }
    QTest::newRow("store: names are reported cleaned")
        << "store" << "doc" << QStringList{"./sub//b.txt"}
        << QStringList{"extracting sub/b.txt", "extracted 2000"} << QStringList{"sub/b.txt"};
    // Archive members are looked up by their exact name.
    QTest::newRow("archive: a name that is not a member's exact name is not there")
        << "archive" << "doc" << QStringList{"./sub//b.txt"} << QStringList{} << QStringList{};
}

void tst_InstallMedia::installFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, source);
    QFETCH(QStringList, files);
    QFETCH(QStringList, events);
    QFETCH(QStringList, installed);
    const MediaFixture fixture;
    QVERIFY(fixture.isValid());
    const auto media = fixture.media(kind);
    const QString destination = fixture.path("target/component");

    SignalLog log(*media);
    media->installFiles(files, source, destination);
    QCOMPARE(log.events, events);

    for (const QString &name : installed) {
        QFile file(destination + '/' + name);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(name + " was not installed"));
        const FixtureFile *entry = find(source + '/' + name);
        QVERIFY(entry);
        QVERIFY2(file.readAll() == contentsOf(*entry), qPrintable(name + " has other contents"));
        QCOMPARE(QFileInfo(file).lastModified(), fixtureTime);
    }
    if (installed.isEmpty())
        QVERIFY2(!QFileInfo::exists(destination), "an empty list created the destination");
}

void tst_InstallMedia::declinedFileIsCountedButLeftAlone_data()
{
    totalSize_data();
}

void tst_InstallMedia::declinedFileIsCountedButLeftAlone()
{
    QFETCH(QString, kind);
    const MediaFixture fixture;
    QVERIFY(fixture.isValid());
    const auto media = fixture.media(kind);
    const QString destination = fixture.path("target");
    // Same time and size as the source: taken for the same file and not copied again.
    const QByteArray existing(100, 'X');
    QVERIFY(writeFile(destination + "/a.txt", existing, fixtureTime));

    SignalLog log(*media);
    media->installFiles({"a.txt", "sub/b.txt"}, "doc", destination);

    QCOMPARE(log.events, (QStringList{"extracting a.txt", "extracted 100",
                                        "extracting sub/b.txt", "extracted 2100"}));
    QFile file(destination + "/a.txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY2(file.readAll() == existing, "the declined file was overwritten");
    QVERIFY2(QFileInfo::exists(destination + "/sub/b.txt"), "the next file was not installed");
}

void tst_InstallMedia::missingName_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("failure");

    QTest::newRow("archive passes over it without a signal")
        << "archive" << QStringList{"extracting a.txt", "extracted 100"} << QString();
    QTest::newRow("file store cannot copy it")
        << "store" << QStringList{"extracting a.txt", "extracted 100", "extracting gone.txt"}
        << "Cannot copy file %1/store/doc/gone.txt to %1/target";
}

void tst_InstallMedia::missingName()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, events);
    QFETCH(QString, failure);
    const MediaFixture fixture;
    QVERIFY(fixture.isValid());
    const auto media = fixture.media(kind);

    SignalLog log(*media);
    const QString message = failureOf(
            [&] { media->installFiles({"a.txt", "gone.txt"}, "doc", fixture.path("target")); });
    QCOMPARE(message, failure.isEmpty() ? QString() : failure.arg(fixture.path(".").chopped(2)));
    QCOMPARE(log.events, events);
    QVERIFY2(QFileInfo::exists(fixture.path("target/a.txt")), "the file before it was lost");
}

void tst_InstallMedia::destinationFolderCannotBeCreated_data()
{
    totalSize_data();
}

void tst_InstallMedia::destinationFolderCannotBeCreated()
{
    QFETCH(QString, kind);
    const MediaFixture fixture;
    QVERIFY(fixture.isValid());
    const auto media = fixture.media(kind);
    // A plain file where a folder of the destination would have to be.
    QVERIFY(writeBytes(fixture.path("blocked"), "x"));

    const QString message = failureOf(
            [&] { media->installFiles({"sub/b.txt"}, "doc", fixture.path("blocked/target")); });
    QCOMPARE(message, "Cannot create folder " + fixture.path("blocked/target/sub"));
}

void tst_InstallMedia::archiveExtractionFailureIsPassedOn()
{
    const MediaFixture fixture;
    QVERIFY(fixture.isValid());
    const auto media = fixture.media("archive");
    // A non-empty folder stands where the file is to go: it cannot be replaced.
    const QString destination = fixture.path("target");
    QVERIFY(writeBytes(fixture.path("keep"), "x"));
    QVERIFY(QDir().mkpath(destination + "/a.txt/inner"));

    QuestionAnswerer answerer(InstallCheckMessageBox::Yes);
    const QString message =
            failureOf([&] { media->installFiles({"a.txt"}, "doc", destination); });
    QVERIFY2(answerer.asked(), "the existing destination was not asked about");
    QCOMPARE(message, "cannot create output file " + destination + "/a.txt");
}

void tst_InstallMedia::archiveNameClimbingOutIsRefused()
{
    QTemporaryDir folder;
    ArchiveFixture archive;
    archive.add("bin/../../escaped.txt", "payload");
    const QString path = ArchiveFixture::writeFile(folder.path(), "payload.dat",
                                                   archive.build(ArchiveFixture::CurrentVersion2));
    PackageArchiveInstallMedia media(path, 0);
    const QString destination = folder.filePath("dest/bin");

    const QString message =
            failureOf([&] { media.installFiles({"../../escaped.txt"}, "bin", destination); });
    QCOMPARE(message, QStringLiteral("unsafe file name ../../escaped.txt"));
    QVERIFY2(!QFile::exists(folder.filePath("escaped.txt")), "a file was written outside the destination");
}

void tst_InstallMedia::archiveOpenFailure_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("failure");

    QTest::newRow("missing file") << QByteArray() << "%1 does not exist";
    QTest::newRow("unknown magic") << QByteArray("PK\x03\x04 not an archive")
                                   << "unsupported package file format";
    QTest::newRow("unknown compression method") << archiveBytes(2)
                                                << "unsupported compression algorithm";
}

void tst_InstallMedia::archiveOpenFailure()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, failure);
    QTemporaryDir folder;
    const QString path = folder.filePath("payload.dat");
    if (!bytes.isEmpty())
        QVERIFY(writeBytes(path, bytes));

    const QString message = failureOf([&] { PackageArchiveInstallMedia media(path, 0); });
    QCOMPARE(message, failure.contains("%1") ? failure.arg(path) : failure);
}

void tst_InstallMedia::archiveAtOffset_data()
{
    QTest::addColumn<int>("prefixSize");
    QTest::addColumn<quint32>("offset");
    QTest::addColumn<QString>("failure");

    QTest::newRow("archive at the start") << 0 << 0u << QString();
    QTest::newRow("archive behind 0x1A00 bytes, opened there") << 0x1A00 << 6656u << QString();
    QTest::newRow("archive behind 0x1A00 bytes, opened at 0")
        << 0x1A00 << 0u << "unsupported package file format";
}

void tst_InstallMedia::archiveAtOffset()
{
    QFETCH(int, prefixSize);
    QFETCH(quint32, offset);
    QFETCH(QString, failure);
    QTemporaryDir folder;
    const QString path = folder.filePath("Setup.bin");
    QVERIFY(writeBytes(path, QByteArray(prefixSize, '\x7f') + archiveBytes()));

    std::unique_ptr<PackageArchiveInstallMedia> media;
    const QString message =
            failureOf([&] { media = std::make_unique<PackageArchiveInstallMedia>(path, offset); });
    QCOMPARE(message, failure);
    if (!failure.isEmpty())
        return;
    uint64_t totalSize = 0;
    QCOMPARE(media->listFiles("bin", totalSize), (QStringList{"99-vantor.rules", "Setup"}));
    media->installFiles({"Setup"}, "bin", folder.filePath("out"));
    QCOMPARE(QFileInfo(folder.filePath("out/Setup")).size(), qint64(300));
}

QTEST_MAIN(tst_InstallMedia)
#include "tst_installmedia.moc"
