#include "app/application/QuillonInstallerApplication.h"

#include "app/core/ProductIdentity.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/frame/InstallWizard.h"
#include "wizard/pages/StandardPageTexts.h"

QuillonInstallerApplication::QuillonInstallerApplication(
    QWidget *mainWindow, InstallWizard *wizard, InstallConfigurationList *configurationList,
    const QString &licenceText, const QString &finishText1, const QString &finishText2,
    const QString &finishText3, const QStringList &arguments)
    : InstallStandardInstallerApplication(mainWindow, wizard, configurationList, licenceText,
                                          finishText1, finishText2, finishText3, arguments)
{
    // The removal page reminds the user that settings and packages stay; the text is
    // already final, so it is set without expansion.
    if (auto *removal = qobject_cast<InstallTextDialog *>(page(StartRemovalPage)))
        removal->setText(StandardPageTexts::productRemovalText(QString::fromLatin1(ProductIdentity::title),
                                                               QString::fromLatin1(ProductIdentity::shortName)));
}

int QuillonInstallerApplication::mapPageId(int id, InstallApplication::Mode)
{
    return id;
}

void QuillonInstallerApplication::onCancelClicked(InstallWizardDialog *page)
{
    InstallStandardInstallerApplication::onCancelClicked(page);
}
