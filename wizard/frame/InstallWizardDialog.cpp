#include "wizard/frame/InstallWizardDialog.h"

#include "app/application/InstallApplication.h"
#include "wizard/frame/InstallWizard.h"

#include <QVBoxLayout>

InstallWizardDialog::InstallWizardDialog(InstallApplication *application, const QString &title,
                                         const QString &subtitle, int flags,
                                         const QString &nextLabel, const QString &backLabel,
                                         const QString &helpLabel, const QString &cancelLabel)
    : QWidget(application ? application->wizard() : nullptr),
      m_layout(new QVBoxLayout(this)),
      m_title(title),
      m_subtitle(subtitle),
      m_helpLabel(helpLabel),
      m_backLabel(backLabel),
      m_nextLabel(nextLabel),
      m_cancelLabel(cancelLabel),
      m_flags(flags),
      m_application(application)
{
    m_layout->setContentsMargins(14, 14, 14, 14);
}

void InstallWizardDialog::setTitle(const QString &title, const QString &subtitle)
{
    m_title = title;
    m_subtitle = subtitle;
}

void InstallWizardDialog::setFlags(int flags)
{
    m_flags = flags;
    emit stateChanged(this);
}
