#pragma once

#include "app/application/InstallApplication.h"
#include "wizard/frame/InstallWizardDialog.h"

class QButtonGroup;

// The type of installation: Minimal, Typical, Full or Custom, kept in the
// application's mode.
class InstallConfigurationDialog : public InstallWizardDialog
{
    Q_OBJECT
public:
    explicit InstallConfigurationDialog(InstallApplication *application);

    QButtonGroup *buttonGroup() const { return m_buttons; }

    using QWidget::update;

public slots:
    void update(int id);
    void installationModeChanged(InstallApplication::Mode mode);

private:
    QButtonGroup *m_buttons;
};
