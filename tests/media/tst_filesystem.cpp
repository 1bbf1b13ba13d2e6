#include "common/ArchiveFixture.h"
#include "media/platform/FileSystem.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ScopedUmask
{
    explicit ScopedUmask(mode_t mask) : previous(::umask(mask)) {}
    ~ScopedUmask() { ::umask(previous); }
    mode_t previous;
};

bool writeFile(const QString &path, const QByteArray &contents, mode_t mode)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size())
        return false;
    file.close();
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

struct stat statusOf(const QString &path)
{
    struct stat status{};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

} // namespace

class TestFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void cleanPath_data();
    void cleanPath();
    void makePath_data();
    void makePath();
    void copyKeepsContentsTimesAndMode_data();
    void copyKeepsContentsTimesAndMode();
    void copyTargets_data();
    void copyTargets();
    void setWritable_data();
    void setWritable();
    void removeUsesCleanedPath();
};

void TestFileSystem::cleanPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("dot, doubled slash and dot-dot") << "a/./b//c/../d" << "a/b/d";
    QTest::newRow("dot-dot below the root") << "/x/../y" << "/y";
    QTest::newRow("leading dot-dot stays") << "../z" << "../z";
    QTest::newRow("dot-dot after a kept dot-dot stays") << "a/../../b" << "../b";
    QTest::newRow("trailing slash") << "a/b/" << "a/b";
    QTest::newRow("everything removed") << "a/.." << "";
}

void TestFileSystem::cleanPath()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(Platform::cleanPath(path), expected);
}

void TestFileSystem::makePath_data()
{
    QTest::addColumn<QString>("existing");   // made before the call, below the temporary folder
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("expected");

    QTest::newRow("existing folder") << "a" << "a" << true;
    QTest::newRow("two missing levels below an existing one") << "a" << "a/b/c" << true;
    QTest::newRow("trailing slash and dot segments") << "" << "m/./n/../o/" << true;
    QTest::newRow("a file is in the way") << "f.file" << "f.file/sub" << false;
    QTest::newRow("empty name") << "" << "" << false;
}

void TestFileSystem::makePath()
{
    QFETCH(QString, existing);
    QFETCH(QString, folder);
    QFETCH(bool, expected);

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QString base = temporary.path() + '/';
    if (existing.endsWith(".file"))
        QVERIFY(writeFile(base + existing, "x", 0644));
    else if (!existing.isEmpty())
        QVERIFY(QDir().mkpath(base + existing));

    const QString target = folder.isEmpty() ? QString() : base + folder;
    QCOMPARE(Platform::makePath(target), expected);
    // Dot segments are resolved on the name, not on the disk: "n/.." needs no "n".
    if (expected)
        QVERIFY2(QFileInfo(Platform::cleanPath(target)).isDir(), qPrintable(target + " is no folder afterwards"));
}

void TestFileSystem::copyKeepsContentsTimesAndMode_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("expectedMode");

    QTest::newRow("executable keeps its execute bits") << 1000 << 0755 << 022 << 0755;
    QTest::newRow("stricter mask") << 10 << 0666 << 027 << 0640;
    QTest::newRow("empty file") << 0 << 0444 << 022 << 0444;
    QTest::newRow("several chunks and a remainder") << 3 * 131072 + 17 << 0644 << 022 << 0644;
}

void TestFileSystem::copyKeepsContentsTimesAndMode()
{
    QFETCH(int, size);
    QFETCH(int, mode);
    QFETCH(int, mask);
    QFETCH(int, expectedMode);

    const ScopedUmask umask(static_cast<mode_t>(mask));
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QString source = temporary.path() + "/tool.bin";
    const QString target = temporary.path() + "/out/tool.bin";
    const QByteArray contents = ArchiveFixture::sampleData(size, 1);
    QVERIFY(writeFile(source, contents, static_cast<mode_t>(mode)));
    const timespec times[2] = { { 1000000000, 123456789 }, { 1200000000, 987654321 } };
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(source).constData(), times, 0) == 0);

    QVERIFY2(Platform::copyFile(source, target, true), "copy failed");
    const struct stat copied = statusOf(target); // before reading moves the access time
    QVERIFY2(readFile(target) == contents, "contents differ");
    QCOMPARE(static_cast<int>(copied.st_mode & 07777), expectedMode);
    QCOMPARE(copied.st_mtim.tv_sec, times[1].tv_sec);
    QCOMPARE(copied.st_mtim.tv_nsec, times[1].tv_nsec);
    QCOMPARE(copied.st_atim.tv_sec, times[0].tv_sec);
    QCOMPARE(static_cast<int>(::umask(static_cast<mode_t>(mask))), mask); // left as it was
}

void TestFileSystem::copyTargets_data()
{
    QTest::addColumn<QString>("destination");    // relative to the temporary folder
    QTest::addColumn<bool>("createFolders");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QString>("expectedTarget"); // where the copy must be found

    QTest::newRow("into an existing folder keeps the name") << "dir" << false << true << "dir/a.txt";
    QTest::newRow("onto an existing longer file") << "long.txt" << false << true << "long.txt";
    QTest::newRow("under a new name with dot segments") << "dir/./x/../b.txt" << false << true << "dir/b.txt";
    QTest::newRow("missing folders are made") << "new/deeper/b.txt" << true << true << "new/deeper/b.txt";
    QTest::newRow("missing folders without the create flag") << "new/b.txt" << false << false << "";
    QTest::newRow("onto itself loses nothing") << "a.txt" << false << true << "a.txt";
    QTest::newRow("from a missing source") << "dir" << false << false << "";
}

void TestFileSystem::copyTargets()
{
    QFETCH(QString, destination);
    QFETCH(bool, createFolders);
    QFETCH(bool, expected);
    QFETCH(QString, expectedTarget);

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QString base = temporary.path() + '/';
    QVERIFY(QDir().mkpath(base + "dir"));
    QVERIFY(writeFile(base + "a.txt", "short", 0644));
    QVERIFY(writeFile(base + "long.txt", "a much longer text than the source", 0644));
    const QString source = QTest::currentDataTag() == QByteArray("from a missing source")
                               ? base + "missing.txt" : base + "a.txt";

    QCOMPARE(Platform::copyFile(source, base + destination, createFolders), expected);
    if (expected)
        QCOMPARE(readFile(base + expectedTarget), QByteArray("short"));
}

void TestFileSystem::setWritable_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<int>("expectedMode");

    QTest::newRow("read-only made writable") << 0444 << true << 0644;
    QTest::newRow("writable made read-only") << 0644 << false << 0444;
    QTest::newRow("execute and group bits kept") << 0750 << false << 0550;
}

void TestFileSystem::setWritable()
{
    QFETCH(int, mode);
    QFETCH(bool, writable);
    QFETCH(int, expectedMode);

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QString path = temporary.path() + "/file";
    QVERIFY(writeFile(path, "x", static_cast<mode_t>(mode)));
    QVERIFY2(Platform::setWritable(path, writable), "set writable failed");
    QCOMPARE(static_cast<int>(statusOf(path).st_mode & 07777), expectedMode);
    QVERIFY2(!Platform::setWritable(temporary.path() + "/missing", writable), "a missing file cannot change");
}

void TestFileSystem::removeUsesCleanedPath()
{
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QString base = temporary.path();
    QVERIFY(QDir().mkpath(base + "/full/empty"));
    QVERIFY(writeFile(base + "/full/file", "x", 0644));

    QVERIFY2(!Platform::removeFolder(base + "/full"), "a folder with contents must stay");
    QVERIFY2(Platform::removeFile(base + "/full/./nothing/../file"), "file not removed");
    QVERIFY2(!QFileInfo::exists(base + "/full/file"), "file still there");
    QVERIFY2(!Platform::removeFile(base + "/full/file"), "removing twice must fail");
    QVERIFY2(Platform::removeFolder(base + "//full/empty/"), "empty folder not removed");
    QVERIFY2(!QFileInfo::exists(base + "/full/empty"), "folder still there");
}

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
