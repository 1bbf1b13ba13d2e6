#include "app/application/InstallApplication.h"

#include "app/core/InstallException.h"
#include "configuration/model/InstallConfigurationList.h"
#include "media/install/InstallMedia.h"
#include "media/platform/ProcessRunner.h"
#include "wizard/frame/InstallWizard.h"
#include "wizard/frame/InstallWizardDialog.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRegularExpression>

namespace {

InstallApplication *currentApplication = nullptr;

} // namespace

InstallApplication::InstallApplication(QWidget *mainWindow, InstallWizard *wizard,
                                       InstallConfigurationList *configurationList)
    : m_mainWindow(mainWindow), m_wizard(wizard), m_configurationList(configurationList)
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
    // Every change of mode changes which items are due.
    if (m_configurationList)
        connect(this, &InstallApplication::modeChanged, m_configurationList,
                &InstallConfigurationItem::checkWillInstall);
    currentApplication = this;
}

InstallApplication::~InstallApplication()
{
    // The configuration list belongs to whoever built it; the rest is ours.
    delete m_wizard;
    delete m_mainWindow;
    delete m_media;
    if (currentApplication == this)
        currentApplication = nullptr;
}

InstallApplication *InstallApplication::instance()
{
    return currentApplication;
}

InstallWizard *InstallApplication::wizard() const
{
    return m_wizard.data();
}

QWidget *InstallApplication::mainWindow() const
{
    return m_mainWindow.data();
}

InstallMedia *InstallApplication::media() const
{
    if (!m_media)
        throw InstallException(QStringLiteral("No installation media"));
    return m_media;
}

void InstallApplication::setMedia(InstallMedia *media)
{
    if (media == m_media)
        return;
    delete m_media;
    m_media = media;
}

void InstallApplication::addPostInstallCommand(const QStringList &command, bool unique)
{
    if (unique && m_postInstallCommands.contains(command))
        return;
    m_postInstallCommands.append(command);
}

// The commands are argument lists of system tools: a folder name with spaces or ">" in
// it (from XDG_DATA_HOME, say) stays one argument and never becomes a redirection.
void InstallApplication::runPostInstallCommands()
{
    const bool quiet = (runFlags() & Quiet) != 0;
    // A script reads the run's standard error for the run's own failures only.
    for (const QStringList &command : std::as_const(m_postInstallCommands))
        Platform::runSystemTool(command, quiet, quiet);
}

bool InstallApplication::isUserModeInstall()
{
    const InstallApplication *application = instance();
    return application && (application->runFlags() & UserModeInstall);
}

void InstallApplication::start() {}

void InstallApplication::setMode(InstallApplication::Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    emit modeChanged(mode);
}

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
