#include "wizard/pages/InstallProgramFolderDialog.h"

#include "app/core/VariableTable.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

InstallProgramFolderDialog::InstallProgramFolderDialog(InstallApplication *application)
    : InstallWizardDialog(application, QStringLiteral("Select Program Folder"),
                          QStringLiteral("Please select a program folder."))
{
    auto *text = new QLabel(QStringLiteral("Setup will add program icons to the Program Folder below.<p>"
                                           "You may type a new folder name. Click Next to continue."),
                            this);
    text->setWordWrap(true);
    pageLayout()->addWidget(text);
    pageLayout()->addStretch();

    auto *group = new QGroupBox(QStringLiteral("Program Folder"), this);
    auto *row = new QHBoxLayout(group);
    m_folderEdit = new QLineEdit(group);
    m_folderEdit->setAccessibleName(group->title());
    m_folderEdit->setObjectName(QStringLiteral("program-folder"));
    row->addWidget(m_folderEdit);
    pageLayout()->addWidget(group);

    connect(m_folderEdit, &QLineEdit::textChanged, this, &InstallProgramFolderDialog::textChanged);
}

void InstallProgramFolderDialog::textChanged(const QString &text)
{
    if (!m_filling)
        setVariable(QStringLiteral("ProgramFolderDir"), text);
    setVariable(QStringLiteral("ProgramFolderName"), QFileInfo(text).fileName());
}

void InstallProgramFolderDialog::showEvent(QShowEvent *event)
{
    // ProgramFolderDir usually refers to $(DestName), so the field is refreshed from it
    // each time the page comes up, after the destination may have changed.
    m_filling = true;
    m_folderEdit->setText(expand(QStringLiteral("$(ProgramFolderDir)")));
    m_filling = false;
    InstallWizardDialog::showEvent(event);
}
