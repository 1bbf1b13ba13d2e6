#include "ArchiveFixture.h"
#include "app/core/HException.h"
#include "common/TestMain.h"
#include "media/archive/PackageArchive.h"

#include <csignal>
#include <sys/resource.h>

using namespace ArchiveFixture;
Q_DECLARE_METATYPE(ArchiveFixture::Layout)
Q_DECLARE_METATYPE(ArchiveFixture::Method)

namespace {

// The HException text the action throws, or "" when it succeeds.
template <typename Action>
QByteArray failureOf(Action action)
{
    try {
        action();
    } catch (const HException &error) {
        return error.message();
    }
    return QByteArray();
}

} // namespace

class PackageArchiveTest : public QObject
{
    Q_OBJECT

private slots:
    void everyLayout_data()
    {
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<Method>("method");
        QTest::addColumn<quint32>("offset"); // non-zero: opened with the index by name as well
        const struct { const char *name; Layout layout; Method method; } layouts[] = {
            {"legacy plain", LegacyPlain, Zlib},       {"wrapped legacy", WrappedLegacy, Zlib},
            {"version 1 zlib", CurrentVersion1, Zlib}, {"version 1 bzip2", CurrentVersion1, Bzip2},
            {"version 2 zlib", CurrentVersion2, Zlib}, {"version 2 bzip2", CurrentVersion2, Bzip2}};
        for (const auto &row : layouts) {
            QTest::addRow("%s at offset 0", row.name) << row.layout << row.method << 0u;
            QTest::addRow("%s inside a larger file", row.name) << row.layout << row.method << 6656u;
        }
    }

    void everyLayout()
    {
        QFETCH(Layout, layout);
        QFETCH(Method, method);
        QFETCH(quint32, offset);
        // Several discard blocks, an empty read-only member, Latin-1 and a NUL in names, bits extraction drops.
        const Members members = {{"bin/tool", noise(3000, 1), 0100755},
                                 {"doc/caf\xE9.txt", "Read me first.\n", 0100640, 1234567890},
                                 {"empty", QByteArray(), 0100444, 1500000001, true},
                                 {"lib/big.bin", noise(70000, 2), 0107755, 1500000002},
                                 {QByteArray("cut\0hidden", 10), "nul", 0100600, 1500000003}};
        QTemporaryDir dir;
        const QByteArray bytes = QByteArray(int(offset), 'x') + build(members, layout, method, offset) + "trailing";
        PackageArchive archive;
        // Opening again replaces what the first open read; a legacy layout keeps the method.
        archive.open(write(dir.path(), "other", build({{"other", "x"}}, CurrentVersion2, Bzip2)));
        const QByteArray error = failureOf([&] { archive.open(write(dir.path(), "p", bytes), offset, offset ? 1 : 0); });
        QVERIFY2(error.isEmpty(), error.constData());
        QCOMPARE(archive.formatVersion(), layout == CurrentVersion2 ? 2u : 1u);
        QCOMPARE(archive.compressionMethod(), layout >= CurrentVersion1 ? quint32(method) : 1u);
        QVERIFY(archive.files().size() == members.size() && !archive.findFile("other"));
        // The second pass goes backwards, so every read restarts decompression.
        for (int k = 0; k < 2 * members.size(); ++k) {
            const int i = k < members.size() ? k : int(2 * members.size()) - 1 - k;
            const Member &expected = members.at(i);
            const PackageArchiveFile file = archive.files().at(i);
            const QString name = QString::fromLatin1(expected.name.constData()), path = dir.path() + "/out/" + name;
            const quint32 mode = layout == CurrentVersion2 ? expected.mode : expected.readOnly ? 0444 : 0666;
            const std::optional<PackageArchiveFile> found = archive.findFile(name);
            QVERIFY(file.name() == name && found && found->dataPosition() == file.dataPosition());
            QVERIFY(file.size() == quint32(expected.data.size()) && found->size() == file.size());
            QVERIFY(file.mode() == mode && file.lastModified().toSecsSinceEpoch() == expected.time);
            const QByteArray failure = failureOf([&] { archive.extractFileTo(file, dir.path() + "/out", k > i); });
            const struct stat status = statusOf(path);
            QVERIFY2(failure.isEmpty() && read(path) == expected.data, qPrintable(name + failure));
            QCOMPARE(status.st_mode & 07777, mode & 0755); // never group or world writable
            QVERIFY(status.st_mtime == expected.time && status.st_atime == expected.time);
        }
    }

    // The table packs names into blocks of 1 MiB that no name straddles: where each
    // name starts is worked out again from where it and the one before it end.
    void table_data()
    {
        QTest::addColumn<QByteArrayList>("names");
        const QByteArray half(1 << 19, 'h');
        QByteArrayList longest;
        for (char c = 'a'; c < 'a' + 20; ++c) // 20 names of 65,535 bytes: two blocks, the second name in each moved on
            longest.append(QByteArray(65535, c));
        QTest::newRow("longest names across blocks") << (longest << "" << "x");
        QTest::newRow("a block filled exactly, then empty and short names")
                << QByteArrayList{"1" + half.mid(1), "2" + half.mid(1), "", "next", "", "2" + half.mid(1)};
        QTest::newRow("empty names first and between") << QByteArrayList{"", "", "a", "", "bé"};
        QTest::newRow("duplicates: the later one is found") << QByteArrayList{"same", "other", "same", "other"};
    }

    void table()
    {
        QFETCH(QByteArrayList, names);
        for (const bool indexed : {false, true}) {
            PackageArchiveTable table;
            table.reserve(quint32(names.size()));
            for (int i = 0; i < names.size(); ++i)
                table.append(names.at(i), quint32(i), quint32(names.at(i).size()), 0100644, 1600000000u + i);
            if (indexed)
                table.buildNameIndex();
            QCOMPARE(table.size(), names.size());
            for (int i = 0; i < names.size(); ++i) {
                const QString name = QString::fromLatin1(names.at(i));
                QVERIFY2(table.nameBytes(i) == names.at(i), qPrintable(QString::number(i)));
                const PackageArchiveFile file = table.at(i);
                QVERIFY(file.name() == name && file.dataPosition() == quint32(i) && file.size() == quint32(names.at(i).size()));
                QCOMPARE(file.lastModified().toSecsSinceEpoch(), 1600000000 + i);
                QCOMPARE(table.indexOf(name), names.lastIndexOf(names.at(i)));
            }
            QCOMPARE(table.indexOf(QStringLiteral("missing")), -1);
            QCOMPARE(table.indexOf(QStringLiteral("\u0101")), -1);
        }
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file; else opened, then its second member extracted into out/
        QTest::addColumn<quint32>("offset");
        QTest::addColumn<QString>("setup"); // what is in the way of that member before
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<QByteArray>("expected"); // %1: the archive's or the member's path
        const QByteArray format = "unsupported package file format", toc = "bad table of contents";
        const QByteArray method = "unsupported compression algorithm", stream = "error reading from compressed stream";
        const Members one = {{"a", "alpha"}};
        const QByteArray v2 = image(one, false), v2Zlib = wrap(CurrentVersion2, Zlib, v2);
        const auto second = [](const QByteArray &name, qint64 size = -1, qint64 position = -1) {
            return Members{{"good", "fine"}, {name, "sixteen bytes and more", 0100640, 1000000000, false, size, position}};
        };
        const auto row = [](const QByteArray &name, const QByteArray &bytes, const QByteArray &expected,
                            const QString &setup = QString(), bool overwrite = true, quint32 offset = 0) {
            QTest::newRow(name.constData()) << bytes << offset << setup << overwrite << expected;
        };
        row("offset past the end", v2Zlib, format, QString(), true, 100000);
        row("missing file", QByteArray(), "%1 does not exist");
        row("empty file", "", format); // as for any file shorter than a header
        row("unknown magic", "PK\x03\x04 not ours at all", format);
        row("version 3", header(3, 0) + v2Zlib.mid(8), format);
        row("method 2", header(2, 2) + v2Zlib.mid(8), method);
        row("wrapped stream without legacy magic", wrap(WrappedLegacy, Zlib, v2), format);
        row("version 1 holding a version 2 table", wrap(CurrentVersion1, Zlib, v2), format);
        row("inner header of 10 bytes", wrap(CurrentVersion2, Zlib, v2.left(10)), "bad header");
        row("name cut short", wrap(CurrentVersion2, Zlib, v2.left(20 + 18)), toc);
        row("count larger than the table", wrap(CurrentVersion2, Bzip2, image(one, false, 0, 3)), toc);
        row("legacy count larger than the table", image(one, true, 0, 2), toc);
        row("header without any stream", header(2, 0), "error reading stream");
        row("corrupt zlib header", header(2, 0) + char(0x79) + v2Zlib.mid(9), stream); // check bits wrong
        row("bzip2 signature missing", wrap(CurrentVersion2, Bzip2, v2).replace(8, 2, "XZ"), stream);
        row("zlib where bzip2 is announced", header(2, 1) + v2Zlib.mid(8), stream);
        row("empty version 2 archive", build({}, CurrentVersion2, Bzip2), "");
        const QByteArray cutShort = "cannot read file cut from archive", refused = "cannot overwrite file %1\nFile exists";
        const QByteArray large = build({{"good", "fine"}, {"big", noise(200000, 5)}}, CurrentVersion2);
        row("zlib: size one byte too large", build(second("cut", 23), CurrentVersion2), cutShort);
        row("bzip2: size near 4 GiB", build(second("cut", 0xFFFFFFF0), CurrentVersion2, Bzip2), cutShort);
        row("legacy plain: position past the end", build(second("cut", -1, 0x7FFFFFFF), LegacyPlain), cutShort);
        row("zlib stream cut inside a member", large.left(large.size() / 2), "error reading stream");
        const QByteArray longest(255, 'n'), tooLong(256, 'n');
        for (const QByteArray &name : {QByteArray(), QByteArray("/tmp/escaped"), QByteArray("../escaped"),
                                      QByteArray("bin/../../escaped"), QByteArray("bin/.."), QByteArray("bin//twice"),
                                      QByteArray("bin/"), "bin/" + tooLong})
            row("unsafe name '" + name.left(20) + "'", build(second(name), CurrentVersion2), "unsafe file name " + name);
        // A last name part of 247 to 255 bytes leaves no room for a temporary name built from it;
        // installations, copies and the tool all write their members through this extraction.
        for (const QByteArray &name : {QByteArray("a..b/c.."), QByteArray("./x/./y"), QByteArray("deep/er/folder chain"),
                                      "bin/" + QByteArray(247, 'l'), "bin/" + longest})
            row("safe name '" + name.left(20) + "'", build(second(name), CurrentVersion2), "");
        const QByteArray plain = build(second("a.txt"), CurrentVersion2), below = build(second("a.txt/b.txt"), CurrentVersion2);
        row("read-only file replaced", plain, "", "file");
        row("read-only file kept without overwrite", plain, refused, "file", false);
        row("link replaced, its target untouched", plain, "", "link");
        row("link refused without overwrite", plain, refused, "link", false);
        row("dangling link replaced, nothing made through it", plain, "", "dangling");
        row("a file where a folder must go", below, "cannot create output file %1\nNot a directory", "file");
        row("a folder where the file must go", plain, "cannot create output file %1\nIs a directory", "folder");
        row("file-size limit cuts the write short", plain, "cannot write to output file %1\nFile too large", "limit",
            false);
    }

    void failures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(quint32, offset);
        QFETCH(QString, setup);
        QFETCH(bool, overwrite);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir, outside;
        const QString payload = bytes.isNull() ? dir.path() + "/no such payload" : write(dir.path(), "payload", bytes);
        PackageArchive archive;
        archive.open(write(dir.path(), "earlier", build({{"earlier", "x"}}, LegacyPlain)), 0, PackageArchive::IndexByName);
        const QByteArray opened = failureOf([&] { archive.open(payload, offset); });
        if (archive.files().size() < 2) {
            QCOMPARE(opened, expected.replace("%1", QFile::encodeName(payload)));
            QCOMPARE(archive.isOpen(), expected.isEmpty());
            QVERIFY2(archive.files().isEmpty() && !archive.findFile("earlier"), "a failed open leaves nothing behind");
            return;
        }
        const PackageArchiveFile file = archive.files().at(1);
        const QString out = dir.path() + "/out", path = out + "/" + file.name(), target = outside.path() + "/victim";
        const QString inTheWay = out + "/" + file.name().section('/', 0, 0);
        QVERIFY(QDir().mkpath(out) && (setup != "folder" || QDir().mkpath(inTheWay + "/keep")));
        if (setup == "file")
            QVERIFY(QFile::setPermissions(write(out, file.name().section('/', 0, 0), "already here"), QFile::ReadOwner));
        if (setup == "link" || setup == "dangling")
            QVERIFY(QFile::link(target, path) && (setup == "dangling" || write(outside.path(), "victim", "precious") == target));

        struct rlimit saved{}, limited{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        limited = {setup == "limit" ? 16 : saved.rlim_cur, saved.rlim_max};
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limited);
        const QByteArray failure = failureOf([&] { archive.extractFileTo(file, out, overwrite); });
        ::setrlimit(RLIMIT_FSIZE, &saved), std::signal(SIGXFSZ, previousHandler);

        QCOMPARE(failure, expected.replace("%1", QFile::encodeName(path)));
        const struct stat status = statusOf(path);
        if (expected.isEmpty())
            QVERIFY2(S_ISREG(status.st_mode) && read(path) == "sixteen bytes and more" && (status.st_mode & 07777) == 0640
                         && status.st_mtime == 1000000000, "the member must be there with its mode and time");
        QVERIFY2(!setup.isEmpty() || expected.isEmpty() || QDir(out).isEmpty(), "nothing may be written after a fault");
        QVERIFY2(setup != "file" || overwrite || (read(path) == "already here" && (status.st_mode & 07777) == 0400), "kept");
        QCOMPARE(bool(S_ISLNK(status.st_mode)), (setup == "link" || setup == "dangling") && !overwrite);
        QCOMPARE(read(target), QByteArray(setup == "link" ? "precious" : "<unreadable>"));
        QVERIFY2(setup != "folder" || QFileInfo::exists(inTheWay + "/keep"), "a folder in the way stays");
        QVERIFY2(setup != "limit" || QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty(),
                 "a cut-short write leaves nothing behind");
        QCOMPARE(archive.fileData(*archive.findFile("good")), QByteArray("fine")); // still usable
    }
};

STUDIO_TEST_CLASS(PackageArchiveTest)
#include "PackageArchiveTest.moc"
