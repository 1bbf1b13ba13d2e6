#pragma once

#include "app/run/InstallRun.h"

#include <QList>
#include <QPointer>

class InstallWizard;
class InstallWizardDialog;
class QWidget;

// The run with a face: the window, the wizard frame and the page history, and the
// answers to the wizard's buttons. Pages reach it through InstallApplication::instance().
class InstallApplication : public InstallRun
{
    Q_OBJECT
public:
    InstallApplication(QWidget *mainWindow, InstallWizard *wizard,
                       InstallConfigurationList *configurationList);
    ~InstallApplication() override;

    static InstallApplication *instance();

    InstallWizard *wizard() const;
    QWidget *mainWindow() const;

    virtual void start();
    virtual int pageState() = 0;

public slots:
    virtual void quit();
    virtual void onHelpClicked(InstallWizardDialog *page);
    virtual void onBackClicked(InstallWizardDialog *page);
    virtual void onNextClicked(InstallWizardDialog *page);
    virtual void onCancelClicked(InstallWizardDialog *page);
    void onCancelClicked();
    void onAboutToShow(InstallWizardDialog *page);

protected:
    QList<InstallWizardDialog *> &pageHistory() { return m_pageHistory; }
    // The wizard calls, kept apart so that the base stays free of widget code.
    InstallWizardDialog *currentPage() const;
    void showPreviousPage(InstallWizardDialog *page);

private:
    // Guarded: whoever tears the window down first, the destructor must not free it twice.
    QPointer<QWidget> m_mainWindow;
    QPointer<InstallWizard> m_wizard;
    QList<InstallWizardDialog *> m_pageHistory;
};
