#pragma once

#include "wizard/frame/InstallWizardDialog.h"

class QLineEdit;

// The program folder for the menu entries: writes ProgramFolderDir and
// ProgramFolderName as the user types.
class InstallProgramFolderDialog : public InstallWizardDialog
{
    Q_OBJECT
public:
    explicit InstallProgramFolderDialog(InstallApplication *application);

    QLineEdit *folderEdit() const { return m_folderEdit; }

public slots:
    void textChanged(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_folderEdit;
    // Set only while the page refills the field itself, so that the refill does not
    // overwrite ProgramFolderDir with its own expansion.
    bool m_filling = false;
};
