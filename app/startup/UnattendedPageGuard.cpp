#include "app/startup/UnattendedPageGuard.h"

#include "app/application/InstallApplication.h"
#include "app/core/VariableTable.h"
#include "app/queries/UnattendedQuestions.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/frame/InstallWizard.h"

#include <QMetaObject>

UnattendedPageGuard::UnattendedPageGuard(InstallApplication *application, int progressPageId)
    : QObject(application), m_application(application), m_progressPageId(progressPageId)
{
    if (InstallWizard *wizard = application->wizard())
        connect(wizard, &InstallWizard::aboutToShow, this, &UnattendedPageGuard::pageAboutToShow);
}

QString UnattendedPageGuard::message(InstallWizardDialog *page)
{
    QString message;
    if (!page)
        return message;
    if (!page->subtitle().isEmpty())
        message = expand(page->subtitle());
    if (const auto *textPage = qobject_cast<InstallTextDialog *>(page)) {
        if (!textPage->text().isEmpty()) {
            if (!message.isEmpty())
                message += QStringLiteral("<p>");
            message += textPage->text();
        }
    }
    return message;
}

void UnattendedPageGuard::pageAboutToShow(InstallWizardDialog *page)
{
    InstallWizard *wizard = m_application->wizard();
    if (!page || !wizard || wizard->dialogId(page) == m_progressPageId)
        return;
    UnattendedQuestions::report(expand(page->title()), message(page));
    // The page becomes current only after this signal; the cancel acts on it then.
    if (!m_cancelQueued) {
        m_cancelQueued = true;
        QMetaObject::invokeMethod(this, &UnattendedPageGuard::cancelCurrentPage,
                                  Qt::QueuedConnection);
    }
}

void UnattendedPageGuard::cancelCurrentPage()
{
    m_cancelQueued = false;
    m_application->onCancelClicked();
}
