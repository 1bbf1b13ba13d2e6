#include "media/platform/ProcessRunner.h"

#include <QtTest>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

const QString bothStreams = QStringLiteral("echo out; echo err >&2");

} // namespace

class TestProcessRunner : public QObject
{
    Q_OBJECT

private slots:
    void redirections_data();
    void redirections();
    void exitStatusWhenWaiting_data();
    void exitStatusWhenWaiting();
    void startWithoutWaiting();
};

void TestProcessRunner::redirections_data()
{
    QTest::addColumn<QStringList>("redirection");
    QTest::addColumn<QByteArray>("expected"); // of "log", which held "old\n" before

    QTest::newRow("> truncates") << QStringList{ ">", "log" } << QByteArray("out\n");
    QTest::newRow("1> truncates") << QStringList{ "1>", "log" } << QByteArray("out\n");
    QTest::newRow(">> appends") << QStringList{ ">>", "log" } << QByteArray("old\nout\n");
    QTest::newRow("2> takes the errors only") << QStringList{ "2>", "log" } << QByteArray("err\n");
    QTest::newRow("2>> appends the errors") << QStringList{ "2>>", "log" } << QByteArray("old\nerr\n");
    QTest::newRow("&> takes both") << QStringList{ "&>", "log" } << QByteArray("out\nerr\n");
    QTest::newRow("&>> appends both") << QStringList{ "&>>", "log" } << QByteArray("old\nout\nerr\n");
    QTest::newRow("two files, arguments after the token dropped")
        << QStringList{ "2>", "errors", "ignored", ">", "log" } << QByteArray("out\n");
}

void TestProcessRunner::redirections()
{
    QFETCH(QStringList, redirection);
    QFETCH(QByteArray, expected);

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    QFile old(temporary.path() + "/log");
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\n") == 4 && old.flush());

    // Relative file names are found in the working folder.
    const QStringList command = QStringList{ "sh", "-c", bothStreams } + redirection;
    QCOMPARE(Platform::runProcess(command, temporary.path(), true), 0);
    QCOMPARE(readFile(temporary.path() + "/log"), expected);
    if (redirection.contains("errors"))
        QCOMPARE(readFile(temporary.path() + "/errors"), QByteArray("err\n"));
}

void TestProcessRunner::exitStatusWhenWaiting_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("expected");

    QTest::newRow("success") << QStringList{ "true" } << 0;
    QTest::newRow("small status") << QStringList{ "sh", "-c", "exit 3" } << 3;
    QTest::newRow("status above 127 is negative") << QStringList{ "sh", "-c", "exit 200" } << -56;
    QTest::newRow("program not found") << QStringList{ "studio-no-such-program-here" } << -1;
    QTest::newRow("only a redirection") << QStringList{ ">", "file" } << -1;
    QTest::newRow("runs in the working folder")
        << QStringList{ "sh", "-c", "test -f marker" } << 0;
}

void TestProcessRunner::exitStatusWhenWaiting()
{
    QFETCH(QStringList, command);
    QFETCH(int, expected);

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    QVERIFY(QFile(temporary.path() + "/marker").open(QIODevice::WriteOnly));
    QCOMPARE(Platform::runProcess(command, temporary.path(), true), expected);
}

void TestProcessRunner::startWithoutWaiting()
{
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QString log = temporary.path() + "/log";

    // 0, or the status if the child already ended.
    const int started = Platform::runProcess({ "sh", "-c", "echo done; exit 7", ">", log }, QString(), false);
    QVERIFY2(started == 0 || started == 7, qPrintable(QString::number(started)));
    QVERIFY2(QTest::qWaitFor([&] { return readFile(log) == "done\n"; }, 10000),
             "the output of a command started without waiting must reach its file");
}

QTEST_GUILESS_MAIN(TestProcessRunner)
#include "tst_processrunner.moc"
