#include "app/core/HException.h"
#include "common/ArchiveFixture.h"
#include "media/archive/PackageArchive.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// lstat of the path; st_mode is 0 when nothing is there.
struct stat statusOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

int permissions(const QString &path) { return int(statusOf(path).st_mode & 07777); }

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &contents, int mode)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size())
        return false;
    file.close();
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

QByteArray extractError(PackageArchive &archive, const PackageArchiveFile *file, const QString &dest,
                        bool overwrite, bool intoFolder = false)
{
    try {
        if (intoFolder)
            archive.extractFileTo(file, dest, overwrite);
        else
            archive.extractFile(file, dest, overwrite);
    } catch (const HException &error) {
        return error.message();
    }
    return QByteArray();
}

// Holds an archive opened from a fixture inside its own temporary folder.
class OpenedFixture
{
public:
    explicit OpenedFixture(const ArchiveFixture &fixture,
                           ArchiveFixture::Layout layout = ArchiveFixture::CurrentVersion2)
    {
        archive.open(ArchiveFixture::writeFile(dir.path(), "payload", fixture.build(layout)));
    }
    QString target(const QString &name) const { return dir.path() + "/out/" + name; }

    QTemporaryDir dir;
    PackageArchive archive;
};

} // namespace

class PackageArchiveExtractTest : public QObject
{
    Q_OBJECT

private slots:
    void modesAndTimes_data();
    void modesAndTimes();
    void existingDestination_data();
    void existingDestination();
    void linkAtFinalComponent_data();
    void linkAtFinalComponent();
    void unsafeNames_data();
    void unsafeNames();
    void safeNamesLand_data();
    void safeNamesLand();
    void destinationCannotBeCreated();
    void shortWrite();
    void readFailureLeavesDestinationAlone();
};

void PackageArchiveExtractTest::modesAndTimes_data()
{
    QTest::addColumn<ArchiveFixture::Layout>("layout");
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("size");

    const auto v2 = ArchiveFixture::CurrentVersion2;
    QTest::newRow("executable") << v2 << 0100755u << false << 0755 << 300;
    QTest::newRow("group and other writable, no umask applied") << v2 << 0100666u << false << 0666 << 300;
    QTest::newRow("set-user-ID and sticky bits cleared") << v2 << 0107755u << false << 0755 << 300;
    QTest::newRow("no permissions at all") << v2 << 0100000u << false << 0 << 300;
    QTest::newRow("zero-size member") << v2 << 0100640u << false << 0640 << 0;
    QTest::newRow("larger than one read chunk") << v2 << 0100644u << false << 0644 << (5 << 20);
    QTest::newRow("legacy read-only flag") << ArchiveFixture::LegacyPlain << 0u << true << 0444 << 300;
    QTest::newRow("legacy writable") << ArchiveFixture::LegacyPlain << 0u << false << 0666 << 300;
    QTest::newRow("wrapped legacy read-only flag") << ArchiveFixture::WrappedLegacy << 0u << true << 0444 << 0;
}

void PackageArchiveExtractTest::modesAndTimes()
{
    QFETCH(ArchiveFixture::Layout, layout);
    QFETCH(quint32, mode);
    QFETCH(bool, readOnly);
    QFETCH(int, expected);
    QFETCH(int, size);

    ArchiveFixture fixture;
    ArchiveFixture::Member &member = fixture.add("deep/er/file.bin", ArchiveFixture::sampleData(size, 3));
    member.mode = mode;
    member.readOnly = readOnly;
    member.time = 1000000000;
    OpenedFixture opened(fixture, layout);

    // The folder chain below out/ does not exist yet.
    const QString folder = opened.dir.path() + "/out";
    const QByteArray error = extractError(opened.archive, opened.archive.files().at(0), folder, false, true);
    QVERIFY2(error.isEmpty(), error.constData());
    const QString path = opened.target("deep/er/file.bin");
    const struct stat status = statusOf(path);
    QVERIFY2(S_ISREG(status.st_mode), "a regular file is created");
    QCOMPARE(QString::number(status.st_mode & 07777, 8), QString::number(expected, 8));
    QCOMPARE(qint64(status.st_mtime), qint64(1000000000));
    QCOMPARE(qint64(status.st_atime), qint64(1000000000));
    QVERIFY2(contentsOf(path) == ArchiveFixture::sampleData(size, 3), "contents differ");
}

void PackageArchiveExtractTest::existingDestination_data()
{
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<int>("existingMode");
    QTest::addColumn<bool>("replaced");

    QTest::newRow("overwrite a read-only file") << true << 0444 << true;
    QTest::newRow("overwrite a writable file") << true << 0644 << true;
    QTest::newRow("keep a read-only file") << false << 0444 << false;
}

void PackageArchiveExtractTest::existingDestination()
{
    QFETCH(bool, overwrite);
    QFETCH(int, existingMode);
    QFETCH(bool, replaced);

    ArchiveFixture fixture;
    fixture.add("a.txt", "from the archive").mode = 0100640;
    OpenedFixture opened(fixture);
    const QString path = opened.dir.path() + "/a.txt.existing";
    QVERIFY(writeFile(path, "already here", existingMode));

    const QByteArray error = extractError(opened.archive, opened.archive.findFile("a.txt"), path, overwrite);
    if (replaced) {
        QVERIFY2(error.isEmpty(), error.constData());
        QCOMPARE(contentsOf(path), QByteArray("from the archive"));
        QCOMPARE(permissions(path), 0640);
    } else {
        QCOMPARE(error, "cannot overwrite file " + QFile::encodeName(path));
        QCOMPARE(contentsOf(path), QByteArray("already here"));
        QCOMPARE(permissions(path), existingMode);
    }
}

void PackageArchiveExtractTest::linkAtFinalComponent_data()
{
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<bool>("dangling");
    QTest::newRow("overwrite replaces the link, not its target") << true << false;
    QTest::newRow("overwrite replaces a dangling link") << true << true;
    QTest::newRow("no overwrite refuses a link") << false << false;
    QTest::newRow("no overwrite refuses a dangling link") << false << true;
}

void PackageArchiveExtractTest::linkAtFinalComponent()
{
    QFETCH(bool, overwrite);
    QFETCH(bool, dangling);

    ArchiveFixture fixture;
    fixture.add("rules", "planted?").mode = 0100644;
    OpenedFixture opened(fixture);
    QTemporaryDir outside;
    const QString target = outside.path() + "/victim";
    if (!dangling)
        QVERIFY(writeFile(target, "precious", 0644));
    QVERIFY(QDir().mkpath(opened.dir.path() + "/out"));
    const QString link = opened.target("rules");
    QVERIFY(QFile::link(target, link));

    const QByteArray error = extractError(opened.archive, opened.archive.findFile("rules"),
                                          opened.dir.path() + "/out", overwrite, true);
    if (overwrite) {
        QVERIFY2(error.isEmpty(), error.constData());
        QVERIFY2(S_ISREG(statusOf(link).st_mode), "the link itself is replaced by a file");
        QCOMPARE(contentsOf(link), QByteArray("planted?"));
    } else {
        QCOMPARE(error, "cannot overwrite file " + QFile::encodeName(link));
        QVERIFY(S_ISLNK(statusOf(link).st_mode));
    }
    if (dangling)
        QVERIFY2(!QFileInfo::exists(target), "nothing is created through a dangling link");
    else
        QCOMPARE(contentsOf(target), QByteArray("precious"));
}

void PackageArchiveExtractTest::unsafeNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("absolute") << QByteArray("/tmp/escaped");
    QTest::newRow("parent at the start") << QByteArray("../escaped");
    QTest::newRow("parent in the middle") << QByteArray("bin/../../escaped");
    QTest::newRow("parent at the end") << QByteArray("bin/..");
}

void PackageArchiveExtractTest::unsafeNames()
{
    QFETCH(QByteArray, name);

    ArchiveFixture fixture;
    fixture.add(name, "escape attempt");
    OpenedFixture opened(fixture);
    const QString folder = opened.dir.path() + "/out/inner";
    QVERIFY(QDir().mkpath(folder));

    QCOMPARE(extractError(opened.archive, opened.archive.files().at(0), folder, true, true),
             "unsafe file name " + name);
    QVERIFY2(QDir(folder).isEmpty(), "nothing is written into the folder");
    QVERIFY2(QDir(opened.dir.path() + "/out").entryList(QDir::Files).isEmpty(), "nor beside it");
    QVERIFY(!QFile::exists(opened.dir.path() + "/escaped"));
}

void PackageArchiveExtractTest::safeNamesLand_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("relative");
    QTest::newRow("dots inside a name") << QByteArray("a..b/c..") << QString("a..b/c..");
    QTest::newRow("current folder components") << QByteArray("./x/./y") << QString("x/y");
    QTest::newRow("doubled separator") << QByteArray("x//y") << QString("x/y");
}

void PackageArchiveExtractTest::safeNamesLand()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, relative);

    ArchiveFixture fixture;
    fixture.add(name, "safe");
    OpenedFixture opened(fixture);
    const QByteArray error = extractError(opened.archive, opened.archive.files().at(0),
                                          opened.dir.path() + "/out", false, true);
    QVERIFY2(error.isEmpty(), error.constData());
    QCOMPARE(contentsOf(opened.target(relative)), QByteArray("safe"));
}

void PackageArchiveExtractTest::destinationCannotBeCreated()
{
    ArchiveFixture fixture;
    fixture.add("x", "data");
    OpenedFixture opened(fixture);
    const QString base = opened.dir.path();
    QVERIFY(writeFile(base + "/plain", "I am a file", 0644));
    QVERIFY(QDir().mkpath(base + "/folder/keep"));
    // A file where a parent folder must go, and a folder where the file must go.
    for (const QString &dest : {base + "/plain/x", base + "/folder"})
        QCOMPARE(extractError(opened.archive, opened.archive.findFile("x"), dest, true),
                 "cannot create output file " + QFile::encodeName(dest));
    QVERIFY2(QFileInfo(base + "/folder/keep").isDir(), "a folder in the way is left alone");
}

void PackageArchiveExtractTest::shortWrite()
{
    // A file-size limit makes the kernel refuse the write part-way, as a full disk would.
    ArchiveFixture fixture;
    fixture.add("big", ArchiveFixture::sampleData(200000, 4));
    OpenedFixture opened(fixture);
    const QString dest = opened.target("big");

    struct rlimit saved {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    const QByteArray error = extractError(opened.archive, opened.archive.findFile("big"), dest, false);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(error, "cannot write to output file " + QFile::encodeName(dest));
    QVERIFY2(QFile::exists(dest), "the partly written file stays");
}

void PackageArchiveExtractTest::readFailureLeavesDestinationAlone()
{
    ArchiveFixture fixture;
    fixture.add("short", "tiny").storedSize = 5000;
    OpenedFixture opened(fixture);
    const QString dest = opened.dir.path() + "/existing";
    QVERIFY(writeFile(dest, "untouched", 0644));
    QCOMPARE(extractError(opened.archive, opened.archive.findFile("short"), dest, true),
             QByteArray("cannot read file short from archive"));
    QCOMPARE(contentsOf(dest), QByteArray("untouched"));
}

QTEST_GUILESS_MAIN(PackageArchiveExtractTest)
#include "tst_packagearchiveextract.moc"
