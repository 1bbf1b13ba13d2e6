#include "wizard/pages/InstallLicenseAgreementDialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

InstallLicenseAgreementDialog::InstallLicenseAgreementDialog(InstallApplication *application,
                                                             const QString &licenceText)
    : InstallWizardDialog(application, QStringLiteral("License Agreement"),
                          QStringLiteral("Please read the following License Agreement."),
                          InstallWizardDialog::NextDisabled),
      m_licenceView(new QTextEdit(this)),
      m_choices(new QButtonGroup(this))
{
    pageLayout()->addWidget(
        new QLabel(QStringLiteral("You must accept the License Agreement to continue."), this));

    // The licence is shown as written: it may hold "$(" sequences of its own.
    m_licenceView->setReadOnly(true);
    m_licenceView->setAcceptRichText(true);
    m_licenceView->setHtml(licenceText);
    // A caret shows where the keyboard is and lets the text be read and selected line by line.
    m_licenceView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                           | Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_licenceView->setAccessibleName(title());
    pageLayout()->addWidget(m_licenceView);

    // One column, accept above decline: each choice reads as a line of its own under the licence.
    auto *strip = new QGroupBox(QString(), this);
    auto *column = new QVBoxLayout(strip);
    m_acceptButton = new QRadioButton(QStringLiteral("I &accept the Agreement"), strip);
    m_declineButton = new QRadioButton(QStringLiteral("I &do not accept the Agreement"), strip);
    column->addWidget(m_acceptButton);
    column->addWidget(m_declineButton);
    m_choices->addButton(m_acceptButton, Accept);
    m_choices->addButton(m_declineButton, Decline);
    pageLayout()->addWidget(strip);

    // Toggled rather than clicked, so choosing with the arrow keys counts as well.
    connect(m_choices, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            buttonSelected(id);
    });
}

void InstallLicenseAgreementDialog::buttonSelected(int id)
{
    // Either choice enables Next: declining is answered when Next is pressed.
    if (flags() & InstallWizardDialog::NextDisabled)
        setFlags(flags() & ~InstallWizardDialog::NextDisabled);
    m_accepted = (id != Decline);
}
