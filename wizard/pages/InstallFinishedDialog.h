#pragma once

#include "wizard/frame/InstallTextDialog.h"

#include <QStringList>

class QCheckBox;

// The success page. It may offer to show the release notes and to launch the
// product; Finish carries those out (performClosingActions).
class InstallFinishedDialog : public InstallTextDialog
{
    Q_OBJECT
public:
    // Whether the installer runs as root is asked of the system.
    InstallFinishedDialog(InstallApplication *application, const QString &launchLabel,
                          const QString &launchCommand, const QString &releaseNotes);
    // The same with the root question answered by the caller.
    InstallFinishedDialog(InstallApplication *application, const QString &launchLabel,
                          const QString &launchCommand, const QString &releaseNotes,
                          bool asAdministrator);

    QCheckBox *launchBox() const { return m_launchBox; }
    QCheckBox *releaseNotesBox() const { return m_releaseNotesBox; }

    // As root the ticked actions are handed, as lines of "$(SrcDir)/.extract_commands.txt",
    // to whoever started the installer; otherwise the product is launched directly.
    void performClosingActions();

    // The command lines the ticked boxes ask for as root, in file order.
    QStringList commandLines() const;

private:
    QString m_launchLabel;
    QString m_launchCommand;
    QString m_releaseNotes;
    bool m_asAdministrator;
    QCheckBox *m_launchBox = nullptr;
    QCheckBox *m_releaseNotesBox = nullptr;
};
