#include "E2eSupport.h"

#include "app/application/QuillonInstallerApplication.h"
#include "app/core/VariableTable.h"
#include "app/run/InstallerVariables.h"
#include "common/Sandbox.h"
#include "common/TestMain.h"
#include "configuration/product/ConfigurationList.h"
#include "resources/LicenseText.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallPushButton.h"
#include "app/queries/InstallQuestions.h"
#include "wizard/pages/InstallChooseDestinationDialog.h"
#include "wizard/pages/InstallLicenseAgreementDialog.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

// The product's wizard, tree and application driven page by page in this process: an
// installation into a chosen folder. The only test writing to the sandbox's own /usr/share
// and /etc.
class WizardRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installIntoAChosenFolder();
};

namespace {

// The product application with its end observed instead of taken.
class ObservedApplication : public QuillonInstallerApplication
{
public:
    using QuillonInstallerApplication::QuillonInstallerApplication;
    void quit() override {}
};

} // namespace

void WizardRunsTest::initTestCase()
{
    // A question nobody expects is answered at once instead of waiting for a click.
    InstallQuestions::install(nullptr);
    E2e::fixture(); // also sets the file-creation mask
    for (const char *folder : {"/share", "/etc", "/xdg"}) // made under whatever mask the tests started with
        QVERIFY(::chmod(QFile::encodeName(Sandbox::root() + folder).constData(), 0755) == 0);
    QVERIFY(QDir().mkpath("/etc/udev/rules.d"));
    // The installer runs the refresh tools by their system paths, in the background; stand-ins
    // that do nothing take their place (the engine's runs check their calls).
    const QString standIn = Sandbox::root() + "/refresh";
    QVERIFY(E2e::writeFile(standIn, "#!/bin/sh\n", QFile::ReadOwner | QFile::ExeOwner));
    for (const char *tool : {"update-desktop-database", "update-mime-database", "gtk-update-icon-cache"})
        QVERIFY2(QProcess::execute("mount", {"--bind", standIn, QString("/usr/bin/") + tool}) == 0, tool);
}

// The pages' texts and buttons are those of texts.golden.txt, the messages those of the engine's
// runs; what a removal leaves is that of the quiet removal.
void WizardRunsTest::installIntoAChosenFolder()
{
    const QString destination = Sandbox::root() + "/wizard/Fenwick Studio/corvane_fenwick_studio_for_risc-v_4.52a";
    InstallerVariables::initialise();
    setVariable("SrcDir", E2e::fixture().release);
    auto *wizard = new ClassicInstallWizard(); // the application's destructor deletes it
    const auto list = std::make_unique<ConfigurationList>();
    ObservedApplication application(nullptr, wizard, list.get(), QString::fromUtf8(licenseText()), QString(), QString(),
                                    QString(), {E2e::fixture().release + "/Setup", "--data-file", E2e::fixture().archive});
    application.start();
    QList<int> seen; // every page left with Next
    const auto next = [&] {
        seen << wizard->dialogId(wizard->currentDialog());
        wizard->nextButton()->click();
    };
    next();
    qobject_cast<InstallLicenseAgreementDialog *>(wizard->currentDialog())->acceptButton()->click();
    next();
    qobject_cast<InstallChooseDestinationDialog *>(wizard->currentDialog())->folderEdit()->setText(destination);
    next();
    next();
    next();
    QCOMPARE(seen, (QList<int>{1, 20, 3, 7, 11}));
    QCOMPARE(wizard->dialogId(wizard->currentDialog()), 17);
    next();
    QCOMPARE(application.result(), 1);
    QCOMPARE(E2e::installedManifest(Sandbox::root(), destination, E2e::fixture().release), E2e::goldenManifest());
}

STUDIO_TEST_CLASS(WizardRunsTest)
#include "WizardRunsTest.moc"
