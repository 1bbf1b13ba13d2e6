#include "app/application/WizardStepReporter.h"

#include "app/application/InstallStandardInstallerApplication.h"
#include "app/core/VariableTable.h"
#include "app/run/ModeText.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/frame/InstallWizard.h"
#include "wizard/pages/InstallProgressDialog.h"

#include <QCoreApplication>

WizardStepReporter::WizardStepReporter(InstallApplication &application) : m_application(application) {}

InstallWizardDialog *WizardStepReporter::page(int id) const
{
    return m_application.wizard() ? m_application.wizard()->dialog(id) : nullptr;
}

InstallProgressDialog *WizardStepReporter::progressPage() const
{
    return qobject_cast<InstallProgressDialog *>(page(InstallStandardInstallerApplication::ProgressPage));
}

void WizardStepReporter::showPage(int id)
{
    m_application.wizard()->showDialog(id);
}

void WizardStepReporter::showPhase(Phase phase)
{
    if (InstallProgressDialog *progress = progressPage())
        progress->setMode(phase);
    showPage(InstallStandardInstallerApplication::ProgressPage);
    QCoreApplication::processEvents();
}

void WizardStepReporter::setConfigurationPrefix(const QString &prefix)
{
    progressPage()->setConfigurationPrefix(prefix);
}

void WizardStepReporter::showDataProgress(quint64 done, quint64 total)
{
    InstallProgressDialog *progress = progressPage();
    if (!progress)
        return;
    constexpr quint64 unit = 1024 * 1024;
    progress->setTaskTotalSteps(int(total / unit) + 1);
    progress->setTaskProgress(int(qMin(done, total) / unit));
    QCoreApplication::processEvents();
}

void WizardStepReporter::endQuietRun()
{
    m_application.quit();
}

void WizardStepReporter::showSuccess(const QString &message)
{
    auto *finished = qobject_cast<InstallTextDialog *>(page(InstallStandardInstallerApplication::FinishedPage));
    if (finished) {
        finished->setTitle(byMode(m_application.mode(), "Install Complete", "Modify Complete", "Repair Complete",
                                  "Uninstall Complete", "Upgrade Complete"),
                           QString());
        const QString closing = m_application.mode() == InstallRun::Remove
                                    ? QStringLiteral("<p>Click Finish to close the installer.")
                                    : QStringLiteral("<p>Click Finish to complete the installation.");
        finished->setText(expand(message + closing));
    }
    showPage(InstallStandardInstallerApplication::FinishedPage);
}

void WizardStepReporter::showFailure(const QString &message)
{
    if (auto *failed = qobject_cast<InstallTextDialog *>(page(InstallStandardInstallerApplication::FailedPage))) {
        failed->setTitle(byMode(m_application.mode(), "Installation Failed", "Modify Failed", "Repair Failed",
                                "Uninstall Failed", "Upgrade Failed"),
                         QString());
        failed->setText(expand(message + QStringLiteral("<p>Click Finish to terminate the installer.")));
    }
    showPage(InstallStandardInstallerApplication::FailedPage);
}
