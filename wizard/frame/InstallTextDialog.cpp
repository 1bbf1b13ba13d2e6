#include "wizard/frame/InstallTextDialog.h"

#include "app/core/VariableTable.h"

#include <QLabel>
#include <QVBoxLayout>

InstallTextDialog::InstallTextDialog(InstallApplication *application, const QString &title,
                                     const QString &subtitle, const QString &text, int flags,
                                     const QString &nextLabel, const QString &backLabel,
                                     const QString &helpLabel, const QString &cancelLabel)
    : InstallWizardDialog(application, title, subtitle, flags, nextLabel, backLabel, helpLabel,
                          cancelLabel),
      m_textLabel(new QLabel(expand(text), this))
{
    m_textLabel->setWordWrap(true);
    pageLayout()->addWidget(m_textLabel);
    pageLayout()->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Expanding));
}

void InstallTextDialog::setText(const QString &text)
{
    // A system's reason stands on the line under the message it explains.
    m_textLabel->setText(QString(text).replace(QLatin1Char('\n'), QLatin1String("<br>")));
}

QString InstallTextDialog::text() const
{
    return m_textLabel->text();
}
