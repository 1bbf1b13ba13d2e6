#include "wizard/frame/WizardQuestions.h"

#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/pages/InstallFindFileDialog.h"

#include <QFileDialog>

int WizardQuestions::ask(const Question &question)
{
    return InstallCheckMessageBox::showModal(question.heading, question.message, question.buttons,
                                             question.defaultButton);
}

InstallQuestions::Location WizardQuestions::locate(const QString &path)
{
    InstallFindFileDialog dialog(nullptr, path);
    Location location;
    location.located = dialog.exec() == 1;
    // A file typed before Cancel is kept too, so that the error names what the person
    // last asked for.
    if (dialog.kind() == InstallFindFileDialog::LocateFile && (location.located || !dialog.locatedPath().isEmpty()))
        location.file = dialog.locatedPath();
    return location;
}

QString WizardQuestions::chooseFolder(const QString &caption, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(nullptr, caption, startFolder, QFileDialog::ShowDirsOnly);
}
