#pragma once

#include "app/application/InstallStandardInstallerApplication.h"

// The product's installer application: the standard run with the product's longer
// removal text on the removal start page.
class QuillonInstallerApplication : public InstallStandardInstallerApplication
{
    Q_OBJECT
public:
    using InstallStandardInstallerApplication::onCancelClicked;
    QuillonInstallerApplication(QWidget *mainWindow, InstallWizard *wizard,
                                InstallConfigurationList *configurationList,
                                const QString &licenceText, const QString &finishText1,
                                const QString &finishText2, const QString &finishText3,
                                const QStringList &arguments = QCoreApplication::arguments());

    int mapPageId(int id, InstallApplication::Mode mode) override;

public slots:
    void onCancelClicked(InstallWizardDialog *page) override;
};
