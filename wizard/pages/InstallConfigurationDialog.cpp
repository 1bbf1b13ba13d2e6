#include "wizard/pages/InstallConfigurationDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct SetupType
{
    const char *name;
    const char *description;
};

// In button-id order: the id is the installation mode the button chooses.
constexpr SetupType setupTypes[] = {
    { "Minimal", "Install the minimum number of files required for installation" },
    { "Typical", "Install all the files required for most users" },
    { "Full", "Install all files" },
    { "Custom", "Manually select the files to install" },
};

bool isInstallationMode(int mode)
{
    return mode >= InstallApplication::Minimal && mode <= InstallApplication::Custom;
}

} // namespace

InstallConfigurationDialog::InstallConfigurationDialog(InstallApplication *application)
    : InstallWizardDialog(application, QStringLiteral("Choose Configuration"),
                          QStringLiteral("Select the type of installation to carry out."))
{
    auto *group = new QGroupBox(QStringLiteral("Configuration"), this);
    auto *grid = new QGridLayout(group);
    m_buttons = new QButtonGroup(this);
    int id = 0;
    for (const SetupType &type : setupTypes) {
        auto *button = new QRadioButton(QString::fromLatin1(type.name), group);
        auto *description = new QLabel(QString::fromLatin1(type.description), group);
        grid->addWidget(button, id, 0);
        grid->addWidget(description, id, 1);
        m_buttons->addButton(button, id);
        ++id;
    }
    grid->setColumnStretch(1, 1);
    pageLayout()->addWidget(group);
    pageLayout()->addStretch();

    connect(m_buttons, &QButtonGroup::idClicked, this, qOverload<int>(&InstallConfigurationDialog::update));
    if (application) {
        connect(application, &InstallApplication::modeChanged, this,
                &InstallConfigurationDialog::installationModeChanged);
        installationModeChanged(application->mode());
    }
}

void InstallConfigurationDialog::update(int id)
{
    if (!isInstallationMode(id) || !application())
        return;
    application()->setMode(static_cast<InstallApplication::Mode>(id));
}

void InstallConfigurationDialog::installationModeChanged(InstallApplication::Mode mode)
{
    // Maintenance modes (for example an installation turning into an upgrade) have no
    // button; the last installation type stays selected.
    if (!isInstallationMode(mode))
        return;
    if (QAbstractButton *button = m_buttons->button(mode))
        button->setChecked(true);
}
