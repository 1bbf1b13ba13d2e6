#pragma once

#include "app/run/InstallStepReporter.h"

class InstallApplication;
class InstallProgressDialog;
class InstallWizardDialog;

// The wizard's side of the run steps: the progress page while they run, the finished
// or failed page with its texts after them, and the end of a quiet run.
class WizardStepReporter : public InstallStepReporter
{
public:
    explicit WizardStepReporter(InstallApplication &application);

    void showPhase(Phase phase) override;
    void setConfigurationPrefix(const QString &prefix) override;
    void showDataProgress(quint64 done, quint64 total) override;
    void showSuccess(const QString &message) override;
    void showFailure(const QString &message) override;
    void endQuietRun() override;

private:
    InstallWizardDialog *page(int id) const;
    InstallProgressDialog *progressPage() const;
    void showPage(int id);

    InstallApplication &m_application;
};
