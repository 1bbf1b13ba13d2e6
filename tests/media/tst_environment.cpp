#include "media/platform/Environment.h"

#include <QtTest>

namespace {

// Sets or unsets variables for one test and puts the old values back afterwards.
class ScopedEnvironment
{
public:
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.constBegin(); it != m_saved.constEnd(); ++it) {
            if (it.value().isNull())
                qunsetenv(it.key().constData());
            else
                qputenv(it.key().constData(), it.value());
        }
    }
    // A null value unsets the variable.
    void set(const char *name, const QByteArray &value)
    {
        if (!m_saved.contains(name))
            m_saved.insert(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
private:
    QMap<QByteArray, QByteArray> m_saved;
};

const QByteArray unset; // null: the variable is removed
const QByteArray empty(""); // set, but to the empty string

} // namespace

class TestEnvironment : public QObject
{
    Q_OBJECT

private slots:
    void temporaryFolder_data();
    void temporaryFolder();
    void homeAndShareFolders_data();
    void homeAndShareFolders();
    void executableLocation();
};

void TestEnvironment::temporaryFolder_data()
{
    QTest::addColumn<QByteArray>("tmp");
    QTest::addColumn<QByteArray>("temp");
    QTest::addColumn<QByteArray>("tmpdir");
    QTest::addColumn<QString>("expected");

    QTest::newRow("TMP wins") << QByteArray("/a") << QByteArray("/b") << QByteArray("/c") << "/a";
    QTest::newRow("empty TMP falls through to TEMP") << empty << QByteArray("/var/tmp") << unset << "/var/tmp";
    QTest::newRow("TMPDIR after both") << unset << empty << QByteArray("/private/t") << "/private/t";
    QTest::newRow("nothing set") << unset << unset << unset << "/tmp";
    QTest::newRow("all set but empty") << empty << empty << empty << "/tmp";
}

void TestEnvironment::temporaryFolder()
{
    QFETCH(QByteArray, tmp);
    QFETCH(QByteArray, temp);
    QFETCH(QByteArray, tmpdir);
    QFETCH(QString, expected);

    ScopedEnvironment environment;
    environment.set("TMP", tmp);
    environment.set("TEMP", temp);
    environment.set("TMPDIR", tmpdir);
    QCOMPARE(Platform::temporaryFolder(), expected);
}

void TestEnvironment::homeAndShareFolders_data()
{
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QString>("expectedHome");
    QTest::addColumn<QString>("expectedShare");

    QTest::newRow("home set") << QByteArray("/home/user") << "/home/user" << "/home/user/.local/share";
    QTest::newRow("no home") << unset << "" << "";
}

void TestEnvironment::homeAndShareFolders()
{
    QFETCH(QByteArray, home);
    QFETCH(QString, expectedHome);
    QFETCH(QString, expectedShare);

    ScopedEnvironment environment;
    environment.set("HOME", home);
    QCOMPARE(Platform::homeFolder(), expectedHome);
    QCOMPARE(Platform::userShareFolder(), expectedShare);
}

void TestEnvironment::executableLocation()
{
    const QString expected = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    QCOMPARE(QFileInfo(Platform::executablePath()).canonicalFilePath(), expected);
    QCOMPARE(Platform::executableFolder(), QFileInfo(Platform::executablePath()).absolutePath());
    QVERIFY2(QFileInfo(Platform::executableFolder()).isAbsolute(), "the folder must be absolute");
}

QTEST_GUILESS_MAIN(TestEnvironment)
#include "tst_environment.moc"
