#include "app/core/VariableTable.h"
#include "app/startup/InstallerVariables.h"
#include "app/startup/SudoOwnershipRepair.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

class TestInstallerStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void initialValues_data();
    void initialValues();
    void sudoOwnership_data();
    void sudoOwnership();

private:
    QByteArray m_home;
};

void TestInstallerStartup::initTestCase()
{
    m_home = qgetenv("HOME");
}

void TestInstallerStartup::cleanup()
{
    qputenv("HOME", m_home);
    qunsetenv("SUDO_UID");
    qunsetenv("SUDO_GID");
}

void TestInstallerStartup::initialValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expansion");
    const QString home = QString::fromLocal8Bit(qgetenv("HOME"));
    QTest::newRow("product names and settings key")
        << "$(Company)|$(Version)$(AltArch)|$(ProductRegKey)/Installer"
        << "Corvane|4.52a|Corvane/Corvane Fenwick Studio for RISC-V/Installer";
    QTest::newRow("installer folder follows the default destination")
        << "$(InstallerDir)/IConf.xml" << "/usr/share/corvane_fenwick_studio_for_risc-v_4.52a/bin/IConf.xml";
    QTest::newRow("program folder waits for DestName")
        << "$(ProgramFolderDir)|$(ProgramFolderName)" << "Corvane/$(DestName)|$(DestName)";
    QTest::newRow("source and current folders")
        << "$(SrcDir)|$(CurrentDir)"
        << QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() + "|" + QDir::currentPath();
    QTest::newRow("system and user folders") << "$(OSRootDir)|$(OSDir)|$(OSArch)|$(OSAppDir)|$(UserAppDir)|$(HomeDir)"
                                             << "/|/|x86|/usr/share|" + home + "/.local/share|" + home;
}

void TestInstallerStartup::initialValues()
{
    QFETCH(QString, text);
    QFETCH(QString, expansion);
    InstallerVariables::initialise();
    QCOMPARE(expand(text), expansion);
}

void TestInstallerStartup::sudoOwnership_data()
{
    QTest::addColumn<bool>("sudo");
    QTest::addColumn<uint>("configOwner");
    QTest::addColumn<uint>("expectedConfigOwner");
    QTest::addColumn<uint>("expectedCompanyOwner");
    QTest::addColumn<uint>("expectedJoinedOwner");
    QTest::addColumn<uint>("expectedNestedOwner");
    // Under sudo the user is 4321; folders the run made are root's.
    QTest::newRow("not under sudo: nothing changes") << false << 0u << 0u << 0u << 0u << 0u;
    QTest::newRow("config made by the run is handed over")
        << true << 0u << 4321u << 4321u << 4321u << 0u;
    QTest::newRow("the user's own config stays as it is")
        << true << 1000u << 1000u << 4321u << 4321u << 0u;
}

void TestInstallerStartup::sudoOwnership()
{
    QFETCH(bool, sudo);
    QFETCH(uint, configOwner);
    QFETCH(uint, expectedConfigOwner);
    QFETCH(uint, expectedCompanyOwner);
    QFETCH(uint, expectedJoinedOwner);
    QFETCH(uint, expectedNestedOwner);
    if (::geteuid() != 0)
        QSKIP("changing owners needs root");

    QTemporaryDir home;
    QVERIFY2(home.isValid(), "temporary home");
    const QString config = home.path() + QStringLiteral("/.config");
    const QString company = config + QStringLiteral("/Corvane");
    // The product's name follows the company folder's path directly; a folder below the
    // company folder of the same name is not touched.
    const QString joined = company + QStringLiteral("Studio");
    const QString nested = company + QStringLiteral("/Studio");
    for (const QString &folder : {company, joined, nested})
        QVERIFY2(QDir().mkpath(folder), qPrintable(folder));
    QVERIFY(::chown(QFile::encodeName(config).constData(), configOwner, configOwner) == 0);
    if (sudo) {
        qputenv("SUDO_UID", "4321");
        qputenv("SUDO_GID", "4321");
    }
    SudoOwnershipRepair::repair(config, QStringLiteral("Corvane"), QStringLiteral("Studio"));

    const auto owner = [](const QString &path) {
        const QFileInfo info(path);
        return info.ownerId() == info.groupId() ? uint(info.ownerId()) : ~0u;
    };
    QCOMPARE(owner(config), expectedConfigOwner);
    QCOMPARE(owner(company), expectedCompanyOwner);
    QCOMPARE(owner(joined), expectedJoinedOwner);
    QCOMPARE(owner(nested), expectedNestedOwner);
}

QTEST_GUILESS_MAIN(TestInstallerStartup)
#include "tst_installerstartup.moc"
