#pragma once

#include "wizard/frame/InstallWizardDialog.h"

class QLineEdit;
class QToolButton;

// Where to install: writes DestDir and DestName on every change of the folder field.
class InstallChooseDestinationDialog : public InstallWizardDialog
{
    Q_OBJECT
public:
    explicit InstallChooseDestinationDialog(InstallApplication *application);

    QLineEdit *folderEdit() const { return m_folderEdit; }
    QToolButton *browseButton() const { return m_browseButton; }

public slots:
    void browse();
    void textChanged(const QString &text);

protected:
    // The folder chooser; empty when the user cancels it. Tests answer it directly.
    virtual QString chooseFolder(const QString &caption, const QString &startFolder);

private:
    void fillFromVariable();

    QLineEdit *m_folderEdit;
    QToolButton *m_browseButton;
};
