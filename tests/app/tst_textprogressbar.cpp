#include "app/console/TextProgressBar.h"

#include <QtTest>

#include <cstdio>
#include <functional>

namespace {

// A bar whose clock is set by the test, so completion lines are exact.
class ClockedBar : public TextProgressBar
{
public:
    ClockedBar(int width, FILE *output) : TextProgressBar(width, output) {}
    qint64 elapsed = 0;

protected:
    qint64 elapsedMilliseconds() const override { return elapsed; }
};

// Everything the bar prints while `drive` runs, byte for byte.
QByteArray captured(int width, const std::function<void(ClockedBar &)> &drive)
{
    QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("bar.out")));
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

QByteArray cleared(int width)
{
    return '\r' + QByteArray(qMax(0, width - 1), ' ') + '\r';
}

QByteArray barLine(const QByteArray &task, int stars, int dots, const char *percent)
{
    return '\r' + task + " [" + QByteArray(stars, '*') + QByteArray(dots, '.') + "] " + percent;
}

QByteArray visible(QByteArray bytes)
{
    return bytes.replace('\r', "<CR>").replace('\n', "<LF>");
}

} // namespace

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
    void laterCallsAfterCompletionPrintNothing();
    void unitsAreForgottenAfterCompletion();
    void singleStepKeepsStoredTotal();
    void messageGoesAboveTheBar();
    void messageWithoutTaskOnlyPrintsTheLine();
    void slotsInTheirOrder();
};

void tst_TextProgressBar::drawing_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("task");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray copying("Copying files");
    QTest::newRow("80 columns, step 5 of 10: 57 cells, 28 filled")
        << 80 << "Copying files" << 5 << 10 << barLine(copying, 28, 29, " 50% ");
    QTest::newRow("step 0 draws an empty bar")
        << 80 << "Copying files" << 0 << 10 << barLine(copying, 0, 57, "  0% ");
    QTest::newRow("one third truncates the cells")
        << 80 << "Copying files" << 1 << 3 << barLine(copying, 19, 38, " 33% ");
    QTest::newRow("29 of 100 is computed in floating point and truncated")
        << 80 << "Copying files" << 29 << 100 << barLine(copying, 16, 41, " 28% ");
    QTest::newRow("99 of 100 is not rounded up")
        << 80 << "Copying files" << 99 << 100 << barLine(copying, 56, 1, " 99% ");
    QTest::newRow("narrow terminal")
        << 30 << "Copying files" << 1 << 2 << barLine(copying, 3, 4, " 50% ");
    QTest::newRow("task as long as width minus 10 has no cells")
        << 20 << "0123456789" << 1 << 2 << barLine("0123456789", 0, 0, " 50% ");
    QTest::newRow("task longer than width minus 10 prints only brackets")
        << 20 << "A task far too long" << 1 << 2 << barLine("A task far too long", 0, 0, " 50% ");
    QTest::newRow("task length counts encoded bytes")
        << 30 << QString::fromUtf8("K\xc3\xb6pfe") << 1 << 1 * 2
        << barLine("K\xc3\xb6pfe", 7, 7, " 50% ");
}

void tst_TextProgressBar::drawing()
{
    QFETCH(int, width);
    QFETCH(QString, task);
    QFETCH(int, step);
    QFETCH(int, steps);
    QFETCH(QByteArray, expected);

    const QByteArray out = captured(width, [&](ClockedBar &bar) { bar.progress(step, steps, task); });
    QVERIFY2(out == expected, qPrintable(visible(out) + "\nwanted\n" + visible(expected)));
}

void tst_TextProgressBar::completion_data()
{
    QTest::addColumn<bool>("showElapsed");
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<QByteArray>("expectedTail");

    QTest::newRow("elapsed time off") << false << qint64(1500) << QByteArray() << QByteArray("");
    QTest::newRow("elapsed time off hides the rate too")
        << false << qint64(1500) << QByteArray("files") << QByteArray("");
    QTest::newRow("1500 ms in seconds") << true << qint64(1500) << QByteArray()
                                        << QByteArray(" in 1.5 seconds");
    QTest::newRow("900 ms in milliseconds") << true << qint64(900) << QByteArray()
                                            << QByteArray(" in 900.0 milliseconds");
    QTest::newRow("exactly one second still in milliseconds")
        << true << qint64(1000) << QByteArray() << QByteArray(" in 1000.0 milliseconds");
    QTest::newRow("just over one second in seconds")
        << true << qint64(1001) << QByteArray() << QByteArray(" in 1.0 seconds");
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
        bar.progress(0, 10, QStringLiteral("Copying files"),
                     units.isNull() ? nullptr : units.constData());
        bar.progress(10);
    });
    const QByteArray expected = barLine("Copying files", 0, 57, "  0% ")
        + barLine("Copying files", 57, 0, "100% ") + cleared(80) + "Copying files completed"
        + expectedTail + '\n';
    QVERIFY2(out == expected, qPrintable(visible(out) + "\nwanted\n" + visible(expected)));
}

void tst_TextProgressBar::clearLine_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("80 columns") << 80 << cleared(80);
    QTest::newRow("width 2 prints one space") << 2 << QByteArray("\r \r");
    QTest::newRow("width 1 prints only carriage returns") << 1 << QByteArray("\r\r");
    QTest::newRow("width 0 prints only carriage returns") << 0 << QByteArray("\r\r");
}

void tst_TextProgressBar::clearLine()
{
    QFETCH(int, width);
    QFETCH(QByteArray, expected);
    const QByteArray out = captured(width, [](ClockedBar &bar) { bar.clearLine(); });
    QCOMPARE(out, expected);
}

void tst_TextProgressBar::laterCallsAfterCompletionPrintNothing()
{
    const QByteArray out = captured(80, [](ClockedBar &bar) {
        bar.setShowElapsedTime(false);
        bar.progress(0, 2, QStringLiteral("Copying files"));
        bar.progress(2);
        bar.progress(2);
        bar.progress(1, 2);
        bar.progress(2);
    });
    const QByteArray expected = barLine("Copying files", 0, 57, "  0% ")
        + barLine("Copying files", 57, 0, "100% ") + cleared(80) + "Copying files completed\n";
    QVERIFY2(out == expected, qPrintable(visible(out)));
}

void tst_TextProgressBar::unitsAreForgottenAfterCompletion()
{
    const QByteArray out = captured(40, [](ClockedBar &bar) {
        bar.elapsed = 2000;
        bar.progress(0, 4, QStringLiteral("First"), "KB");
        bar.progress(4);
        bar.progress(0, 4, QStringLiteral("Second"));
        bar.progress(4);
    });
    QVERIFY2(out.contains("First completed in 2.0 seconds (2.0 KB/sec)\n"), qPrintable(visible(out)));
    QVERIFY2(out.endsWith("Second completed in 2.0 seconds\n"), qPrintable(visible(out)));
}

void tst_TextProgressBar::singleStepKeepsStoredTotal()
{
    const QByteArray out = captured(80, [](ClockedBar &bar) {
        bar.progress(0, 10, QStringLiteral("Copying files"));
        bar.progress(5);
        bar.progress(-1, 20);
    });
    const QByteArray expected = barLine("Copying files", 0, 57, "  0% ")
        + barLine("Copying files", 28, 29, " 50% ") + barLine("Copying files", 14, 43, " 25% ");
    QVERIFY2(out == expected, qPrintable(visible(out)));
}

void tst_TextProgressBar::messageGoesAboveTheBar()
{
    const QByteArray out = captured(80, [](ClockedBar &bar) {
        bar.progress(5, 10, QStringLiteral("Copying files"));
        bar.message(QStringLiteral("/opt/studio/bin/Setup"));
    });
    const QByteArray expected = barLine("Copying files", 28, 29, " 50% ") + cleared(80)
        + "/opt/studio/bin/Setup\n" + barLine("Copying files", 28, 29, " 50% ");
    QVERIFY2(out == expected, qPrintable(visible(out)));
}

void tst_TextProgressBar::messageWithoutTaskOnlyPrintsTheLine()
{
    const QByteArray out = captured(10, [](ClockedBar &bar) { bar.message(QStringLiteral("note")); });
    QCOMPARE(out, cleared(10) + "note\n");
}

void tst_TextProgressBar::slotsInTheirOrder()
{
    const QMetaObject &meta = TextProgressBar::staticMetaObject;
    QStringList slotSignatures;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Slot)
            slotSignatures << QString::fromLatin1(meta.method(i).methodSignature());
    }
    const QStringList expected{
        "progress(int,int,QString,const char*)", "progress(int,int,QString)", "progress(int,int)",
        "progress(int)", "message(QString)", "clearLine()", "setShowElapsedTime(bool)"};
    QVERIFY2(slotSignatures == expected, qPrintable(slotSignatures.join(QStringLiteral(", "))));
    QCOMPARE(QString::fromLatin1(meta.className()), QStringLiteral("TextProgressBar"));
}

QTEST_APPLESS_MAIN(tst_TextProgressBar)
#include "tst_textprogressbar.moc"
