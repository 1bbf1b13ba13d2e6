#include "wizard/pages/InstallFinishedDialog.h"

#include "app/application/InstallApplication.h"
#include "app/run/RootFolderGuard.h"
#include "app/core/VariableTable.h"
#include "media/platform/Environment.h"
#include "media/platform/ProcessRunner.h"
#include "media/platform/WholeFile.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>

namespace {

QString commandFileName()
{
    return expand(QStringLiteral("$(SrcDir)/.extract_commands.txt"));
}

void addGap(QVBoxLayout *layout, int height)
{
    layout->addSpacerItem(new QSpacerItem(0, height, QSizePolicy::Minimum, QSizePolicy::Expanding));
}

bool isTicked(const QCheckBox *box)
{
    return box && box->isChecked();
}

} // namespace

InstallFinishedDialog::InstallFinishedDialog(InstallApplication *application,
                                             const QString &launchLabel,
                                             const QString &launchCommand,
                                             const QString &releaseNotes)
    : InstallFinishedDialog(application, launchLabel, launchCommand, releaseNotes,
                            Platform::isAdministrator())
{
}

InstallFinishedDialog::InstallFinishedDialog(InstallApplication *application,
                                             const QString &launchLabel,
                                             const QString &launchCommand,
                                             const QString &releaseNotes, bool asAdministrator)
    : InstallTextDialog(application, QStringLiteral("Installation Complete"), QString(), QString(),
                        InstallWizardDialog::BackDisabled | InstallWizardDialog::CancelDisabled,
                        QStringLiteral("&Finish")),
      m_launchLabel(launchLabel),
      m_launchCommand(launchCommand),
      m_releaseNotes(releaseNotes),
      m_asAdministrator(asAdministrator)
{
    // Nothing to read or start after a removal.
    if (application && application->mode() == InstallApplication::Remove)
        return;
    // As root the actions are handed to whoever started the installer through the
    // command file; without that file nobody would carry them out.
    if (asAdministrator && !QFileInfo::exists(commandFileName()))
        return;
    if (!releaseNotes.isEmpty()) {
        addGap(pageLayout(), 20);
        m_releaseNotesBox = new QCheckBox(QStringLiteral("Show Release Notes"), this);
        pageLayout()->addWidget(m_releaseNotesBox);
    }
    if (!launchCommand.isEmpty()) {
        addGap(pageLayout(), 20);
        m_launchBox = new QCheckBox(expand(launchLabel), this);
        m_launchBox->setChecked(true);
        pageLayout()->addWidget(m_launchBox);
    }
    addGap(pageLayout(), 100);
}

QStringList InstallFinishedDialog::commandLines() const
{
    QStringList lines;
    if (isTicked(m_releaseNotesBox)) {
        const QString notes = expand(m_releaseNotes);
        lines << QFileInfo(notes).path() + QStringLiteral("|xdg-open|file:///") + notes;
    }
    if (isTicked(m_launchBox)) {
        const QString command = expand(m_launchCommand);
        lines << QFileInfo(command).path() + QLatin1Char('|') + command;
    }
    return lines;
}

void InstallFinishedDialog::performClosingActions()
{
    if (!m_asAdministrator) {
        // A user's own session can start the product directly; release notes are
        // only offered through the command file.
        if (isTicked(m_launchBox))
            Platform::runProcess({expand(m_launchCommand)}, QString(), false);
        return;
    }
    const QStringList lines = commandLines();
    if (lines.isEmpty())
        return;
    QByteArray commands;
    for (const QString &line : lines)
        commands += (line + QLatin1Char('\n')).toLocal8Bit();
    // Failing to hand the actions over must not hold up the end of the installation.
    // Root writes the file only into a source folder nobody else can change.
    if (RootFolderGuard::refusal(expand(QStringLiteral("$(SrcDir)")), false).isEmpty())
        Platform::writeWholeFile(commandFileName(), commands, 0644);
}
