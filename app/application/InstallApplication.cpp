#include "app/application/InstallApplication.h"

#include "wizard/frame/InstallWizard.h"
#include "wizard/frame/InstallWizardDialog.h"

#include <QCoreApplication>

InstallApplication::InstallApplication(QWidget *mainWindow, InstallWizard *wizard,
                                       InstallConfigurationList *configurationList)
    : InstallRun(configurationList), m_mainWindow(mainWindow), m_wizard(wizard)
{
    // The frame only reports what the user pressed; the application decides what follows.
    if (m_wizard) {
        connect(m_wizard, &InstallWizard::cancelClicked, this,
                qOverload<InstallWizardDialog *>(&InstallApplication::onCancelClicked));
        connect(m_wizard, &InstallWizard::backClicked, this, &InstallApplication::onBackClicked);
        connect(m_wizard, &InstallWizard::nextClicked, this, &InstallApplication::onNextClicked);
        connect(m_wizard, &InstallWizard::helpClicked, this, &InstallApplication::onHelpClicked);
        connect(m_wizard, &InstallWizard::aboutToShow, this, &InstallApplication::onAboutToShow);
    }
    if (m_mainWindow) {
        // An outer window is any widget; it takes part only when it has the signal.
        if (m_mainWindow->metaObject()->indexOfSignal("cancelClicked()") >= 0)
            connect(m_mainWindow, SIGNAL(cancelClicked()), this, SLOT(onCancelClicked()));
        if (m_wizard)
            m_mainWindow->setFocusProxy(m_wizard);
    }
}

InstallApplication::~InstallApplication()
{
    delete m_wizard;
    delete m_mainWindow;
}

InstallApplication *InstallApplication::instance()
{
    return qobject_cast<InstallApplication *>(InstallRun::instance());
}

InstallWizard *InstallApplication::wizard() const
{
    return m_wizard.data();
}

QWidget *InstallApplication::mainWindow() const
{
    return m_mainWindow.data();
}

void InstallApplication::start() {}

void InstallApplication::quit()
{
    QCoreApplication::exit(0);
}

void InstallApplication::onHelpClicked(InstallWizardDialog *) {}

void InstallApplication::onBackClicked(InstallWizardDialog *)
{
    // The current page is the last one shown; going back means showing the one before.
    if (m_pageHistory.isEmpty())
        return;
    m_pageHistory.removeLast();
    if (m_pageHistory.isEmpty())
        return;
    InstallWizardDialog *previous = m_pageHistory.takeLast();
    showPreviousPage(previous);
}

void InstallApplication::onNextClicked(InstallWizardDialog *) {}

void InstallApplication::onCancelClicked(InstallWizardDialog *) {}

void InstallApplication::onCancelClicked()
{
    onCancelClicked(currentPage());
}

void InstallApplication::onAboutToShow(InstallWizardDialog *page)
{
    m_pageHistory.append(page);
}

InstallWizardDialog *InstallApplication::currentPage() const
{
    return m_wizard ? m_wizard->currentDialog() : nullptr;
}

void InstallApplication::showPreviousPage(InstallWizardDialog *page)
{
    if (m_wizard)
        m_wizard->showDialog(page);
}
