#include "ArchiveFixture.h"
#include "app/core/HException.h"
#include "common/TestMain.h"
#include "media/archive/PackageArchiveCompressedBzInputFile.h"

#include <utility>

using namespace ArchiveFixture;

namespace {

// Data whose every block spells `signature` in its header: a block header lists the byte
// values in use as a 16-bit map of groups of 16, then one 16-bit map per group in use.
QByteArray spelling(quint64 signature, int size)
{
    const quint32 groups = quint32(signature >> 32), maps[] = {quint32(signature >> 16) & 0xFFFF, quint32(signature) & 0xFFFF};
    QByteArray alphabet;
    for (int group = 0, spelled = 0; group < 16; ++group) {
        if (!(groups & 0x8000u >> group))
            continue;
        for (int value = 0; value < 16; ++value) {
            if (spelled < 2 ? maps[spelled] & 0x8000u >> value : value == 0)
                alphabet += char(16 * group + value);
        }
        ++spelled;
    }
    QByteArray data = noise(size, 7);
    for (char &byte : data)
        byte = alphabet.at(quint8(byte) % alphabet.size());
    return data;
}

QByteArray text(int size)
{
    QByteArray data;
    for (int line = 0; data.size() < size; ++line)
        data += "line " + QByteArray::number(line * 7919 % 100003) + " of the sample text, part " + QByteArray::number(line % 97) + '\n';
    return data.left(size);
}

} // namespace

class PackageArchiveCompressedBzInputFileTest : public QObject
{
    Q_OBJECT

private slots:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("level"); // 1: a block per 100 kB
        QTest::addColumn<QByteArray>("after"); // what the file holds behind the stream
        QTest::addColumn<int>("damage"); // >= 0: the byte flipped, counted from the stream's end when negative; -1: none
        QTest::addColumn<int>("cutTo"); // bytes of the stream kept; 0: all
        const QByteArray severalBlocks = noise(350000, 1);
        const int blocks = bzip2(severalBlocks, 1).size();
        const auto row = [](const char *name, const QByteArray &payload, int level, const QByteArray &after = "trailing",
                            int damage = -1, int cutTo = 0) {
            QTest::newRow(name) << payload << level << after << damage << cutTo;
        };
        row("empty", QByteArray(), 9);
        row("one byte", "x", 1);
        row("one block and a part", noise(120000, 2), 1);
        row("several blocks of noise", severalBlocks, 1);
        row("several blocks of text", text(700000), 1);
        row("one large block", noise(500000, 3), 9);
        row("long runs: every block expands fifty-fold", QByteArray(12 << 20, 'z'), 1);
        row("a block signature by chance in every block", spelling(0x314159265359, 300000), 1);
        row("an end signature by chance in every block", spelling(0x177245385090, 300000), 1);
        row("another stream behind", severalBlocks, 1, bzip2("second stream", 1));
        row("nothing behind", severalBlocks, 1, QByteArray());
        row("a byte flipped in a middle block", severalBlocks, 1, "trailing", blocks / 2);
        row("the stream's checksum damaged", severalBlocks, 1, "trailing", blocks - 2);
        row("cut short inside a block", severalBlocks, 1, QByteArray(), -1, blocks * 2 / 3);
        row("cut short inside the stream's checksum", severalBlocks, 1, QByteArray(), -1, blocks - 3);
        row("not bzip2", "BZh0", 0);
        // The stream's first 10 bytes are read alone, then 256 KiB at a time. These lengths
        // of noise make streams that end 1 to 11 bytes behind the first such read, so that
        // it cuts the end signature, the stream's checksum or the padding.
        const int cut = 10 + 256 * 1024;
        const QByteArray endNoise = noise(cut, 9);
        for (const auto &[length, behind] : {std::pair{259944, 1}, {259949, 2}, {259951, 4}, {259956, 5},
                                             {259955, 7}, {259976, 8}, {259958, 9}, {259962, 10}, {259980, 11}}) {
            QCOMPARE(bzip2(endNoise.left(length), 1).size(), cut + behind);
            row(qPrintable(QString("the stream ends %1 bytes behind a read").arg(behind)), endNoise.left(length), 1,
                QByteArray());
        }
    }

    void reads()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, level);
        QFETCH(QByteArray, after);
        QFETCH(int, damage);
        QFETCH(int, cutTo);
        QByteArray compressed = level ? bzip2(payload, level) : payload;
        QVERIFY(!compressed.isEmpty());
        if (damage >= 0)
            compressed[damage] = char(compressed.at(damage) ^ 0x10);
        if (cutTo > 0)
            compressed.truncate(cutTo);
        const bool sound = level && damage < 0 && cutTo == 0;
        QTemporaryDir dir;
        const QString path = write(dir.path(), "stream", QByteArray(1000, 'p') + compressed + after);
        FILE *file = std::fopen(QFile::encodeName(path).constData(), "rb");
        QVERIFY(file && fseeko(file, 1000, SEEK_SET) == 0);
        PackageArchiveCompressedBzInputFile input(file);

        // Stops a third of the way, goes back (a restart) and reads to the end in uneven pieces.
        QByteArray got(payload.size() + 1, '\0'), error;
        const qint64 back = qMin(payload.size(), 1);
        qint64 done = 0;
        try {
            done = input.readAvailable(got.data(), payload.size() / 3);
            QVERIFY(input.seek(quint32(back)));
            done = back;
            for (qint64 piece; (piece = input.readAvailable(got.data() + done, 65537)) > 0;)
                done += piece;
        } catch (const HException &failure) {
            error = failure.message();
        }
        QCOMPARE(error, sound ? QByteArray() : QByteArray("error reading from compressed stream"));
        if (sound) {
            QVERIFY2(done == payload.size() && got.mid(back, done - back) == payload.mid(back), "delivered other bytes");
            QCOMPARE(input.readAvailable(got.data(), 1), 0); // and stays ended
        }
    }
};

STUDIO_TEST_CLASS(PackageArchiveCompressedBzInputFileTest)
#include "PackageArchiveCompressedBzInputFileTest.moc"
