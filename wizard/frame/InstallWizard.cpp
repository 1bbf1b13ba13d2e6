#include "wizard/frame/InstallWizard.h"

#include "app/core/InstallException.h"
#include "wizard/frame/InstallWizardDialog.h"

#include <QStackedWidget>

InstallWizard::InstallWizard(QWidget *parent)
    : QWidget(parent), m_pageStack(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("install-wizard"));
}

int InstallWizard::addDialog(InstallWizardDialog *dialog, int id)
{
    if (!m_pageStack || !dialog)
        return -1;
    // A negative id asks the frame to choose one that no caller will use.
    if (id < 0)
        id = m_nextAutomaticId--;
    connect(dialog, &InstallWizardDialog::stateChanged, this, &InstallWizard::updateDialog);
    m_pageStack->addWidget(dialog);
    m_pages.insert(id, dialog);
    return id;
}

int InstallWizard::dialogId(InstallWizardDialog *dialog) const
{
    for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
        if (it.value() == dialog)
            return it.key();
    }
    return -1;
}

InstallWizardDialog *InstallWizard::currentDialog() const
{
    return m_current.data();
}

InstallWizardDialog *InstallWizard::dialog(int id) const
{
    return m_pages.value(id).data();
}

void InstallWizard::showDialog(InstallWizardDialog *dialog)
{
    if (!dialog)
        throw InstallException(QStringLiteral("Attempted to show dialog NULL dialog"));
    // The application records its page history from this signal, so it comes first.
    emit aboutToShow(dialog);
    m_current = dialog;
    m_pageStack->setCurrentWidget(dialog);
    updateDialog();
    show();
}

void InstallWizard::showDialog(int id)
{
    showDialog(dialog(id));
}

void InstallWizard::updateDialog() {}

void InstallWizard::onCancelClicked()
{
    emit cancelClicked(currentDialog());
}

void InstallWizard::onBackClicked()
{
    emit backClicked(currentDialog());
}

void InstallWizard::onNextClicked()
{
    emit nextClicked(currentDialog());
}

void InstallWizard::onHelpClicked()
{
    emit helpClicked(currentDialog());
}

void InstallWizard::onAboutToShow(QWidget *widget)
{
    emit aboutToShow(qobject_cast<InstallWizardDialog *>(widget));
}
