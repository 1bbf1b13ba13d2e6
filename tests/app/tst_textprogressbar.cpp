#include "app/console/TextProgressBar.h"

#include <QtTest>

#include <cstdio>
#include <functional>

namespace {

class ClockedBar : public TextProgressBar
{
public:
    ClockedBar(int width, FILE *output) : TextProgressBar(width, output) {}
    qint64 elapsed = 0;

protected:
    qint64 elapsedMilliseconds() const override { return elapsed; }
};

QByteArray captured(int width, const std::function<void(ClockedBar &)> &drive)
{
    QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.filePath("bar.out"));
    FILE *stream = std::fopen(path.constData(), "w+b");
    if (!stream)
        return "<cannot open capture file>";
    {
        ClockedBar bar(width, stream);
        drive(bar);
    }
    std::fclose(stream);
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read capture>");
}

QByteArray cleared(int width) { return '\r' + QByteArray(qMax(0, width - 1), ' ') + '\r'; }

QByteArray barLine(const QByteArray &task, int stars, int dots, const char *percent)
{
    return '\r' + task + " [" + QByteArray(stars, '*') + QByteArray(dots, '.') + "] " + percent;
}

const QByteArray copying("Copying files");

} // namespace

#define COMPARE_BYTES(out, expected) \
    QVERIFY2(out == expected, qPrintable(QByteArray(out).replace('\r', "<CR>") + "\nwanted\n" \
                                         + QByteArray(expected).replace('\r', "<CR>")))

class tst_TextProgressBar : public QObject
{
    Q_OBJECT

private slots:
    void drawing_data();
    void drawing();
    void completion_data();
    void completion();
    void clearLine_data();
    void clearLine();
    void sequences();
};

void tst_TextProgressBar::drawing_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("task");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("80 columns, step 5 of 10: 57 cells, 28 filled")
        << 80 << "Copying files" << 5 << 10 << barLine(copying, 28, 29, " 50% ");
    QTest::newRow("29 of 100 is computed in floating point and truncated")
        << 80 << "Copying files" << 29 << 100 << barLine(copying, 16, 41, " 28% ");
    QTest::newRow("99 of 100 is not rounded up")
        << 80 << "Copying files" << 99 << 100 << barLine(copying, 56, 1, " 99% ");
    QTest::newRow("task longer than width minus 10 prints only brackets")
        << 20 << "A task far too long" << 1 << 2 << barLine("A task far too long", 0, 0, " 50% ");
    QTest::newRow("task length counts encoded bytes")
        << 30 << QString::fromUtf8("K\xc3\xb6pfe") << 1 << 2 << barLine("K\xc3\xb6pfe", 7, 7, " 50% ");
}

void tst_TextProgressBar::drawing()
{
    QFETCH(int, width);
    QFETCH(QString, task);
    QFETCH(int, step);
    QFETCH(int, steps);
    QFETCH(QByteArray, expected);
    COMPARE_BYTES(captured(width, [&](ClockedBar &bar) { bar.progress(step, steps, task); }), expected);
}

void tst_TextProgressBar::completion_data()
{
    QTest::addColumn<bool>("showElapsed");
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<QByteArray>("expectedTail");

    QTest::newRow("elapsed time off hides the rate too") << false << qint64(1500) << QByteArray("files") << QByteArray("");
    QTest::newRow("1500 ms in seconds") << true << qint64(1500) << QByteArray() << QByteArray(" in 1.5 seconds");
    QTest::newRow("exactly one second still in milliseconds")
        << true << qint64(1000) << QByteArray() << QByteArray(" in 1000.0 milliseconds");
    QTest::newRow("just over one second in seconds") << true << qint64(1001) << QByteArray() << QByteArray(" in 1.0 seconds");
    QTest::newRow("rate over the elapsed seconds")
        << true << qint64(2000) << QByteArray("files") << QByteArray(" in 2.0 seconds (5.0 files/sec)");
    QTest::newRow("rate with no time elapsed counts one millisecond")
        << true << qint64(0) << QByteArray("KB") << QByteArray(" in 0.0 milliseconds (10000.0 KB/sec)");
}

void tst_TextProgressBar::completion()
{
    QFETCH(bool, showElapsed);
    QFETCH(qint64, elapsed);
    QFETCH(QByteArray, units);
    QFETCH(QByteArray, expectedTail);

    const QByteArray out = captured(80, [&](ClockedBar &bar) {
        bar.setShowElapsedTime(showElapsed);
        bar.elapsed = elapsed;
        bar.progress(0, 10, QString::fromLatin1(copying), units.isNull() ? nullptr : units.constData());
        bar.progress(10);
    });
    COMPARE_BYTES(out, barLine(copying, 0, 57, "  0% ") + barLine(copying, 57, 0, "100% ") + cleared(80)
                           + "Copying files completed" + expectedTail + '\n');
}

void tst_TextProgressBar::clearLine_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("80 columns") << 80 << cleared(80);
    QTest::newRow("width 1 prints only carriage returns") << 1 << QByteArray("\r\r");
    QTest::newRow("width 0 prints only carriage returns") << 0 << QByteArray("\r\r");
}

void tst_TextProgressBar::clearLine()
{
    QFETCH(int, width);
    QFETCH(QByteArray, expected);
    QCOMPARE(captured(width, [](ClockedBar &bar) { bar.clearLine(); }), expected);
}

void tst_TextProgressBar::sequences()
{
    // Calls after completion print nothing.
    COMPARE_BYTES(captured(80, [](ClockedBar &bar) {
                      bar.setShowElapsedTime(false);
                      bar.progress(0, 2, QString::fromLatin1(copying));
                      bar.progress(2);
                      bar.progress(1, 2);
                      bar.progress(2);
                  }),
                  barLine(copying, 0, 57, "  0% ") + barLine(copying, 57, 0, "100% ") + cleared(80)
                      + "Copying files completed\n");
    // Units are forgotten after completion.
    const QByteArray units = captured(40, [](ClockedBar &bar) {
        bar.elapsed = 2000;
        bar.progress(0, 4, QStringLiteral("First"), "KB");
        bar.progress(4);
        bar.progress(0, 4, QStringLiteral("Second"));
        bar.progress(4);
    });
    QVERIFY(units.contains("First completed in 2.0 seconds (2.0 KB/sec)\n"));
    QVERIFY(units.endsWith("Second completed in 2.0 seconds\n"));
    // A single step keeps the stored total; a step of -1 keeps the step.
    COMPARE_BYTES(captured(80, [](ClockedBar &bar) {
                      bar.progress(0, 10, QString::fromLatin1(copying));
                      bar.progress(5);
                      bar.progress(-1, 20);
                  }),
                  barLine(copying, 0, 57, "  0% ") + barLine(copying, 28, 29, " 50% ")
                      + barLine(copying, 14, 43, " 25% "));
    // A message goes above the bar, which is drawn again; without a task only the line.
    COMPARE_BYTES(captured(80, [](ClockedBar &bar) {
                      bar.progress(5, 10, QString::fromLatin1(copying));
                      bar.message(QStringLiteral("/opt/studio/bin/Setup"));
                  }),
                  barLine(copying, 28, 29, " 50% ") + cleared(80) + "/opt/studio/bin/Setup\n"
                      + barLine(copying, 28, 29, " 50% "));
    QCOMPARE(captured(10, [](ClockedBar &bar) { bar.message(QStringLiteral("note")); }), cleared(10) + "note\n");
}

QTEST_APPLESS_MAIN(tst_TextProgressBar)
#include "tst_textprogressbar.moc"
