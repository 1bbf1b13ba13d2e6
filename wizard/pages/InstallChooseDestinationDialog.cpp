#include "wizard/pages/InstallChooseDestinationDialog.h"

#include "app/core/VariableTable.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

InstallChooseDestinationDialog::InstallChooseDestinationDialog(InstallApplication *application)
    : InstallWizardDialog(application, QStringLiteral("Choose Destination Location"),
                          QStringLiteral("Select folder where Setup will install files."))
{
    auto *text = new QLabel(expand(QStringLiteral(
                                "Setup will install $(Product) $(Version) in the following folder.<p>"
                                "To install to this folder, click Next. To install to a different "
                                "folder, click Browse and select another folder.")),
                            this);
    text->setWordWrap(true);
    pageLayout()->addWidget(text);
    pageLayout()->addStretch();

    auto *group = new QGroupBox(QStringLiteral("Destination Folder"), this);
    auto *row = new QHBoxLayout(group);
    m_folderEdit = new QLineEdit(group);
    m_folderEdit->setObjectName(QStringLiteral("destination-folder"));
    m_browseButton = new QToolButton(group);
    m_browseButton->setObjectName(QStringLiteral("destination-browse"));
    m_browseButton->setText(QStringLiteral("..."));
    // Screen readers say what the field and the button are, not "edit" and "dot dot dot".
    m_folderEdit->setAccessibleName(group->title());
    m_browseButton->setAccessibleName(QStringLiteral("Browse"));
    row->addWidget(m_folderEdit);
    row->addWidget(m_browseButton);
    pageLayout()->addWidget(group);

    connect(m_folderEdit, &QLineEdit::textChanged, this, &InstallChooseDestinationDialog::textChanged);
    connect(m_browseButton, &QToolButton::clicked, this, &InstallChooseDestinationDialog::browse);
    fillFromVariable();
}

void InstallChooseDestinationDialog::fillFromVariable()
{
    // The fill goes through textChanged, so DestDir is stored expanded and DestName
    // exists from the moment the page is built.
    const QString folder = expand(QStringLiteral("$(DestDir)"));
    if (m_folderEdit->text() == folder)
        textChanged(folder);
    else
        m_folderEdit->setText(folder);
}

void InstallChooseDestinationDialog::textChanged(const QString &text)
{
    setVariable(QStringLiteral("DestDir"), text);
    setVariable(QStringLiteral("DestName"), QFileInfo(text).fileName());
}

void InstallChooseDestinationDialog::browse()
{
    const QString folder = chooseFolder(QStringLiteral("Please select destination folder."),
                                        expand(QStringLiteral("$(DestDir)")));
    if (folder.isEmpty())
        return;
    setVariable(QStringLiteral("DestDir"), folder);
    fillFromVariable();
}

QString InstallChooseDestinationDialog::chooseFolder(const QString &caption, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(this, caption, startFolder, QFileDialog::ShowDirsOnly);
}
