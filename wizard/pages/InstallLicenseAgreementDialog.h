#pragma once

#include "wizard/frame/InstallWizardDialog.h"

class QButtonGroup;
class QRadioButton;
class QTextEdit;

// Shows the licence; Next stays disabled until the user picks accept or decline.
class InstallLicenseAgreementDialog : public InstallWizardDialog
{
    Q_OBJECT
public:
    enum Choice { Decline = 0, Accept = 1 };

    InstallLicenseAgreementDialog(InstallApplication *application, const QString &licenceText);

    bool accepted() const { return m_accepted; }
    QRadioButton *acceptButton() const { return m_acceptButton; }
    QRadioButton *declineButton() const { return m_declineButton; }
    QTextEdit *licenceView() const { return m_licenceView; }

public slots:
    void buttonSelected(int id);

private:
    bool m_accepted = false;
    QTextEdit *m_licenceView;
    QButtonGroup *m_choices;
    QRadioButton *m_acceptButton;
    QRadioButton *m_declineButton;
};
