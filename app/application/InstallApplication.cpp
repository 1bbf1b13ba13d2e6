#include "app/application/InstallApplication.h"

#include "app/core/InstallException.h"
#include "media/platform/ProcessRunner.h"
#include "wizard/frame/InstallWizard.h"

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
    currentApplication = this;
}

InstallApplication::~InstallApplication()
{
    delete m_media;
    if (currentApplication == this)
        currentApplication = nullptr;
}

InstallApplication *InstallApplication::instance()
{
    return currentApplication;
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

void InstallApplication::addPostInstallCommand(const QString &command, bool unique)
{
    if (unique && m_postInstallCommands.contains(command))
        return;
    m_postInstallCommands.append(command);
}

void InstallApplication::runPostInstallCommands()
{
    static const QRegularExpression whitespace(QStringLiteral("\\s+"));
    for (const QString &command : std::as_const(m_postInstallCommands)) {
        const QStringList arguments = command.split(whitespace, Qt::SkipEmptyParts);
        Platform::runProcess(arguments);
    }
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
