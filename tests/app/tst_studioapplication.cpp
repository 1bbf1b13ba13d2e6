#include "app/startup/StudioApplication.h"

#include <QtTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

// The test executable doubles as the other instance: "--first ID" prints "ready", then
// the first message received; "--second ID" sends standard input, exits 0 when
// delivered, 3 when it found no first instance.
namespace {

int runHelper(const QByteArray &mode, const QString &id, int &argc, char **argv)
{
    StudioApplication application(id, argc, argv);
    if (mode == "--second") {
        if (!application.isRunning())
            return application.sendMessage("unheard", 1000) ? 4 : 3;
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            return 5;
        return application.sendMessage(QString::fromUtf8(input.readAll()), 5000) ? 0 : 4;
    }
    if (application.isRunning())
        return 3;
    QObject::connect(&application, &StudioApplication::messageReceived, [](const QString &message) {
        std::printf("%s", message.toUtf8().constData());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}

QString applicationId() { return QStringLiteral("Corvane Test Studio %1 Setup").arg(::getpid()); }

bool waitForExit(QProcess *process) { return QTest::qWaitFor([&] { return process->state() == QProcess::NotRunning; }, 10000); }

} // namespace

class TestStudioApplication : public QObject
{
    Q_OBJECT
public:
    explicit TestStudioApplication(const QString &folder) : m_folder(folder) {}

private slots:
    void firstInstanceIsNotRunning();
    void secondInstanceDelivers_data();
    void secondInstanceDelivers();
    void keysKeepInstancesApart_data();
    void keysKeepInstancesApart();
    void firstInstanceInAnyFolder_data();
    void firstInstanceInAnyFolder();

private:
    QProcess *helper(const QString &mode, const QString &id, const QProcessEnvironment &environment);
    QProcessEnvironment environmentFor(const QString &tmpdir, const QString &tmp = QString()) const;

    QString m_folder;
};

QProcessEnvironment TestStudioApplication::environmentFor(const QString &tmpdir, const QString &tmp) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("TMP");
    environment.remove("TEMP");
    environment.insert("TMPDIR", tmpdir);
    if (!tmp.isEmpty())
        environment.insert("TMP", tmp);
    return environment;
}

QProcess *TestStudioApplication::helper(const QString &mode, const QString &id, const QProcessEnvironment &environment)
{
    auto *process = new QProcess(this);
    process->setProcessEnvironment(environment);
    process->start(QCoreApplication::applicationFilePath(), { mode, id });
    return process;
}

void TestStudioApplication::firstInstanceIsNotRunning()
{
    auto *application = qobject_cast<StudioApplication *>(qApp);
    QVERIFY(application);
    QVERIFY2(!application->isRunning(), "the only instance must not see another");
    QVERIFY2(!application->sendMessage("to nobody", 500), "there is nobody to send to");
}

void TestStudioApplication::secondInstanceDelivers_data()
{
    QTest::addColumn<QString>("message");

    QTest::newRow("empty message, as the installer sends") << QString();
    QTest::newRow("non-ASCII text") << QString::fromUtf8("Fenwick \xe2\x80\x93 \xc3\xa9t\xc3\xa9");
    QTest::newRow("large message arriving in pieces") << QString(300000, QLatin1Char('m'));
}

void TestStudioApplication::secondInstanceDelivers()
{
    QFETCH(QString, message);

    QSignalSpy received(qApp, SIGNAL(messageReceived(QString)));
    QProcess *second = helper("--second", applicationId(), environmentFor(m_folder));
    QVERIFY(second->waitForStarted());
    second->write(message.toUtf8());
    second->closeWriteChannel();
    QVERIFY2(QTest::qWaitFor([&] { return received.count() == 1; }, 10000), "no message arrived");
    QCOMPARE(received.first().first().toString(), message);
    QVERIFY2(waitForExit(second), "second hangs");
    QCOMPARE(second->exitCode(), 0);
}

void TestStudioApplication::keysKeepInstancesApart_data()
{
    QTest::addColumn<bool>("sameId");
    QTest::addColumn<QString>("tmpdir"); // "same" for the folder this process uses
    QTest::addColumn<QString>("tmp");
    QTest::addColumn<int>("expectedExit"); // 0 found and delivered, 3 found none

    QTest::newRow("same id and folder") << true << "same" << "" << 0;
    QTest::newRow("same folder named through TMP") << true << "/nonexistent-elsewhere" << "same" << 0;
    QTest::newRow("another product's id") << false << "same" << "" << 3;
    QTest::newRow("another temporary folder") << true << "other" << "" << 3;
}

void TestStudioApplication::keysKeepInstancesApart()
{
    QFETCH(bool, sameId);
    QFETCH(QString, tmpdir);
    QFETCH(QString, tmp);
    QFETCH(int, expectedExit);

    QTemporaryDir other;
    const auto folder = [&](const QString &name) {
        return name == "same" ? m_folder : name == "other" ? other.path() : name;
    };
    QProcess *second = helper("--second", sameId ? applicationId() : applicationId() + " Other",
                              environmentFor(folder(tmpdir), folder(tmp)));
    QVERIFY(second->waitForStarted());
    second->closeWriteChannel();
    QVERIFY2(waitForExit(second), "second hangs");
    QCOMPARE(second->exitCode(), expectedExit);
}

void TestStudioApplication::firstInstanceInAnyFolder_data()
{
    QTest::addColumn<int>("depth");        // extra nested folders below a fresh temporary folder
    QTest::addColumn<bool>("crashBefore"); // a first instance was killed there beforehand

    QTest::newRow("folder too deep for a socket address") << 4 << false;
    QTest::newRow("deep folder after a crashed first instance") << 4 << true;
}

void TestStudioApplication::firstInstanceInAnyFolder()
{
    QFETCH(int, depth);
    QFETCH(bool, crashBefore);

    QTemporaryDir temporary;
    QString folder = temporary.path();
    for (int i = 0; i < depth; ++i)
        folder += "/private-temporary-folder-of-the-installer";
    QVERIFY(QDir().mkpath(folder));
    const QString id = applicationId() + " Elsewhere";
    const QProcessEnvironment environment = environmentFor(folder);

    const auto startFirst = [&] {
        QProcess *first = helper("--first", id, environment);
        const bool ready = QTest::qWaitFor([&] { return first->canReadLine(); }, 10000)
                           && first->readLine() == "ready\n";
        return ready ? first : nullptr;
    };
    if (crashBefore) {
        QProcess *crashed = startFirst();
        QVERIFY2(crashed, "the first instance did not start");
        ::kill(static_cast<pid_t>(crashed->processId()), SIGKILL);
        QVERIFY(waitForExit(crashed));
    }
    QProcess *first = startFirst();
    QVERIFY2(first, "the first instance must start (a crashed one's lock is stale)");

    QProcess *second = helper("--second", id, environment);
    QVERIFY(second->waitForStarted());
    second->write("hello");
    second->closeWriteChannel();
    QVERIFY2(waitForExit(first), "first hangs");
    QCOMPARE(first->readAll(), QByteArray("hello"));
    QVERIFY2(waitForExit(second), "second hangs");
    QCOMPARE(second->exitCode(), 0);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && (qstrcmp(argv[1], "--first") == 0 || qstrcmp(argv[1], "--second") == 0))
        return runHelper(argv[1], QString::fromLocal8Bit(argv[2]), argc, argv);

    // The instance under test lives in a private temporary folder of its own.
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    qunsetenv("TMP");
    qunsetenv("TEMP");
    qputenv("TMPDIR", QFile::encodeName(folder.path()));
    StudioApplication application(applicationId(), argc, argv);
    TestStudioApplication test(folder.path());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_studioapplication.moc"
