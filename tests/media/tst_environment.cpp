#include "media/platform/Environment.h"

#include <QtTest>

namespace {

// Sets a variable (a null value unsets it) until the end of the scope.
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : m_name(name), m_saved(qgetenv(name)), m_wasSet(qEnvironmentVariableIsSet(name))
    {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~ScopedVariable() { m_wasSet ? qputenv(m_name.constData(), m_saved) : qunsetenv(m_name.constData()); }
private:
    QByteArray m_name, m_saved;
    bool m_wasSet;
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
}

void TestEnvironment::temporaryFolder()
{
    QFETCH(QByteArray, tmp);
    QFETCH(QByteArray, temp);
    QFETCH(QByteArray, tmpdir);
    QFETCH(QString, expected);

    const ScopedVariable a("TMP", tmp), b("TEMP", temp), c("TMPDIR", tmpdir);
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

    const ScopedVariable variable("HOME", home);
    QCOMPARE(Platform::homeFolder(), expectedHome);
    QCOMPARE(Platform::userShareFolder(), expectedShare);
}

void TestEnvironment::executableLocation()
{
    const QString expected = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    QCOMPARE(QFileInfo(Platform::executablePath()).canonicalFilePath(), expected);
    QCOMPARE(Platform::executableFolder(), QFileInfo(Platform::executablePath()).absolutePath());
}

QTEST_GUILESS_MAIN(TestEnvironment)
#include "tst_environment.moc"
