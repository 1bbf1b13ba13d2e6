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
#include "wizard/pages/InstallCheckBoxDialog.h"
#include "wizard/pages/InstallChooseDestinationDialog.h"
#include "wizard/pages/InstallConfigurationItemCheckBox.h"
#include "wizard/pages/InstallLicenseAgreementDialog.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

// The product's wizard, tree and application driven page by page in this process: an
// installation into a chosen folder, its upgrade and its removal by the uninstaller. The
// only test writing to the sandbox's own /usr/share and /etc; the refresh tools are stand-ins.
class WizardRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installUpgradeRemove();

private:
    QString m_tools;
};

namespace {

const QString product = QStringLiteral("Corvane Fenwick Studio for RISC-V");

// The product application with its end observed instead of taken, so that one process
// can run one installer after the other; the maintenance start reads a given record.
class ObservedApplication : public QuillonInstallerApplication
{
public:
    using QuillonInstallerApplication::QuillonInstallerApplication;
    QString recordPath;
    void quit() override {}

protected:
    QString maintenanceRecordPath() const override
    {
        return recordPath.isEmpty() ? QuillonInstallerApplication::maintenanceRecordPath() : recordPath;
    }
};

struct Installer
{
    std::unique_ptr<ConfigurationList> list;
    ClassicInstallWizard *wizard = nullptr;
    std::unique_ptr<ObservedApplication> application;
    QStringList seen; // the state of every page left with Next

    explicit Installer(const QStringList &arguments, const QString &recordPath = QString())
    {
        InstallerVariables::initialise();
        setVariable("SrcDir", E2e::fixture().release);
        wizard = new ClassicInstallWizard(); // the application's destructor deletes it
        list = std::make_unique<ConfigurationList>();
        application = std::make_unique<ObservedApplication>(
            nullptr, wizard, list.get(), QString::fromUtf8(licenseText()), QString(), QString(), QString(), arguments);
        application->recordPath = recordPath;
        application->start();
    }
    template<typename Page> Page *page() const { return qobject_cast<Page *>(wizard->currentDialog()); }
    // Page id, title, Next, whether Back is offered, and what the page offers to choose.
    QString state() const
    {
        InstallWizardDialog *current = wizard->currentDialog();
        QString state = QString::number(wizard->dialogId(current)) + ' ' + current->title() + " | "
                        + wizard->nextButton()->text() + (wizard->nextButton()->isEnabled() ? "" : " disabled")
                        + (wizard->backButton()->isEnabled() ? "" : " | no Back");
        if (auto *destination = page<InstallChooseDestinationDialog>())
            state += " | " + destination->folderEdit()->text();
        const auto *options = page<InstallCheckBoxDialog>();
        for (int entry = 0; options && entry < options->itemCount(); ++entry) {
            const InstallConfigurationItemCheckBox *box = options->entry(entry);
            state += " | " + box->text(0) + (box->checkState(0) == Qt::Checked ? " [x]" : " [ ]");
        }
        return state;
    }
    QString stateAndText() const { return state() + '\n' + page<InstallTextDialog>()->text(); }
    void next()
    {
        seen << state();
        wizard->nextButton()->click();
    }
    // Welcome, the licence accepted, the destination: the way into every installation.
    void chooseDestination(const QString &folder)
    {
        next();
        seen << state();
        page<InstallLicenseAgreementDialog>()->acceptButton()->click();
        next();
        seen << state();
        page<InstallChooseDestinationDialog>()->folderEdit()->setText(folder);
        next();
    }
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
    m_tools = Sandbox::root() + "/tools";
    QVERIFY(QDir().mkpath(m_tools));
    for (const char *tool : {"update-desktop-database", "update-mime-database", "gtk-update-icon-cache"}) {
        QFile script(m_tools + '/' + tool);
        QVERIFY(script.open(QIODevice::WriteOnly) && script.setPermissions(QFile::ReadOwner | QFile::ExeOwner)
                && script.write("#!/bin/sh\necho \"${0##*/} $*\" >> " + QFile::encodeName(m_tools) + "/calls\n") > 0);
    }
    // The installer runs the system's own tools by their paths: this sandbox's copies of
    // them are the stand-ins.
    for (const char *tool : {"update-desktop-database", "update-mime-database", "gtk-update-icon-cache"})
        QVERIFY2(QProcess::execute("mount", {"--bind", m_tools + '/' + tool, QString("/usr/bin/") + tool}) == 0, tool);
}

void WizardRunsTest::installUpgradeRemove()
{
    // Folders above the destination stay after the removal, empty or not.
    const QString parent = Sandbox::root() + "/wizard";
    const QString destination = parent + "/Fenwick Studio/corvane_fenwick_studio_for_risc-v_4.52a";
    QVERIFY(QDir().mkpath(parent) && QFile(parent + "/keep").open(QIODevice::WriteOnly));
    const QStringList setup = {E2e::fixture().release + "/Setup", "--data-file", E2e::fixture().archive};
    const auto installed = [&] {
        return E2e::installedManifest(Sandbox::root(), destination, E2e::fixture().release);
    };
    const auto refreshCalls = [this](int count) { // the tools run in the background, a line per call
        const QString log = m_tools + "/calls";
        const auto calls = [&] { return QString::fromUtf8(E2e::readFile(log)).split('\n', Qt::SkipEmptyParts); };
        (void)QTest::qWaitFor([&] { return calls().size() >= count; }, 10000);
        QStringList seen = calls();
        QFile::remove(log);
        seen.sort();
        return seen;
    };
    const QString complete = ".<p>Click Finish to complete the installation.";
    const QStringList installRefresh = {"gtk-update-icon-cache -q /usr/share/icons/hicolor",
                                        "update-desktop-database -q /usr/share/applications",
                                        "update-mime-database /usr/share/mime"};
    {
        Installer installer(setup);
        installer.chooseDestination(destination);
        installer.next();
        installer.next();
        // The rules folder exists without the rules file: the component is offered ticked.
        QCOMPARE(installer.seen, QStringList({"1 Welcome | &Next> | no Back",
                                              "20 License Agreement | &Next> disabled",
                                              "20 License Agreement | &Next>",
                                              "3 Choose Destination Location | &Next> | " + E2e::defaultDestination,
                                              "3 Choose Destination Location | &Next> | " + destination,
                                              "7 Additional Components | &Next> | Install Vantor udev rules file [x]",
                                              "11 Start Installation | &Install"}));
        QCOMPARE(installer.stateAndText(),
                 "17 Install Complete | &Finish | no Back\n" + product + " 4.52a has now been installed" + complete);
        installer.next();
        QCOMPARE(installer.application->result(), 1);
    }
    QCOMPARE(installed(), E2e::goldenManifest());
    QCOMPARE(refreshCalls(3), installRefresh);
    {
        Installer installer(setup);
        installer.chooseDestination(destination);
        QCOMPARE(installer.state(), QString("15 Start Upgrade | &Upgrade | no Back"));
        installer.next();
        QCOMPARE(installer.stateAndText(),
                 "17 Upgrade Complete | &Finish | no Back\n" + product + " 4.52a has now been upgraded" + complete);
        installer.next();
        QCOMPARE(installer.application->result(), 1);
    }
    QCOMPARE(installed(), E2e::goldenManifest());
    QCOMPARE(refreshCalls(3), installRefresh);
    {
        Installer installer({destination + "/bin/uninstall"}, destination + "/bin/IConf.xml");
        const QString removal = installer.stateAndText();
        QVERIFY2(removal.startsWith("12 Start Removal | &Remove | no Back\n<p>To start removal of <b>" + product
                                    + "</b>, click <b>Remove</b>")
                     && removal.endsWith("in <b>Corvane Fenwick Studio</b>.</p>"),
                 qPrintable(removal));
        installer.next();
        QCOMPARE(installer.stateAndText(), "17 Uninstall Complete | &Finish | no Back\n" + product
                     + " 4.52a had now been uninstalled.<p>Click Finish to close the installer.");
        installer.next();
        QCOMPARE(installer.application->result(), 2); // a removal ends with status 1
    }
    // The product, its menu entry and its settings (file and folder) go; what other programs
    // may rely on stays: the MIME types, their icons and the device rules.
    QStringList remaining;
    for (const QString &entry : E2e::goldenManifest()) {
        if (!entry.startsWith("share/corvane_fenwick_studio") && !entry.startsWith("share/applications/corvane")
            && !entry.startsWith("etc/xdg/Corvane/"))
            remaining << entry;
    }
    QCOMPARE(installed(), remaining);
    QCOMPARE(QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"Fenwick Studio", "keep"}));
    QVERIFY2(QDir(parent + "/Fenwick Studio").isEmpty(), "only the destination itself is removed");
    QCOMPARE(refreshCalls(1), QStringList{"update-desktop-database -q /usr/share/applications"});
}

STUDIO_TEST_CLASS(WizardRunsTest)
#include "WizardRunsTest.moc"
