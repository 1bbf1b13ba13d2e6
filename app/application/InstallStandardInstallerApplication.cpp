#include "app/application/InstallStandardInstallerApplication.h"

#include "app/run/InstallCommandLine.h"
#include "app/run/RootFolderGuard.h"
#include "app/core/InstallException.h"
#include "app/core/InstallShutdownException.h"
#include "app/core/InstallUserCancelException.h"
#include "app/core/VariableTable.h"
#include "app/run/ModeText.h"
#include "app/queries/InstallQuestions.h"
#include "app/queries/UserQueries.h"
#include "configuration/model/InstallConfigurationList.h"
#include "media/platform/Environment.h"
#include "media/platform/FileSystem.h"
#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/frame/InstallWizard.h"

#include "wizard/pages/InstallAssociateFilesDialog.h"
#include "wizard/pages/InstallCheckBoxDialog.h"
#include "wizard/pages/InstallChooseDestinationDialog.h"
#include "wizard/pages/InstallConfigurationDialog.h"
#include "wizard/pages/InstallCustomSetupDialog.h"
#include "wizard/pages/InstallEnvironmentVariablesDialog.h"
#include "wizard/pages/InstallFinishedDialog.h"
#include "wizard/pages/InstallHelpDialog.h"
#include "wizard/pages/InstallLicenseAgreementDialog.h"
#include "wizard/pages/InstallOptionalDialog.h"
#include "wizard/pages/InstallProgramFolderDialog.h"
#include "wizard/pages/InstallProgressDialog.h"
#include "wizard/pages/StandardPageTexts.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <new>

namespace {

bool isInstallMode(InstallApplication::Mode mode)
{
    return mode >= InstallApplication::Minimal && mode <= InstallApplication::Custom;
}

} // namespace

InstallStandardInstallerApplication::InstallStandardInstallerApplication(
    QWidget *mainWindow, InstallWizard *wizard, InstallConfigurationList *configurationList,
    const QString &licenceText, const QString &finishText1, const QString &finishText2,
    const QString &finishText3, const QStringList &arguments)
    : InstallApplication(mainWindow, wizard, configurationList), m_reporter(*this), m_steps(*this, m_reporter)
{
    setUp(InstallCommandLine(arguments));
    registerPages(licenceText, finishText1, finishText2, finishText3);
}

void InstallStandardInstallerApplication::addPage(InstallWizardDialog *page, int id)
{
    wizard()->addDialog(page, id);
}

void InstallStandardInstallerApplication::registerPages(const QString &licenceText,
                                                        const QString &finishText1,
                                                        const QString &finishText2,
                                                        const QString &finishText3)
{
    using namespace StandardPageTexts;
    addPage(createPage(this, WelcomePage), WelcomePage);
    addPage(createPage(this, UpgradeWelcomePage), UpgradeWelcomePage);
    addPage(new InstallChooseDestinationDialog(this), DestinationPage);
    addPage(new InstallProgramFolderDialog(this), ProgramFolderPage);
    addPage(new InstallAssociateFilesDialog(this), FileAssociationsPage);
    addPage(new InstallEnvironmentVariablesDialog(this), EnvironmentVariablesPage);
    addPage(new InstallOptionalDialog(this), AdditionalComponentsPage);
    addPage(new InstallConfigurationDialog(this), ConfigurationTypePage);
    addPage(new InstallCustomSetupDialog(this), CustomSetupPage);
    for (int id = StartInstallationPage; id <= StartUpgradePage; ++id)
        addPage(createPage(this, id), id);
    addPage(new InstallProgressDialog(this, QStringLiteral("Installing"), QString()), ProgressPage);
    addPage(new InstallFinishedDialog(this, finishText1, finishText2, finishText3), FinishedPage);
    addPage(new InstallTextDialog(this, QStringLiteral("Installation Failed"), QString(), QString(),
                                  InstallWizardDialog::BackDisabled
                                      | InstallWizardDialog::CancelDisabled,
                                  QStringLiteral("&Finish")),
            FailedPage);
    addPage(new InstallHelpDialog(this), HelpPage);
    if (!licenceText.isEmpty())
        addPage(new InstallLicenseAgreementDialog(this, licenceText), LicencePage);
}

InstallWizardDialog *InstallStandardInstallerApplication::page(int id) const
{
    return wizard() ? wizard()->dialog(id) : nullptr;
}

InstallProgressDialog *InstallStandardInstallerApplication::progressPage() const
{
    return qobject_cast<InstallProgressDialog *>(page(ProgressPage));
}

void InstallStandardInstallerApplication::showPage(int id)
{
    wizard()->showDialog(id);
}

int InstallStandardInstallerApplication::mapPageId(int id, InstallApplication::Mode)
{
    return id;
}

void InstallStandardInstallerApplication::run()
{
    QWidget *mainWidget = mainWindow();
    if (mainWidget)
        mainWidget->showMaximized();
    else
        mainWidget = wizard();
    if (wizard())
        wizard()->setFocus();
    if (mainWidget)
        mainWidget->setWindowIcon(QGuiApplication::windowIcon());
    try {
        start();
        QCoreApplication::exec();
    } catch (const InstallException &error) {
        reportError(error.message());
    } catch (const InstallShutdownException &) {
    }
}

// ---- start ---------------------------------------------------------------------------

void InstallStandardInstallerApplication::start()
{
    if (isInstallMode(mode()))
        showFirstPage(WelcomePage, "startQuietInstallation");
    else
        startMaintenance();
}

void InstallStandardInstallerApplication::showFirstPage(int welcomePage, const char *quietSlot)
{
    const quint32 flags = runFlags();
    if (!(flags & Quiet))
        showPage(welcomePage);
    else if ((flags & AcceptLicense) || !page(LicencePage))
        QMetaObject::invokeMethod(this, quietSlot, Qt::QueuedConnection);
    else
        showPage(LicencePage);
}

QString InstallStandardInstallerApplication::maintenanceRecordPath() const
{
    const QString besideProgram = Platform::installerFolder() + QStringLiteral("/IConf.xml");
    if (mode() == Upgrade || !QFileInfo::exists(besideProgram))
        return expand(QStringLiteral("$(InstallerDir)/IConf.xml"));
    return besideProgram;
}

void InstallStandardInstallerApplication::startMaintenance()
{
    m_steps.openInstallation(maintenanceRecordPath());
    if (mode() == Upgrade) {
        showFirstPage(UpgradeWelcomePage, "startQuietUpgrade");
    } else {
        // Modify and repair are not offered for an existing installation: it can be
        // removed, and the removal waits for the user's Remove unless the run is quiet.
        setMode(Remove);
        if (runFlags() & Quiet)
            QMetaObject::invokeMethod(this, "startQuietRemoval", Qt::QueuedConnection);
        else
            showPage(StartRemovalPage);
    }
}

void InstallStandardInstallerApplication::startQuietInstallation()
{
    onNextClicked(page(StartInstallationPage));
}

void InstallStandardInstallerApplication::startQuietRemoval()
{
    onNextClicked(page(StartRemovalPage));
}

void InstallStandardInstallerApplication::startQuietUpgrade()
{
    onNextClicked(page(StartUpgradePage));
}

// ---- buttons -------------------------------------------------------------------------

int InstallStandardInstallerApplication::pageState()
{
    InstallWizardDialog *current = currentPage();
    const int id = current && wizard() ? wizard()->dialogId(current) : -1;
    if (id == ProgressPage)
        return 1;
    if (id == FinishedPage || id == FailedPage)
        return 2;
    return 0;
}

void InstallStandardInstallerApplication::onHelpClicked(InstallWizardDialog *)
{
    try {
        showPage(HelpPage);
    } catch (const InstallException &error) {
        reportError(error.message());
        quit();
    }
}

void InstallStandardInstallerApplication::onCancelClicked(InstallWizardDialog *)
{
    QString title;
    QString sentence;
    switch (mode()) {
    case Repair:
        title = QStringLiteral("The installation repair is not complete");
        sentence = QStringLiteral("Setup has not repaired $(Product).");
        break;
    case Remove:
        title = QStringLiteral("The installation removal is not complete");
        sentence = QStringLiteral("Setup has not removed $(Product).");
        break;
    case Modify:
        title = QStringLiteral("The installation modify is not complete");
        sentence = QStringLiteral("Setup has not modified $(Product).");
        break;
    default:
        title = QStringLiteral("The installation is not complete");
        sentence = QStringLiteral("Setup has not installed $(Product).");
        break;
    }
    QString question;
    switch (pageState()) {
    case 2:
        quit();
        return;
    case 1:
        question = sentence
                   + QStringLiteral("<p>If you terminate the installation now, $(Product) may not "
                                    "work properly.<p>Are you sure you want to terminate the "
                                    "installation?<p>Click Yes to terminate installation or No "
                                    "to continue.");
        break;
    default:
        question = sentence
                   + QStringLiteral("<p>Are you sure you want to terminate the installation?"
                                    "<p>Click Yes to terminate or No to continue.");
        break;
    }
    const int answer = InstallCheckMessageBox::exec(
        title, question, InstallCheckMessageBox::Yes | InstallCheckMessageBox::No,
        InstallCheckMessageBox::Yes);
    if (answer == InstallCheckMessageBox::Yes)
        quit();
}

void InstallStandardInstallerApplication::onNextClicked(InstallWizardDialog *page)
{
    // The event loop calls this; nothing may leave it as an exception.
    try {
        int id = wizard()->dialogId(page);
        id = mapPageId(id, mode());
        handleNext(id);
    } catch (const InstallException &error) {
        reportError(error.message());
        quit();
    } catch (const InstallShutdownException &) {
        quit();
    } catch (const InstallUserCancelException &) {
        quit();
    } catch (const std::exception &error) {
        reportError(QString::fromLocal8Bit(error.what()));
        quit();
    }
}

void InstallStandardInstallerApplication::handleNext(int id)
{
    m_steps.forgetPendingRecord();
    try {
        switch (mode()) {
        case Modify:
            nextInModifyMode(id);
            break;
        case Repair:
            nextInRepairMode(id);
            break;
        case Remove:
            nextInRemoveMode(id);
            break;
        case Upgrade:
            nextInUpgradeMode(id);
            break;
        default:
            nextInInstallMode(id);
            break;
        }
    } catch (const InstallException &error) {
        setResult(0);
        m_steps.fail(error.message());
        m_steps.saveRecordIfPending();
    } catch (const std::bad_alloc &) {
        setResult(0);
        m_steps.fail(InstallException::outOfMemory().message());
        m_steps.saveRecordIfPending();
    } catch (const InstallUserCancelException &) {
        m_steps.fail(cancelledText());
        m_steps.saveRecordIfPending();
    } catch (const InstallShutdownException &) {
        m_steps.saveRecordIfPending();
        throw InstallShutdownException();
    }
}

void InstallStandardInstallerApplication::nextInInstallMode(int id)
{
    switch (id) {
    case WelcomePage:
        if (page(LicencePage))
            showPage(LicencePage);
        else
            licenceTest(false);
        break;
    case LicencePage:
        licenceTest(false);
        break;
    case DestinationPage:
        afterDestination();
        break;
    case ConfigurationTypePage:
        if (mode() == Custom)
            showPage(CustomSetupPage);
        else
            afterCustomSetup();
        break;
    case CustomSetupPage:
        afterCustomSetup();
        break;
    case EnvironmentVariablesPage:
        afterEnvironmentVariables();
        break;
    case AdditionalComponentsPage:
        showPage(StartInstallationPage);
        break;
    case StartInstallationPage:
        if (runFlags() & Quiet)
            runQuietly(false);
        else
            m_steps.install();
        break;
    case FinishedPage:
        finishRun(1, true);
        break;
    case FailedPage:
        finishRun(0, false);
        break;
    default:
        break;
    }
}

void InstallStandardInstallerApplication::nextInModifyMode(int id)
{
    switch (id) {
    case CustomSetupPage:
        showPage(StartModifyPage);
        break;
    case StartModifyPage:
        m_steps.modify();
        break;
    case FinishedPage:
        finishRun(1, false);
        break;
    case FailedPage:
        finishRun(0, false);
        break;
    default:
        break;
    }
}

void InstallStandardInstallerApplication::nextInRepairMode(int id)
{
    switch (id) {
    case MaintenancePage:
        showPage(StartRepairPage);
        break;
    case StartRepairPage:
        m_steps.repair();
        break;
    case FinishedPage:
        finishRun(1, false);
        break;
    case FailedPage:
        finishRun(0, false);
        break;
    default:
        break;
    }
}

void InstallStandardInstallerApplication::nextInRemoveMode(int id)
{
    switch (id) {
    case MaintenancePage:
        showPage(StartRemovalPage);
        break;
    case StartRemovalPage:
        // The removal deletes the record itself; nothing is written afterwards.
        m_steps.remove();
        break;
    case FinishedPage:
        finishRun(2, false);
        break;
    case FailedPage:
        finishRun(0, false);
        break;
    default:
        break;
    }
}

void InstallStandardInstallerApplication::nextInUpgradeMode(int id)
{
    switch (id) {
    case UpgradeWelcomePage:
        if (page(LicencePage))
            showPage(LicencePage);
        else
            licenceTest(true);
        break;
    case LicencePage:
        licenceTest(true);
        break;
    case StartUpgradePage:
        m_steps.upgrade();
        break;
    case FinishedPage:
        finishRun(1, true);
        break;
    case FailedPage:
        finishRun(0, false);
        break;
    default:
        break;
    }
}

void InstallStandardInstallerApplication::licenceTest(bool upgrade)
{
    const auto *licence = qobject_cast<InstallLicenseAgreementDialog *>(page(LicencePage));
    if (licence && !licence->accepted())
        throw InstallException(QStringLiteral("License agreement not accepted"));
    if (runFlags() & Quiet)
        runQuietly(upgrade);
    else
        showPage(upgrade ? StartUpgradePage : DestinationPage);
}

// A quiet installation into a folder that holds an earlier one upgrades it, as the
// wizard does after its destination page.
void InstallStandardInstallerApplication::runQuietly(bool upgrade)
{
    if (!upgrade && !acceptDestination()) {
        quit();
        return;
    }
    if (!upgrade)
        upgrade = switchToUpgrade();
    if (upgrade)
        m_steps.upgrade();
    else
        m_steps.install();
}

bool InstallStandardInstallerApplication::switchToUpgrade()
{
    if ((runFlags() & NoUpgrade)
        || !m_steps.readRecord(expand(QStringLiteral("$(InstallerDir)/IConf.xml")), expand(QStringLiteral("$(DestDir)"))))
        return false;
    setMode(Upgrade);
    m_steps.checkInstalledComponents();
    return true;
}

// An empty or relative folder, or "/" itself, would scatter the product over the root
// folder or below wherever the installer was started: refused before anything is written.
bool InstallStandardInstallerApplication::acceptDestination()
{
    const QString folder = expand(QStringLiteral("$(DestDir)"));
    QString refusal;
    if (!folder.startsWith(QLatin1Char('/')) || Platform::cleanPath(folder) == QLatin1String("/"))
        refusal = QStringLiteral("The installation folder must be an absolute path other than '/': '") + folder
                  + QLatin1Char('\'');
    else
        refusal = RootFolderGuard::refusal(folder, false);
    if (refusal.isEmpty())
        return true;
    // The wizard stays on the destination page for another choice: nothing terminates.
    if (runFlags() & Quiet)
        reportError(refusal);
    else
        InstallCheckMessageBox::exec(QStringLiteral("Installation Error"), refusal + QLatin1Char('.'),
                                     InstallCheckMessageBox::Ok, InstallCheckMessageBox::Ok);
    return false;
}

void InstallStandardInstallerApplication::afterDestination()
{
    if (!acceptDestination())
        return;
    if (switchToUpgrade()) {
        // Going back to choose another folder is no longer offered.
        InstallWizardDialog *startUpgrade = page(StartUpgradePage);
        startUpgrade->setFlags(startUpgrade->flags() | InstallWizardDialog::BackDisabled);
        showPage(StartUpgradePage);
    } else if (configurationList()->hasTypicalOrFullItems()) {
        showPage(ConfigurationTypePage);
    } else if (mode() == Custom) {
        showPage(CustomSetupPage);
    } else {
        afterCustomSetup();
    }
}

void InstallStandardInstallerApplication::afterCustomSetup()
{
    if (hasCheckListEntries(EnvironmentVariablesPage))
        showPage(EnvironmentVariablesPage);
    else
        afterEnvironmentVariables();
}

void InstallStandardInstallerApplication::afterEnvironmentVariables()
{
    showPage(hasCheckListEntries(AdditionalComponentsPage) ? AdditionalComponentsPage
                                                          : StartInstallationPage);
}

bool InstallStandardInstallerApplication::hasCheckListEntries(int id) const
{
    const auto *checkList = qobject_cast<InstallCheckBoxDialog *>(page(id));
    return checkList && checkList->itemCount() > 0;
}

void InstallStandardInstallerApplication::finishRun(int result, bool closingActions)
{
    if (closingActions) {
        if (auto *finished = qobject_cast<InstallFinishedDialog *>(page(FinishedPage)))
            finished->performClosingActions();
    }
    setResult(result);
    quit();
}

// Nobody cancels a run without a display: a question it could not answer stopped it.
QString InstallStandardInstallerApplication::cancelledText() const
{
    if (!InstallQuestions::current().canAnswer())
        return m_steps.notDoneText();
    return byMode(mode(), "Installation has been cancelled by user.",
                  "Modify has been cancelled by user.", "Repair has been cancelled by user.",
                  "Uninstall has been cancelled by user.", "Upgrade has been cancelled by user.");
}
