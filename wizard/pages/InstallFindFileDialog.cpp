#include "wizard/pages/InstallFindFileDialog.h"

#include "app/core/VariableTable.h"
#include "resources/ProductImages.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/frame/WizardAccessibility.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QHBoxLayout *row()
{
    auto *layout = new QHBoxLayout;
    layout->setSpacing(4);
    return layout;
}

} // namespace

InstallFindFileDialog::InstallFindFileDialog(QWidget *parent, const QString &path)
    : QDialog(parent), m_pathEdit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("install-get-source-directory-dialog"));
    setModal(true);
    setWindowIcon(ProductImages::windowIcon());

    const FindFileRequest texts = FindFileRequest::forPath(path);
    m_kind = texts.kind;
    setWindowTitle(texts.title);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    auto *logo = new QLabel(this);
    logo->setPixmap(ProductImages::installerLogo());
    WizardAccessibility::markDecorative(logo);
    layout->addWidget(logo);
    layout->addWidget(new QLabel(texts.missing, this));
    auto *instruction = new QLabel(texts.instruction, this);
    instruction->setWordWrap(true);
    layout->addWidget(instruction);
    layout->addSpacing(10);

    auto *pathRow = row();
    // Wide enough for a typical folder, so the instructions do not wrap into a column.
    m_pathEdit->setMinimumWidth(70 * fontMetrics().averageCharWidth());
    pathRow->addWidget(m_pathEdit);
    auto *browse = new QToolButton(this);
    browse->setText(QStringLiteral("..."));
    browse->setAccessibleName(QStringLiteral("Browse"));
    m_pathEdit->setAccessibleName(texts.title);
    pathRow->addWidget(browse);
    layout->addLayout(pathRow);
    layout->addSpacing(10);

    auto *buttonRow = row();
    buttonRow->addStretch();
    auto *ok = new InstallPushButton(QStringLiteral("&OK"), this);
    ok->setDefault(true);
    auto *cancel = new InstallPushButton(QStringLiteral("&Cancel"), this);
    buttonRow->addWidget(ok);
    buttonRow->addWidget(cancel);
    layout->addLayout(buttonRow);

    // Filled before listening, so opening the dialog does not rewrite the variable.
    m_pathEdit->setText(texts.initialText);
    if (m_kind == LocateFile)
        m_locatedPath = texts.initialText;
    // Screen readers read the children in order: the texts first, then the field and buttons.
    for (QWidget *control : std::initializer_list<QWidget *>{m_pathEdit, browse, ok, cancel})
        control->raise();
    connect(m_pathEdit, &QLineEdit::textChanged, this, &InstallFindFileDialog::textChanged);
    connect(browse, &QToolButton::clicked, this, &InstallFindFileDialog::onBrowse);
    connect(ok, &QPushButton::clicked, this, &InstallFindFileDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &InstallFindFileDialog::onCancel);
}

void InstallFindFileDialog::onOk()
{
    done(1);
}

void InstallFindFileDialog::onCancel()
{
    done(0);
}

void InstallFindFileDialog::onBrowse()
{
    QString chosen;
    switch (m_kind) {
    case LocateInstallationFolder:
        chosen = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Please locate installation folder."), m_pathEdit->text());
        break;
    case LocateProductFolder:
        chosen = QFileDialog::getExistingDirectory(
            this, expand(QStringLiteral("Please locate $(Product) folder.")), m_pathEdit->text());
        break;
    default:
        chosen = QFileDialog::getOpenFileName(
            this, expand(QStringLiteral("Please locate $(Product) folder.")), m_pathEdit->text());
        break;
    }
    // A cancelled chooser leaves everything as it was.
    if (!chosen.isEmpty())
        m_pathEdit->setText(chosen); // textChanged stores it where the kind says
}

void InstallFindFileDialog::textChanged(const QString &text)
{
    switch (m_kind) {
    case LocateInstallationFolder:
        setVariable(QStringLiteral("SrcDir"), text);
        break;
    case LocateProductFolder:
        setVariable(QStringLiteral("DestDir"), text);
        break;
    default:
        m_locatedPath = text;
        break;
    }
}
