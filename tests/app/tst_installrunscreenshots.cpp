// Pictures of the wizard as the installation run shows it: each page reached by pressing
// the real buttons, with the texts the run puts on the result pages. Does nothing unless
// SCREENSHOT_DIR names the folder to write into (run it under xvfb-run to review).
#include "app/application/QuillonInstallerApplication.h"
#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "app/startup/InstallerVariables.h"
#include "configuration/model/InstallConfigurationList.h"
#include "resources/LicenseText.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/frame/UnattendedRun.h"
#include "wizard/pages/InstallLicenseAgreementDialog.h"

#include <QDir>
#include <QPointer>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

class TestInstallRunScreenshots : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void runPages_data();
    void runPages();

private:
    QString m_folder;
};

namespace {

class Component : public InstallConfigurationItem
{
public:
    Component(InstallConfigurationItem *parent, const QString &name, int level, bool fails)
        : InstallConfigurationItem(parent, name, QStringLiteral("The %1").arg(name), level, true),
          m_fails(fails)
    {
    }

protected:
    void doInstall() override
    {
        if (m_fails)
            throw InstallException(QStringLiteral("Cannot create folder $(DestDir)/html"));
    }

private:
    bool m_fails;
};

class ShownApplication : public QuillonInstallerApplication
{
public:
    using QuillonInstallerApplication::QuillonInstallerApplication;
    void quit() override {}
};

} // namespace

void TestInstallRunScreenshots::initTestCase()
{
    m_folder = qEnvironmentVariable("SCREENSHOT_DIR");
    if (m_folder.isEmpty())
        QSKIP("SCREENSHOT_DIR is not set");
    QVERIFY(QDir().mkpath(m_folder));
}

void TestInstallRunScreenshots::runPages_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("failing");
    QTest::addColumn<QString>("script");
    // Each word is a press of Next (or "accept" on the licence page); a picture is taken
    // of every page on the way, named after the row and the page id.
    QTest::newRow("install") << "Setup" << false << "1 next 20 accept 20 next 3 next 7 next 11 next 17";
    QTest::newRow("failure") << "Setup" << true << "1 next 20 accept next 3 next 7 next 11 next 18";
    QTest::newRow("removal") << "uninstall" << false << "12 next 17";
}

void TestInstallRunScreenshots::runPages()
{
    QFETCH(QString, program);
    QFETCH(bool, failing);
    QFETCH(QString, script);

    QTemporaryDir folder;
    InstallerVariables::initialise();
    setVariable(QStringLiteral("DestDir"), folder.path() + QStringLiteral("/corvane_fenwick_studio"));
    QVERIFY(QDir().mkpath(expand(QStringLiteral("$(InstallerDir)"))));

    InstallConfigurationList list;
    auto *group = new InstallConfigurationItem(&list, QStringLiteral("$(Product) $(Version)"), QString(), 0, true);
    new Component(group, QStringLiteral("Binary Files"), 0, false);
    new Component(group, QStringLiteral("Help Files"), 0, failing);
    new Component(group, QStringLiteral("Vantor udev rules file"), 4, false);
    list.checkWillInstall();
    if (program == QLatin1String("uninstall"))
        list.setInstalled(InstallConfigurationItem::fullyInstalled, true);

    QPointer<ClassicInstallWizard> wizard = new ClassicInstallWizard();
    auto *application = new ShownApplication(nullptr, wizard, &list, QString::fromUtf8(licenseText()),
                                             QString(), QString(), QString(),
                                             {expand(QStringLiteral("$(InstallerDir)/")) + program});
    if (failing)
        UnattendedRun::setActive(true); // the item's question answers "terminate" by itself
    application->start();
    int shot = 0;
    for (const QString &token : script.split(QLatin1Char(' '))) {
        if (token == QLatin1String("next")) {
            wizard->nextButton()->click();
        } else if (token == QLatin1String("accept")) {
            qobject_cast<InstallLicenseAgreementDialog *>(wizard->currentDialog())->acceptButton()->click();
        } else {
            QCOMPARE(wizard->dialogId(wizard->currentDialog()), token.toInt());
            QVERIFY(QTest::qWaitForWindowExposed(wizard));
            const QString name = QStringLiteral("run-%1-%2-page%3.png")
                                     .arg(QString::fromLatin1(QTest::currentDataTag()))
                                     .arg(++shot)
                                     .arg(token);
            QVERIFY2(wizard->grab().save(QDir(m_folder).filePath(name)), qPrintable(name));
        }
    }
    UnattendedRun::setActive(false);
    delete application;
    delete wizard.data();
}

QTEST_MAIN(TestInstallRunScreenshots)
#include "tst_installrunscreenshots.moc"
