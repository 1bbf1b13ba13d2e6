#include "common/TestMain.h"
#include "media/platform/Environment.h"
#include "media/platform/FileSystem.h"
#include "media/platform/ProcessRunner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeFile(const QString &path, const QByteArray &contents, int mode = 0644)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() && file.flush()
        && ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Sets the variables (null: unset) until the guard it answers goes.
auto settingEnvironment(const QList<const char *> &names, const QByteArrayList &values)
{
    const auto set = [names](const QByteArrayList &to) {
        for (qsizetype i = 0; i < names.size(); ++i)
            to[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], to[i]);
    };
    QByteArrayList saved;
    for (const char *name : names)
        saved << qgetenv(name);
    set(values);
    return qScopeGuard([set, saved] { set(saved); });
}

struct stat statusOf(const QString &path)
{
    struct stat status{};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

// Copies src.bin (missing when size < 0) in a temporary folder that also holds dir/ and long.txt.
struct CopyRow
{
    QString destination;
    bool createFolders;
    int size, mode, mask;
    QString copy; // where the copy lands; "": the copy fails
    int copyMode;
};

} // namespace
Q_DECLARE_METATYPE(CopyRow)

class PlatformTest : public QObject
{
    Q_OBJECT

private slots:
    void copyFile_data()
    {
        QTest::addColumn<CopyRow>("row");
        // Folders are made from the cleaned name: "new/x/.." needs no "new/x".
        QTest::newRow("executable into new folders") << CopyRow{"new/x/../d/y", true, 1000, 0755, 022, "new/d/y", 0755};
        QTest::newRow("stricter mask") << CopyRow{"b.bin", false, 10, 0666, 027, "b.bin", 0640};
        QTest::newRow("empty read-only file") << CopyRow{"b.bin", false, 0, 0444, 022, "b.bin", 0444};
        QTest::newRow("several chunks and a remainder") << CopyRow{"b.bin", false, 3 * 131072 + 17, 0604, 0, "b.bin", 0604};
        QTest::newRow("into a folder keeps the name") << CopyRow{"dir", false, 5, 0644, 022, "dir/src.bin", 0644};
        QTest::newRow("onto a longer file truncates it") << CopyRow{"long.txt", false, 5, 0640, 022, "long.txt", 0640};
        QTest::newRow("dot segments in the destination") << CopyRow{"dir/./x/../b", false, 5, 0644, 022, "dir/b", 0644};
        QTest::newRow("onto itself loses nothing") << CopyRow{"./src.bin", false, 3000, 0751, 022, "src.bin", 0751};
        QTest::newRow("missing folders without the create flag") << CopyRow{"new/b.bin", false, 5, 0644, 022, "", 0};
        QTest::newRow("a file where a folder must go") << CopyRow{"long.txt/b.bin", true, 5, 0644, 022, "", 0};
        QTest::newRow("missing source") << CopyRow{"b.bin", false, -1, 0644, 022, "", 0};
    }

    void copyFile()
    {
        QFETCH(CopyRow, row);
        QTemporaryDir temporary;
        const QString base = temporary.path() + '/';
        const QByteArray contents = QByteArray::number(row.size).repeated(row.size).left(row.size), longText = "longer text";
        QVERIFY(QDir().mkpath(base + "dir") && writeFile(base + "long.txt", longText, 0600));
        QVERIFY(row.size < 0 || writeFile(base + "src.bin", contents, row.mode));
        const timespec times[2] = {{1000000000, 123456789}, {1200000000, 987654321}};
        QVERIFY(row.size < 0 || ::utimensat(AT_FDCWD, QFile::encodeName(base + "src.bin").constData(), times, 0) == 0);

        const mode_t previous = ::umask(mode_t(row.mask));
        const bool copied = Platform::copyFile(base + "src.bin", base + row.destination, row.createFolders);
        QCOMPARE(int(::umask(previous)), row.mask); // left as it was
        QCOMPARE(copied, !row.copy.isEmpty());
        const struct stat status = statusOf(base + row.copy); // before reading moves the access time
        QCOMPARE(readFile(base + "long.txt"), row.copy == "long.txt" ? contents : longText);
        QVERIFY2(!QFileInfo::exists(base + "new/x") && (copied || !QFileInfo::exists(base + "b.bin")), "nothing made");
        if (!copied)
            return;
        QVERIFY2(readFile(base + row.copy) == contents, "contents differ");
        QCOMPARE(QString::number(status.st_mode & 07777, 8), QString::number(row.copyMode, 8));
        QVERIFY2(status.st_mtim.tv_sec == times[1].tv_sec && status.st_mtim.tv_nsec == times[1].tv_nsec, "modified");
        QVERIFY2(status.st_atim.tv_sec == times[0].tv_sec, "accessed");
    }

    void setWritableChangesTheOwnerWriteBitOnly()
    {
        QTemporaryDir temporary;
        const QString path = temporary.path() + "/file";
        const struct { int mode; bool writable; int expected; } cases[] = {
            {0444, true, 0644}, {0644, false, 0444}, {04750, false, 04550}, {0600, true, 0600}};
        for (const auto &c : cases)
            QVERIFY(writeFile(path, "x", c.mode) && Platform::setWritable(path, c.writable)
                    && (statusOf(path).st_mode & 07777) == mode_t(c.expected));
        QVERIFY2(!Platform::setWritable(temporary.path() + "/missing", true), "a missing file cannot change");
    }

    void removalUsesTheCleanedPath()
    {
        QTemporaryDir temporary;
        const QString base = temporary.path();
        QVERIFY(writeFile(base + "/file", "x") && QDir().mkpath(base + "/e"));
        QVERIFY2(!Platform::removeFolder(base + "/file") && !Platform::removeFile(base + "/e"), "wrong kinds");
        QVERIFY2(Platform::removeFile(base + "/x/../file") && !QFileInfo::exists(base + "/file"), "file");
        QVERIFY2(!Platform::removeFile(base + "/file"), "removing twice must fail");
        QVERIFY2(Platform::removeFolder(base + "//e/") && !QFileInfo::exists(base + "/e"), "an empty folder");
    }

    void environment_data()
    {
        QTest::addColumn<QByteArrayList>("values"); // of TMP, TEMP, TMPDIR and HOME; null: unset
        QTest::addColumn<QString>("temporaryFolder");
        QTest::addColumn<QString>("userShare");
        const QByteArray unset;
        QTest::newRow("TMP wins") << QByteArrayList{"/a", "/b", "/c", "/h"} << "/a" << "/h/.local/share";
        QTest::newRow("empty TMP: TEMP") << QByteArrayList{"", "/v", unset, "/r"} << "/v" << "/r/.local/share";
        QTest::newRow("TMPDIR after both empty") << QByteArrayList{"", "", "/p", unset} << "/p" << "";
        QTest::newRow("empty TMPDIR is the default") << QByteArrayList{unset, unset, "", ""} << "/tmp" << "";
        QTest::newRow("nothing set") << QByteArrayList{unset, unset, unset, unset} << "/tmp" << "";
    }

    void environment()
    {
        QFETCH(QByteArrayList, values);
        QFETCH(QString, temporaryFolder);
        QFETCH(QString, userShare);
        const auto restore = settingEnvironment({"TMP", "TEMP", "TMPDIR", "HOME"}, values); // later tests make temporary folders
        QCOMPARE(Platform::temporaryFolder(), temporaryFolder);
        QCOMPARE(Platform::homeFolder(), QString(values[3]));
        QCOMPARE(Platform::userShareFolder(), userShare);
        // A variable set to the empty string is not the default.
        QCOMPARE(Platform::environmentValue("TMP", "default"), values[0].isNull() ? "default" : QString(values[0]));
        QCOMPARE(Platform::executableFolder(), QCoreApplication::applicationDirPath());
    }

    // A desktop session may set only one of the three; a run with none is headless.
    void display_data()
    {
        QTest::addColumn<QByteArrayList>("values"); // DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM; null: unset
        QTest::addColumn<bool>("expected");
        const QByteArray unset;
        QTest::newRow("X11 alone") << QByteArrayList{":0", unset, unset} << true;
        QTest::newRow("Wayland alone") << QByteArrayList{unset, "wayland-0", unset} << true;
        QTest::newRow("a platform plug-in asked for") << QByteArrayList{unset, unset, "offscreen"} << true;
        QTest::newRow("none: headless") << QByteArrayList{unset, unset, unset} << false;
    }

    void display()
    {
        QFETCH(QByteArrayList, values);
        QFETCH(bool, expected);
        const auto restore = settingEnvironment({"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, values);
        QCOMPARE(Platform::hasDisplay(), expected);
    }

    void runProcess_data()
    {
        QTest::addColumn<QStringList>("command"); // run in a folder holding "log" with "old\n"
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("log"); // relative to the working folder; waited for when the command is not
        const QStringList both{"sh", "-c", "echo out; echo err >&2"};
        const QByteArray old("old\n");
        QTest::newRow("success") << QStringList{"true"} << 0 << old;
        QTest::newRow("status above 127 is negative") << QStringList{"sh", "-c", "exit 200"} << -56 << old;
        QTest::newRow("program not found") << QStringList{"studio-no-such-program"} << -1 << old;
        QTest::newRow("only a redirection") << QStringList{">", "other"} << -1 << old;
        QTest::newRow("> truncates") << both + QStringList{">", "log"} << 0 << QByteArray("out\n");
        QTest::newRow("&>> appends both") << both + QStringList{"&>>", "log"} << 0 << QByteArray("old\nout\nerr\n");
        QTest::newRow("not waited for: 0 while it runs")
            << QStringList{"sh", "-c", "sleep 0.2; echo done; exit 7", ">", "log"} << 0 << QByteArray("done\n");
        QTest::newRow("arguments after the first token dropped")
            << both + QStringList{"&>", "log", "ignored", "2>", "other"} << 0 << QByteArray("out\n");
    }

    void runProcess()
    {
        QFETCH(QStringList, command);
        QFETCH(int, status);
        QFETCH(QByteArray, log);
        QTemporaryDir temporary;
        QVERIFY(writeFile(temporary.path() + "/log", "old\n"));
        const bool wait = !command.contains("sleep 0.2; echo done; exit 7");
        QCOMPARE(Platform::runProcess(command, temporary.path(), wait), status);
        QVERIFY2(QTest::qWaitFor([&] { return readFile(temporary.path() + "/log") == log; }, wait ? 0 : 10000), "log");
    }
};

STUDIO_TEST_CLASS(PlatformTest)
#include "PlatformTest.moc"
