#pragma once

#include "app/application/InstallApplication.h"
#include "app/application/WizardStepReporter.h"
#include "app/run/InstallSteps.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class InstallCommandLine;
class InstallProgressDialog;
class InstallWizardDialog;

// The installer run: reads the command line, chooses the mode and the media,
// registers the twenty pages and answers the wizard's buttons; the check, removal,
// installation and upgrade steps (InstallSteps) show their progress on its pages.
class InstallStandardInstallerApplication : public InstallApplication
{
    Q_OBJECT
public:
    using InstallApplication::onCancelClicked;
    enum PageId {
        WelcomePage = 1,
        UpgradeWelcomePage = 2,
        DestinationPage = 3,
        ProgramFolderPage = 4,
        FileAssociationsPage = 5,
        EnvironmentVariablesPage = 6,
        AdditionalComponentsPage = 7,
        ConfigurationTypePage = 8,
        CustomSetupPage = 9,
        MaintenancePage = 10, // never registered
        StartInstallationPage = 11,
        StartRemovalPage = 12,
        StartModifyPage = 13,
        StartRepairPage = 14,
        StartUpgradePage = 15,
        ProgressPage = 16,
        FinishedPage = 17,
        FailedPage = 18,
        HelpPage = 19,
        LicencePage = 20
    };

    // arguments: the command line, program name first. An option it does not know or
    // a missing root right is reported and ends the process with status 1.
    InstallStandardInstallerApplication(QWidget *mainWindow, InstallWizard *wizard,
                                        InstallConfigurationList *configurationList,
                                        const QString &licenceText, const QString &finishText1,
                                        const QString &finishText2, const QString &finishText3,
                                        const QStringList &arguments = QCoreApplication::arguments());

    void start() override;
    int pageState() override;
    // Lets a product renumber a page before the Next handler acts on it.
    virtual int mapPageId(int id, InstallApplication::Mode mode);

    // The graphical run: start, then the event loop until quit. Errors that end the
    // run are reported here.
    void run();

public slots:
    void onHelpClicked(InstallWizardDialog *page) override;
    void onNextClicked(InstallWizardDialog *page) override;
    void onCancelClicked(InstallWizardDialog *page) override;
    void startQuietInstallation();
    void startQuietUpgrade();
    void startQuietRemoval();

protected:
    // Where a maintenance start finds the record of the installation it maintains:
    // beside the running program, else (an upgrade, or a removal started from the
    // release) in $(InstallerDir).
    virtual QString maintenanceRecordPath() const;
    InstallWizardDialog *page(int id) const;
    InstallProgressDialog *progressPage() const;

private:
    void registerPages(const QString &licenceText, const QString &finishText1,
                       const QString &finishText2, const QString &finishText3);
    void addPage(InstallWizardDialog *page, int id);

    void startMaintenance();
    void showFirstPage(int welcomePage, const char *quietSlot);
    void handleNext(int id);
    void nextInInstallMode(int id);
    void nextInModifyMode(int id);
    void nextInRepairMode(int id);
    void nextInRemoveMode(int id);
    void nextInUpgradeMode(int id);
    void licenceTest(bool upgrade);
    void runQuietly(bool upgrade);
    bool switchToUpgrade();
    void afterDestination();
    bool acceptDestination();
    void afterCustomSetup();
    void afterEnvironmentVariables();
    void finishRun(int result, bool closingActions);

    bool hasCheckListEntries(int id) const;
    void showPage(int id);

    QString cancelledText() const;

    WizardStepReporter m_reporter;
    InstallSteps m_steps;
};
