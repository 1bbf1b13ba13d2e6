#include "ArchiveFixture.h"
#include "common/TestMain.h"

#include <QProcess>

using namespace ArchiveFixture;

namespace {

const QString golden = QStringLiteral(STUDIO_SOURCE_DIR "/tests/archive/pkgarchive-help.txt");

// Runs the tool once per command (separated by " ; "); describes each run as "status|stdout|stderr".
QByteArray runTool(const QString &commands)
{
    QByteArray runs;
    for (const QString &command : commands.split(" ; ")) {
        QProcess process;
        process.start(QStringLiteral(PKGARCHIVE_BINARY), command.split(' ', Qt::SkipEmptyParts));
        if (!process.waitForFinished(120000))
            process.kill(), process.waitForFinished();
        const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        runs += QByteArray::number(status) + '|' + process.readAllStandardOutput() + '|' + process.readAllStandardError();
    }
    return runs;
}

} // namespace

class PkgArchiveToolTest : public QObject
{
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<QByteArray>("image"); // written to @/p unless null
        QTest::addColumn<QString>("commands"); // @: the test's folder
        QTest::addColumn<QByteArray>("expected"); // the runs; <help>: the golden file
        // Extracted, packed again and listed: the walk goes by character code within a folder and
        // puts a folder's files where its own name sorts ("bin/..." before "bin.txt").
        const Members tree = {{"lib/z.a", noise(300000, 1), 0100604, 1600000000}, {"bin.txt", "", 0100444, 1600000001},
                              {"bin/tool", "#!/bin/sh\n", 0100755, 1600000002}, {"Zeta.txt", "upper\n", 0100600, 1600000003},
                              {".hidden", "hidden too\n", 0100640, 1600000004}};
        const QByteArray listing = "100640         11 2020-09-13 12:26:44 .hidden\n100600          6 2020-09-13 12:26:43 Zeta.txt\n"
                                   "100755         10 2020-09-13 12:26:42 bin/tool\n100444          0 2020-09-13 12:26:41 bin.txt\n"
                                   "100604     300000 2020-09-13 12:26:40 lib/z.a\n";
        const Members two = {{"a", noise(20000, 5)}, {"b", noise(30000, 6)}};
        QByteArray checksum = build(two, CurrentVersion2), damaged = build(two, CurrentVersion2, Bzip2);
        checksum[checksum.size() - 1] = char(checksum.back() ^ 0x55);
        damaged[damaged.size() / 2] = char(damaged.at(damaged.size() / 2) ^ 0x10);
        Members forged = two, escaping = two;
        forged[1].size = 30001;
        escaping[1].name = "../escaped";
        const QByteArray none;
        const auto row = [](const char *name, const QByteArray &image, const char *commands, const QByteArray &runs) {
            QTest::newRow(name) << image << QString(commands) << runs;
        };
        const auto fails = [&](const char *name, const QByteArray &image, const char *commands, const char *error) {
            row(name, image, commands, "1||pkgarchive: " + QByteArray(error) + "\n");
        };
        row("extract, create, list; append and verify at the offset", build(tree, CurrentVersion2),
            "extract @/p @/t ; create @/o.pkg @/t --bzip2 --level 12 ; list @/o.pkg ; append @/t/lib/z.a @/o.pkg @/s ; "
            "list @/s --offset 0x493E0 ; verify @/s --offset 493e0", // 300000 bytes before the payload
            "0||0||0|" + listing + "|0|493e0\n|0|" + listing + "|0|ok\n|");
        fails("verify zlib checksum wrong", checksum, "verify @/p", "error reading from compressed stream");
        fails("verify bzip2 payload damaged", damaged, "verify @/p", "error reading from compressed stream");
        fails("verify member reaching past the stream", build(forged, CurrentVersion2), "verify @/p",
              "member b ends at byte 50059 but the stream holds 50058 bytes");
        fails("verify member escaping the folder", build(escaping, CurrentVersion2), "verify @/p",
              "unsafe file name ../escaped");
        fails("extract a member cut short", build(forged, LegacyPlain), "extract @/p @/out",
              "cannot read file b from archive");
        fails("append a payload that is no archive", "no archive", "append @/p @/p @/o",
              "@/p: unsupported package file format");
        fails("no command", none, "", "no command given; try pkgarchive --help");
        fails("unknown command", none, "pack", "unknown command pack; try pkgarchive --help");
        fails("list without a file", none, "list", "usage: pkgarchive list FILE [--offset HEX]");
        fails("offset beyond 32 bits", none, "extract x y --offset 100000000",
              "invalid offset 100000000 (a hexadecimal number below 100000000 is expected)");
        fails("level not a number", none, "create o . --level high",
              "invalid level high (a number from 0 to 9 is expected)");
        fails("create from a missing folder", none, "create @/o @/none", "not a folder: @/none");
        fails("create into a missing folder", none, "create @/no/o @", "cannot create archive file @/no/o");
        row("help", none, "--help", "0|<help>|");
    }

    void commands()
    {
        QFETCH(QByteArray, image);
        QFETCH(QString, commands);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        QVERIFY(image.isNull() || !write(dir.path(), "p", image).isEmpty());
        const QByteArray runs = runTool(commands.replace("@", dir.path()));
        if (expected == "0|<help>|" && qEnvironmentVariableIsSet("STUDIO_UPDATE_GOLDEN"))
            QVERIFY(!write(QFileInfo(golden).path(), QFileInfo(golden).fileName(), runs.mid(2, runs.size() - 3)).isEmpty());
        QCOMPARE(runs, expected.replace("@", QFile::encodeName(dir.path())).replace("<help>", read(golden)));
        QVERIFY2(!QFileInfo::exists(dir.path() + "/escaped") && !QFileInfo::exists(dir.path() + "/out/b"), "no escape");
        const QString appended = dir.path() + "/s", installer = dir.path() + "/t/lib/z.a";
        QVERIFY2(!QFileInfo::exists(installer) || read(installer) == noise(300000, 1), "extracted contents differ");
        QVERIFY2(!QFileInfo::exists(appended) || (read(appended) == read(installer) + read(dir.path() + "/o.pkg")
                                                  && statusOf(appended).st_mode == statusOf(installer).st_mode),
                 "the installer followed by the payload, with the installer's mode");
    }
};

STUDIO_TEST_CLASS(PkgArchiveToolTest)
#include "PkgArchiveToolTest.moc"
