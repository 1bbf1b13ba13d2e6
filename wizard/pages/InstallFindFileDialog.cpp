#include "wizard/pages/InstallFindFileDialog.h"

#include "app/core/VariableTable.h"
#include "media/platform/FileName.h"
#include "resources/ProductImages.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/frame/UnattendedRun.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct KindTexts
{
    int kind;
    QString instruction;
    QString initialText;
    QString title;
};

// The kind is read from the unexpanded name: what matters is which variable the
// missing path was built on, not where it points now.
KindTexts textsFor(const QString &path, const QString &expandedPath)
{
    if (path.contains(QLatin1String("$(SrcDir)")))
        return {InstallFindFileDialog::LocateInstallationFolder,
                expand(QStringLiteral("Please locate the '$(Product) $(Version)' installation folder\n"
                                      "and then click OK to continue. Click Cancel to terminate "
                                      "installation.")),
                expand(QStringLiteral("$(SrcDir)")), QStringLiteral("Locate Installation Folder")};
    if (!path.contains(QLatin1String("$(DestDir)")))
        return {InstallFindFileDialog::LocateFile,
                expand(QStringLiteral("<p>Please locate the ") + QFileInfo(expandedPath).fileName()
                       + QStringLiteral(" file and then click OK to continue. Click Cancel to "
                                        "terminate installation.")),
                expandedPath, QStringLiteral("Locate File")};
    return {InstallFindFileDialog::LocateProductFolder,
            expand(QStringLiteral("Please locate the '$(Product) $(Version)' folder\n"
                                  "and then click OK to continue. Click Cancel to terminate "
                                  "installation.")),
            expand(QStringLiteral("$(DestDir)")), expand(QStringLiteral("Locate $(Product) Folder"))};
}

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

    const QString expandedPath = expand(path);
    m_message = (QFileInfo(expandedPath).isDir()
                     ? QStringLiteral("<p>Cannot find the directory named:<p>")
                     : QStringLiteral("<p>Cannot find the file named:<p>"))
                + FileName(expandedPath).path();
    const KindTexts texts = textsFor(path, expandedPath);
    m_kind = texts.kind;
    setWindowTitle(texts.title);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    auto *logo = new QLabel(this);
    logo->setPixmap(ProductImages::installerLogo());
    layout->addWidget(logo);
    layout->addWidget(new QLabel(m_message, this));
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
    connect(m_pathEdit, &QLineEdit::textChanged, this, &InstallFindFileDialog::textChanged);
    connect(browse, &QToolButton::clicked, this, &InstallFindFileDialog::onBrowse);
    connect(ok, &QPushButton::clicked, this, &InstallFindFileDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &InstallFindFileDialog::onCancel);
}

int InstallFindFileDialog::exec()
{
    if (UnattendedRun::isActive()) {
        UnattendedRun::report(windowTitle(), m_message);
        return QDialog::Rejected;
    }
    return QDialog::exec();
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
