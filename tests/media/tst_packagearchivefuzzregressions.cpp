#include "app/core/HException.h"
#include "media/archive/PackageArchive.h"

#include <QTemporaryDir>
#include <QtTest>

// Inputs the fuzzer once crashed on or was seeded with, replayed the way the fuzzer
// runs them: open, then extract every member. Only HException may come out, and
// nothing may be written outside the output folder.
class PackageArchiveFuzzRegressionsTest : public QObject
{
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void PackageArchiveFuzzRegressionsTest::replay_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<quint32>("flags");
    const QStringList folders = {QStringLiteral(STUDIO_SOURCE_DIR "/tests/media/fuzz-regressions"),
                                 QStringLiteral(STUDIO_SOURCE_DIR "/tools/fuzz/corpus")};
    for (const QString &folder : folders) {
        const QFileInfoList inputs = QDir(folder).entryInfoList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name);
        for (const QFileInfo &input : inputs) {
            const QByteArray name = (QDir(folder).dirName() + '/' + input.fileName()).toUtf8();
            QTest::addRow("%s, table order", name.constData()) << input.absoluteFilePath() << 0u;
            QTest::addRow("%s, indexed", name.constData())
                << input.absoluteFilePath() << quint32(PackageArchive::IndexByName);
        }
    }
}

void PackageArchiveFuzzRegressionsTest::replay()
{
    QFETCH(QString, input);
    QFETCH(quint32, flags);

    QTemporaryDir dir;
    const QString out = dir.path() + "/out/inner";
    QVERIFY(QDir().mkpath(out));
    PackageArchive archive;
    try {
        archive.open(input, 0, flags);
    } catch (const HException &) {
        return;
    }
    for (const PackageArchiveFile *file : archive.files()) {
        QVERIFY(archive.findFile(file->name()));
        try {
            archive.extractFileTo(file, out, true);
        } catch (const HException &) {
        }
    }
    QCOMPARE(QDir(dir.path() + "/out").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"inner"});
}

QTEST_GUILESS_MAIN(PackageArchiveFuzzRegressionsTest)
#include "tst_packagearchivefuzzregressions.moc"
