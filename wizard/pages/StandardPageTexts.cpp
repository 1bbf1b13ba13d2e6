#include "wizard/pages/StandardPageTexts.h"

#include "wizard/frame/InstallTextDialog.h"
#include "wizard/frame/InstallWizardDialog.h"

namespace StandardPageTexts {

QList<int> pageIds()
{
    return { WelcomeInstall, WelcomeUpgrade, StartInstallation, StartRemoval,
             StartModify, StartRepair, StartUpgrade };
}

bool isStandardTextPage(int id)
{
    return pageIds().contains(id);
}

PageText pageText(int id)
{
    const QString welcome = QStringLiteral("Welcome");
    const QString next = QStringLiteral("&Next>");
    switch (id) {
    case WelcomeInstall:
        return { welcome,
                 QStringLiteral("Welcome to the installer for $(Product).<p>The installer will allow "
                                "you to install $(Product). To continue, click Next."),
                 next, InstallWizardDialog::BackDisabled };
    case WelcomeUpgrade:
        return { welcome,
                 QStringLiteral("Welcome to the installer for $(Product).<p>The installer will upgrade "
                                "your existing installation of $(Product). To continue, click Next."),
                 next, InstallWizardDialog::BackDisabled };
    case StartInstallation:
        return { QStringLiteral("Start Installation"),
                 QStringLiteral("To start installation of $(Product), click Install."),
                 QStringLiteral("&Install"), 0 };
    case StartRemoval:
        // The first page of a removal: there is nothing to go back to.
        return { QStringLiteral("Start Removal"),
                 QStringLiteral("To start removal of $(Product), click Remove."),
                 QStringLiteral("&Remove"), InstallWizardDialog::BackDisabled };
    case StartModify:
        return { QStringLiteral("Start Modify"),
                 QStringLiteral("To start modification of $(Product) $(Version) installation, click Modify."),
                 QStringLiteral("&Modify"), 0 };
    case StartRepair:
        return { QStringLiteral("Start Repair"),
                 QStringLiteral("To start repair of $(Product) $(Version) installation, click Repair."),
                 QStringLiteral("&Repair"), 0 };
    case StartUpgrade:
        return { QStringLiteral("Start Upgrade"),
                 QStringLiteral("To start upgrade of $(Product), click Upgrade."),
                 QStringLiteral("&Upgrade"), 0 };
    default:
        return {};
    }
}

InstallTextDialog *createPage(InstallApplication *application, int id)
{
    if (!isStandardTextPage(id))
        return nullptr;
    const PageText page = pageText(id);
    return new InstallTextDialog(application, page.title, QString(), page.text, page.flags,
                                 page.nextLabel, QStringLiteral("<&Back"), QStringLiteral("&Help"),
                                 QStringLiteral("&Cancel"));
}

QString productRemovalText(const QString &productTitle, const QString &shortProductName)
{
    return QStringLiteral("<p>To start removal of <b>") + productTitle
           + QStringLiteral("</b>, click <b>Remove</b>.</p><br/><p>Please note, the uninstaller does not "
                            "remove any user data such as settings or installed packages.</p><p>User "
                            "data can be removed by selecting the <b>Tools &gt; Admin &gt; Remove All "
                            "User Data...</b> option in <b>")
           + shortProductName + QStringLiteral("</b>.</p>");
}

} // namespace StandardPageTexts
