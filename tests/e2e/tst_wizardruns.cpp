#include "common/ObservedApplication.h"
#include "common/Sandbox.h"

#include "app/application/QuillonInstallerApplication.h"
#include "app/core/VariableTable.h"
#include "app/startup/InstallerVariables.h"
#include "configuration/product/ConfigurationList.h"
#include "resources/LicenseText.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/frame/UnattendedRun.h"
#include "wizard/pages/InstallCheckBoxDialog.h"
#include "wizard/pages/InstallChooseDestinationDialog.h"
#include "wizard/pages/InstallLicenseAgreementDialog.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>

// The product's own wizard, tree and payload driven page by page the way a user clicks
// through them: an installation into a chosen folder, the upgrade of that installation
// by a second run, and its removal by the uninstaller copy. Everything runs inside a
// private mount namespace, so the system folders the tree writes to are the sandbox's.
class TestWizardRuns : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void interactiveInstallation();
    void upgradeOfAnExistingInstallation();
    void removalByTheUninstaller();

private:
    QString m_release;
    QString m_archive;
    QString m_destination;
};

namespace {

const QString product = QStringLiteral("Corvane Fenwick Studio for RISC-V");

struct Installer
{
    QPointer<ClassicInstallWizard> wizard;
    ConfigurationList *list = nullptr;
    ObservedApplication *application = nullptr;

    explicit Installer(const QStringList &arguments, const QString &recordPath = QString())
    {
        wizard = new ClassicInstallWizard();
        list = new ConfigurationList();
        application = new ObservedApplication(nullptr, wizard, list, QString::fromUtf8(licenseText()),
                                            QString(), QString(), QString(), arguments);
        application->recordPath = recordPath;
    }
    ~Installer()
    {
        delete application; // takes the wizard with it
        delete wizard.data();
        delete list;
    }

    int page() const { return wizard->dialogId(wizard->currentDialog()); }
    QString title() const { return wizard->currentDialog()->title(); }
    QString text() const
    {
        const auto *textPage = qobject_cast<InstallTextDialog *>(wizard->currentDialog());
        return textPage ? textPage->text() : QString();
    }
    void next() { wizard->nextButton()->click(); }
};

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(folder.size() + 1);
    files.sort();
    return files;
}

QStringList systemFilesOfTheProduct()
{
    QStringList files;
    for (const QString &type : {QStringLiteral("fwarchive"), QStringLiteral("fwpackage"), QStringLiteral("fwproject")}) {
        files << QStringLiteral("/usr/share/mime/packages/application-x-corvane-") + type + QStringLiteral(".xml");
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            files << QStringLiteral("/usr/share/icons/hicolor/%1x%1/mimetypes/application-x-corvane-%2.png")
                         .arg(size).arg(type);
    }
    files << QStringLiteral("/etc/udev/rules.d/99-vantor.rules");
    return files;
}

const QString desktopEntry =
    QStringLiteral("/usr/share/applications/corvane-corvane-fenwick-studio-for-risc-v-4.52a.desktop");

} // namespace

void TestWizardRuns::initTestCase()
{
    QVERIFY2(Sandbox::isInside(), "runs inside the sandbox only");
    // Any question the script does not expect is answered at once and fails the test,
    // instead of waiting for a click nobody gives.
    UnattendedRun::setActive(true);
    m_release = Sandbox::root() + QStringLiteral("/release");
    m_archive = Sandbox::root() + QStringLiteral("/payload.pkg");
    m_destination = Sandbox::root() + QStringLiteral("/opt/Fenwick Studio");
    QVERIFY(QDir().mkpath(m_release));
    QVERIFY(QFile::copy(QStringLiteral(SETUP_BINARY), m_release + QStringLiteral("/Setup")));
    for (const char *library : {"Qt3Support", "QtCore", "QtGui", "QtNetwork", "QtSql", "QtSvg", "QtWebKit", "QtXml"}) {
        QFile standIn(m_release + QStringLiteral("/lib") + QLatin1String(library) + QStringLiteral(".so.4"));
        QVERIFY(standIn.open(QIODevice::WriteOnly));
        standIn.write("stand-in\n");
    }
    QProcess pack;
    pack.start(QStringLiteral(PKGARCHIVE_BINARY),
               {QStringLiteral("create"), m_archive, QStringLiteral(STUDIO_SOURCE_DIR "/demo/payload")});
    QVERIFY2(pack.waitForFinished(60000) && pack.exitCode() == 0, "payload packed");
    QVERIFY(QDir().mkpath(QStringLiteral("/etc/udev/rules.d")));
}

void TestWizardRuns::init()
{
    // Every installer process starts from the same variables; the release folder is
    // where this one would have been started from.
    InstallerVariables::initialise();
    setVariable(QStringLiteral("SrcDir"), m_release);
}

void TestWizardRuns::interactiveInstallation()
{
    Installer installer({m_release + QStringLiteral("/Setup"), QStringLiteral("--data-file"), m_archive});
    installer.application->start();
    QCOMPARE(installer.page(), 1);
    installer.next();
    QCOMPARE(installer.page(), 20);
    QVERIFY2(!installer.wizard->nextButton()->isEnabled(), "Next waits for a choice");
    auto *licence = qobject_cast<InstallLicenseAgreementDialog *>(installer.wizard->currentDialog());
    licence->acceptButton()->click();
    installer.next();
    QCOMPARE(installer.page(), 3);
    auto *destination = qobject_cast<InstallChooseDestinationDialog *>(installer.wizard->currentDialog());
    QCOMPARE(destination->folderEdit()->text(), QStringLiteral("/usr/share/corvane_fenwick_studio_for_risc-v_4.52a"));
    destination->folderEdit()->setText(m_destination);
    installer.next();
    // The rules folder exists and holds no rules file yet: the component is offered ticked.
    QCOMPARE(installer.page(), 7);
    auto *components = qobject_cast<InstallCheckBoxDialog *>(installer.wizard->currentDialog());
    QCOMPARE(components->itemCount(), 1);
    installer.next();
    QCOMPARE(installer.page(), 11);
    QCOMPARE(installer.wizard->nextButton()->text(), QStringLiteral("&Install"));
    installer.next();

    QCOMPARE(installer.page(), 17);
    QCOMPARE(installer.title(), QStringLiteral("Install Complete"));
    QCOMPARE(installer.text(), product + QStringLiteral(" 4.52a has now been installed.<p>Click Finish to "
                                                        "complete the installation."));
    QCOMPARE(installer.application->quitCalls, 0);
    installer.next();
    QCOMPARE(installer.application->quitCalls, 1);
    QCOMPARE(installer.application->result(), 1);

    const QStringList installed = filesBelow(m_destination);
    for (const QString &file : filesBelow(QStringLiteral(STUDIO_SOURCE_DIR "/demo/payload")))
        QVERIFY2(installed.contains(file), qPrintable(file));
    for (const QString &file : {QStringLiteral("bin/uninstall"), QStringLiteral("bin/IConf.xml"),
                                QStringLiteral("bin/libQtCore.so.4")})
        QVERIFY2(installed.contains(file), qPrintable(file));
    const QStringList systemFiles = systemFilesOfTheProduct() << desktopEntry;
    for (const QString &file : systemFiles)
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
}

void TestWizardRuns::upgradeOfAnExistingInstallation()
{
    Installer installer({m_release + QStringLiteral("/Setup"), QStringLiteral("--data-file"), m_archive});
    installer.application->start();
    installer.next();
    qobject_cast<InstallLicenseAgreementDialog *>(installer.wizard->currentDialog())->acceptButton()->click();
    installer.next();
    QCOMPARE(installer.page(), 3);
    qobject_cast<InstallChooseDestinationDialog *>(installer.wizard->currentDialog())->folderEdit()->setText(m_destination);
    installer.next();

    QCOMPARE(installer.page(), 15);
    QCOMPARE(installer.application->mode(), InstallApplication::Upgrade);
    QVERIFY2(installer.wizard->titleLabel()->text().contains(QStringLiteral("Start Upgrade")),
             qPrintable(installer.wizard->titleLabel()->text()));
    QVERIFY2(!installer.wizard->backButton()->isEnabled(), "going back is no longer offered");
    QCOMPARE(installer.wizard->nextButton()->text(), QStringLiteral("&Upgrade"));
    installer.next();

    QCOMPARE(installer.page(), 17);
    QCOMPARE(installer.title(), QStringLiteral("Upgrade Complete"));
    QCOMPARE(installer.text(), product + QStringLiteral(" 4.52a has now been upgraded.<p>Click Finish to "
                                                        "complete the installation."));
    installer.next();
    QCOMPARE(installer.application->result(), 1);
    QVERIFY2(QFileInfo::exists(m_destination + QStringLiteral("/bin/fwStudio")), "product in place again");
    QVERIFY2(QFileInfo::exists(m_destination + QStringLiteral("/bin/IConf.xml")), "record rewritten");
}

void TestWizardRuns::removalByTheUninstaller()
{
    const QString bin = m_destination + QStringLiteral("/bin");
    Installer installer({bin + QStringLiteral("/uninstall")}, bin + QStringLiteral("/IConf.xml"));
    QCOMPARE(installer.application->mode(), InstallApplication::Remove);
    installer.application->start();
    QCOMPARE(installer.page(), 12);
    QVERIFY2(!installer.wizard->backButton()->isEnabled(), "the first page has no Back");
    QVERIFY2(installer.text().contains(QStringLiteral("<b>Corvane Fenwick Studio</b>")), qPrintable(installer.text()));
    QCOMPARE(installer.wizard->nextButton()->text(), QStringLiteral("&Remove"));
    installer.next();

    QCOMPARE(installer.page(), 17);
    QCOMPARE(installer.title(), QStringLiteral("Uninstall Complete"));
    QCOMPARE(installer.text(), product + QStringLiteral(" 4.52a had now been uninstalled.<p>Click Finish to "
                                                        "close the installer."));
    installer.next();
    // Result 2: the process ends with status 1, as a removal does.
    QCOMPARE(installer.application->result(), 2);

    QCOMPARE(filesBelow(m_destination), QStringList());
    QVERIFY2(!QFileInfo::exists(desktopEntry), "the menu entry goes with the product");
    // What other programs may rely on stays: MIME types, their icons, the device rules.
    for (const QString &file : systemFilesOfTheProduct())
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
    QSettings settings(QSettings::SystemScope, QStringLiteral("Corvane"), product);
    QVERIFY2(!settings.contains(QStringLiteral("Installer/4.52a/DestDir")),
             qPrintable(settings.allKeys().join(QLatin1Char(' '))));
}

STUDIO_SANDBOXED_TEST_MAIN(QApplication, TestWizardRuns)

#include "tst_wizardruns.moc"
