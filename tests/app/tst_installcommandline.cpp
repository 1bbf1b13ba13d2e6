#include "app/application/InstallApplication.h"
#include "app/application/InstallCommandLine.h"

#include <QtTest>

class TestInstallCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void runFlags_data();
    void runFlags();
    void unknownOption_data();
    void unknownOption();
    void assignments_data();
    void assignments();
    void uninstallerName_data();
    void uninstallerName();
    void payload_data();
    void payload();
};

namespace {

QStringList line(const QString &arguments)
{
    QStringList list{QStringLiteral("/opt/release/Setup")};
    if (!arguments.isEmpty())
        list += arguments.split(QLatin1Char(' '));
    return list;
}

QString describe(const QList<InstallCommandLine::Assignment> &assignments)
{
    QStringList parts;
    for (const InstallCommandLine::Assignment &a : assignments)
        parts << a.name + (a.isPath ? QStringLiteral(":=") : QStringLiteral("=")) + a.value;
    return parts.join(QLatin1Char('|'));
}

} // namespace

void TestInstallCommandLine::runFlags_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<quint32>("flags");
    const quint32 quiet = InstallApplication::Quiet;
    const quint32 accept = InstallApplication::AcceptLicense;
    QTest::newRow("nothing") << line(QString()) << 0u;
    QTest::newRow("--quiet") << line("--quiet") << quiet;
    QTest::newRow("-s") << line("-s") << quiet;
    QTest::newRow("quiet and accept") << line("-s --accept-license") << (quiet | accept);
    QTest::newRow("no-upgrade changes nothing") << line("--no-upgrade") << 0u;
    QTest::newRow("-s as the value of --set is no flag") << line("--set -s") << 0u;
    QTest::newRow("--quiet as the data file is no flag") << line("--data-file --quiet") << 0u;
    QTest::newRow("flags read before an unknown option")
        << line("--quiet --bogus --accept-license") << quiet;
}

void TestInstallCommandLine::runFlags()
{
    QFETCH(QStringList, arguments);
    QFETCH(quint32, flags);
    const InstallCommandLine commandLine(arguments);
    QCOMPARE(commandLine.runFlags(), flags);
    QCOMPARE(commandLine.isQuiet(), (flags & InstallApplication::Quiet) != 0);
}

void TestInstallCommandLine::unknownOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("unknown");
    QTest::newRow("known options only") << line("--quiet --remove --repair --modify") << QString();
    QTest::newRow("option of copy-files mode")
        << line("--hide-progress") << QStringLiteral("--hide-progress");
    QTest::newRow("upper-case short flag") << line("-S") << QStringLiteral("-S");
    QTest::newRow("option with its value joined")
        << line("--destination=/opt/x") << QStringLiteral("--destination=/opt/x");
    QTest::newRow("first unknown one is named")
        << line("--quiet --first --second") << QStringLiteral("--first");
    QTest::newRow("help is not the installer's")
        << line("--help") << QStringLiteral("--help");
}

void TestInstallCommandLine::unknownOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, unknown);
    const InstallCommandLine commandLine(arguments);
    QCOMPARE(commandLine.error(), unknown.isEmpty() ? QString() : "Unknown command line option: '" + unknown + "'");
    QCOMPARE(commandLine.isValid(), unknown.isEmpty());
}

void TestInstallCommandLine::assignments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("set name=value") << line("--set A=b") << QStringLiteral("A=b");
    QTest::newRow("value keeps later equals signs") << line("--set A=b=c") << QStringLiteral("A=b=c");
    QTest::newRow("leading equals sign is ignored") << line("--set =x") << QString();
    QTest::newRow("set at the end has no value") << line("--set") << QString();
    QTest::newRow("destination") << line("--destination /opt/x") << QStringLiteral("DestDir=/opt/x");
    QTest::newRow("destination taking an option as its value")
        << line("--destination --quiet") << QStringLiteral("DestDir=--quiet");
    QTest::newRow("order is kept")
        << line("--set DestDir=/a --destination /b --set X=1")
        << QStringLiteral("DestDir=/a|DestDir=/b|X=1");
    const QString userShare = QString::fromLocal8Bit(qgetenv("HOME")) + QStringLiteral("/.local/share");
    QTest::newRow("user mode moves the system folder below home")
        << line("--user-mode-install") << QStringLiteral("OSAppDir:=") + userShare;
    QTest::newRow("user mode after a set keeps the order")
        << line("--set OSAppDir=/x --user-mode-install")
        << QStringLiteral("OSAppDir=/x|OSAppDir:=") + userShare;
}

void TestInstallCommandLine::assignments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const InstallCommandLine commandLine(arguments);
    QVERIFY2(commandLine.isValid(), qPrintable(commandLine.error()));
    QCOMPARE(describe(commandLine.assignments()), expected);
}

void TestInstallCommandLine::uninstallerName_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("uninstaller");
    QTest::newRow("the installer") << QStringLiteral("/opt/release/Setup") << false;
    QTest::newRow("the copy left in an installation")
        << QStringLiteral("/usr/share/x/bin/uninstall") << true;
    QTest::newRow("mixed case inside a longer name") << QStringLiteral("./Studio-UnInstall.bin") << true;
    QTest::newRow("only a folder says uninstall")
        << QStringLiteral("/tmp/uninstall/Setup") << false;
}

void TestInstallCommandLine::uninstallerName()
{
    QFETCH(QString, program);
    QFETCH(bool, uninstaller);
    const InstallCommandLine commandLine(program.isEmpty() ? QStringList() : QStringList{program});
    QCOMPARE(commandLine.programIsUninstaller(), uninstaller);
}

void TestInstallCommandLine::payload_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("dataFile");
    QTest::addColumn<quint32>("offset");
    QTest::newRow("file without offset") << line("--data-file /p/a.pkg") << QStringLiteral("/p/a.pkg") << 0u;
    QTest::newRow("hexadecimal offset") << line("--data-file a --data-offset 1A00") << QStringLiteral("a") << 6656u;
    QTest::newRow("not a number reads as 0") << line("--data-file a --data-offset xyz") << QStringLiteral("a") << 0u;
    QTest::newRow("later file replaces earlier")
        << line("--data-file a --data-file b") << QStringLiteral("b") << 0u;
}

void TestInstallCommandLine::payload()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, dataFile);
    QFETCH(quint32, offset);
    const InstallCommandLine commandLine(arguments);
    QCOMPARE(commandLine.dataFile(), dataFile);
    QCOMPARE(commandLine.dataOffset(), offset);
}

QTEST_GUILESS_MAIN(TestInstallCommandLine)
#include "tst_installcommandline.moc"
