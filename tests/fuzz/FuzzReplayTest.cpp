#include "app/core/HException.h"
#include "common/TestMain.h"
#include "media/archive/PackageArchive.h"

// Replays the fuzzer's findings (tests/fuzz/regressions) and seeds as tools/fuzz/archive_fuzzer.cpp runs an input:
// open (the last byte's low bit asks for the index by name), look up and extract every member. Only HException may
// come out; nothing may be written outside the output folder.
class FuzzReplayTest : public QObject
{
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<QString>("input");
        for (const char *folder : {STUDIO_SOURCE_DIR "/tests/fuzz/regressions", STUDIO_SOURCE_DIR "/tools/fuzz/corpus"}) {
            for (const QFileInfo &input : QDir(folder).entryInfoList({"*.bin"}, QDir::Files, QDir::Name))
                QTest::addRow("%s/%s", qPrintable(input.dir().dirName()), qPrintable(input.fileName())) << input.filePath();
        }
        QVERIFY2(QDir(STUDIO_SOURCE_DIR "/tools/fuzz/corpus").entryList({"*.bin"}).size() >= 5, "the seeds are missing");
    }

    void replay()
    {
        QFETCH(QString, input);
        QFile file(input);
        QTemporaryDir dir;
        QVERIFY(file.open(QIODevice::ReadOnly) && QDir().mkpath(dir.path() + "/out/inner"));
        const QByteArray bytes = file.readAll();
        PackageArchive archive;
        int extracted = 0;
        try {
            archive.open(input, 0, !bytes.isEmpty() && (bytes.back() & 1) ? quint32(PackageArchive::IndexByName) : 0u);
            for (const PackageArchiveFile &member : archive.files()) {
                QVERIFY2(archive.findFile(member.name()), qPrintable(member.name()));
                try {
                    archive.extractFileTo(member, dir.path() + "/out/inner", true);
                    ++extracted;
                } catch (const HException &) { // a refused or broken member; the next one is still tried
                }
            }
        } catch (const HException &) { // an input refused as a whole
        }
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(dir.path()).entryList(all) + QDir(dir.path() + "/out").entryList(all), QStringList({"out", "inner"}));
        QVERIFY2(!input.contains("/corpus/") || (extracted > 0 && extracted == archive.files().size()), "a sound seed");
    }
};

STUDIO_TEST_CLASS(FuzzReplayTest)
#include "FuzzReplayTest.moc"
